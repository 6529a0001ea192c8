// Drives the installer from another process, as a user would: starts it, finds
// its window and components, reads their texts and states, clicks buttons,
// presses keys, answers its message boxes and its folder browser, closes it.
//
// Components are recognised by window class and place (control IDs are handed
// out at run time); a table maps the component names to those places. Every
// action that posts input waits until the program has taken it in (see
// Program::Settle), so the state read right after it is the new one.
//
// Failures (no window, a disabled button, a timeout) throw drv::Error.
#pragma once
#include <windows.h>

#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace drv {

class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

constexpr DWORD kTimeoutMs = 10000;

// Where a component lies: its window class and its box (left, top, width,
// height) in the client area of the main window. Windows of the same class and
// box (pages, panels) are told apart by `holds`: the component whose parent
// window this one is.
struct Place {
  const char* name;
  const wchar_t* cls;
  int left, top, width, height;
  const char* holds = nullptr;
};

// The installer's main window: caption and the places of its components.
extern const wchar_t kMainCaption[];
extern const std::span<const Place> kInstalatorLayout;

struct Component {
  const char* name = nullptr;  // from the table; nullptr when not in it
  HWND hwnd = nullptr;
  std::wstring cls;
  RECT rect{};  // client coordinates of the main window
  bool visible = false;  // the window and all its parents are shown
  bool enabled = false;
  bool focused = false;
  std::wstring wide;  // the text as the window holds it
  std::string text;   // the same in code page 1250
};

// A message box of the program (a top-level #32770 window).
struct Box {
  HWND hwnd = nullptr;
  std::wstring caption, wideText;
  std::string text;  // code page 1250
  bool icon = false;
};

// A desktop of its own: its windows have their own foreground and focus, so
// programs on other desktops (other tests, another developer's run on the
// same Wine prefix) cannot take the keyboard away. While it lives, the
// calling thread works on it, so that the driver sees the windows there; the
// thread must not own windows.
class Desktop {
 public:
  explicit Desktop(const std::wstring& name);
  ~Desktop();
  Desktop(const Desktop&) = delete;
  Desktop& operator=(const Desktop&) = delete;
  const std::wstring& Name() const { return name_; }

 private:
  std::wstring name_;
  HDESK desktop_ = nullptr;
  HDESK previous_ = nullptr;
};

struct StartOptions {
  std::wstring exe;        // a Windows path, or a Unix path that Wine maps
  std::wstring directory;  // working directory; empty: the driver's own
  std::wstring desktop;    // the desktop to start on; empty: the driver's own
  // Set in the program's environment over the driver's own; an empty value
  // removes the variable.
  std::vector<std::pair<std::wstring, std::wstring>> environment;
};

// Modifier keys for PressKey.
enum Modifier : unsigned { kCtrl = 1, kShift = 2 };

class Program {
 public:
  // Starts the program; the main window is not waited for.
  static Program Start(const StartOptions& options);
  // The running program whose visible top-level window has this caption.
  static Program Attach(const std::wstring& caption, DWORD timeoutMs = kTimeoutMs);

  Program(Program&& other) noexcept;
  Program& operator=(Program&&) = delete;
  Program(const Program&) = delete;
  // A started program that still runs is ended here, so a failing test
  // leaves nothing behind; an attached one is left alone.
  ~Program();
  // Leaves a started program running when this object goes.
  void Detach() { ownsLife_ = false; }

  DWORD Id() const { return pid_; }
  HANDLE Process() const { return process_; }
  HWND MainWindow() const { return main_; }

  // Waits until the program's window with this caption is visible, its
  // controls exist and its event loop is running.
  HWND WaitMainWindow(const std::wstring& caption = kMainCaption, DWORD timeoutMs = kTimeoutMs);

  // Every child window of the main window, named through the table. Reading
  // the focus may bring the window to the front (see Focus).
  std::vector<Component> Components(std::span<const Place> table = kInstalatorLayout) const;
  // One component by name; throws when it is not on the window.
  Component Find(const char* name, std::span<const Place> table = kInstalatorLayout) const;
  // The window that has the keyboard focus in the program's thread; the
  // window is brought to the front for it when something else took it away.
  HWND Focus() const;

  // Brings the window to the front as a user's click on its title bar would
  // (its open box instead, when one is open). Keyboard focus exists only in
  // the active window; another program on the same display can take it away.
  void Activate() const;

  // Clicks a button as a user can: refused when it is hidden or disabled, or
  // while a modal box keeps the window disabled.
  void Click(const char* name, std::span<const Place> table = kInstalatorLayout);
  // Activates the window, then presses and releases a key on the focused
  // control.
  void PressKey(UINT vk, unsigned modifiers = 0);

  // The program's message box, if one appears within the timeout. The folder
  // browser, also a #32770, is not one.
  std::optional<Box> WaitBox(DWORD timeoutMs = kTimeoutMs) const;
  // Presses OK on the open message box and waits until it has gone.
  void BoxOk();

  // Picks a folder in the open folder browser and presses OK.
  void Browse(const std::wstring& path);
  // Presses Cancel in the open folder browser.
  void BrowseCancel();

  // The close box of the title bar.
  void Close();
  // The exit code, or nothing when the program still runs after the timeout.
  std::optional<DWORD> WaitExit(DWORD timeoutMs = kTimeoutMs);
  bool Running() const;
  void Terminate();

  // Returns once the program has handled every input posted so far, or is
  // waiting in a modal box that one of them opened.
  void Settle(DWORD timeoutMs = kTimeoutMs) const;

 private:
  Program(HANDLE process, DWORD pid) : process_(process), pid_(pid) {}
  HWND FindBrowser(DWORD timeoutMs) const;
  HWND ActivationTarget() const;
  void PressDialogButton(HWND dialog, int id);
  HWND RequireMain() const;

  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
  bool ownsLife_ = false;
  HWND main_ = nullptr;
  DWORD thread_ = 0;  // the main window's thread
};

// A Unix path (starting with '/') as Wine's DOS path; other paths unchanged.
std::wstring WindowsPath(const std::string& path);
std::string ToCp1250(const std::wstring& text);
std::wstring FromCp1250(const std::string& text);
std::string ToUtf8(const std::wstring& text);
std::wstring FromUtf8(const std::string& text);

}  // namespace drv
