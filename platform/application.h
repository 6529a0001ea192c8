// The application object: title, main form, event loop, end request, and the
// modal boxes (the message box and the error box for escaped exceptions).
#pragma once
#include <windows.h>

#include <exception>
#include <functional>
#include <string>

#include "controls.h"

namespace plat {

class Application {
 public:
  const std::string& Title() const { return title_; }
  void SetTitle(const std::string& title);

  Form* MainForm() const { return mainForm_; }
  // The hidden top-level window that owns the forms, so the taskbar shows the title.
  HWND Handle();

  // Shows the main form and dispatches events until Terminate is called.
  void Run();
  // Posts the request to end the event loop; the caller runs on to its end.
  void Terminate();

  // Runs an event handler; an exception that escapes it is reported.
  void Invoke(const Event& handler, Component* sender);
  void HandleException(const std::exception& e);

  // The modal message box: the text, an OK button, no icon, the title as caption.
  void MessageBox(const std::string& text);

  // Shows every modal box of the program; tests replace it to answer the boxes.
  std::function<void(const std::string& text, UINT type)> ShowBox;

 private:
  friend class Form;
  void BoxWithOwner(const std::string& text, UINT type);
  std::string title_;
  Form* mainForm_ = nullptr;
  HWND handle_ = nullptr;
};

Application& App();

}  // namespace plat
