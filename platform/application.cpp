#include "application.h"

#include "errors.h"
#include "text.h"

namespace plat {

Application& App() {
  static Application app;
  return app;
}

namespace {

const wchar_t kAppClass[] = L"PlatApplication";

LRESULT CALLBACK AppWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_ACTIVATE:
      // Activation through the taskbar button goes on to the main form.
      if (LOWORD(wp) != WA_INACTIVE && App().MainForm()) {
        HWND popup = GetLastActivePopup(App().MainForm()->Handle());
        SetActiveWindow(popup ? popup : App().MainForm()->Handle());
        return 0;
      }
      break;
    case WM_CLOSE:
      if (App().MainForm()) App().MainForm()->Close();
      return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace

HWND Application::Handle() {
  if (!handle_) {
    HINSTANCE inst = GetModuleHandleW(nullptr);
    WNDCLASSW wc{};
    wc.lpfnWndProc = AppWndProc;
    wc.hInstance = inst;
    wc.hIcon = LoadIconW(inst, L"MAINICON");
    wc.lpszClassName = kAppClass;
    RegisterClassW(&wc);
    // Visible but of no size: it exists to carry the title on the taskbar.
    handle_ = CreateWindowExW(0, kAppClass, Widen(title_).c_str(), WS_POPUP | WS_CLIPSIBLINGS,
                              GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                              nullptr, nullptr, inst, nullptr);
  }
  return handle_;
}

void Application::SetTitle(const std::string& title) {
  title_ = title;
  if (handle_) SetWindowTextW(handle_, Widen(title_).c_str());
}

void Application::Run() {
  if (!mainForm_) return;
  ShowWindow(Handle(), SW_SHOWNA);
  mainForm_->Show();
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    // Enter on a focused button clicks it, as Space does.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_RETURN) {
      if (auto* button = dynamic_cast<BitBtn*>(Window::FromHandle(msg.hwnd))) {
        button->Click();
        continue;
      }
    }
    // The dialog manager takes Ctrl+Tab for Tab; here it does nothing.
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) continue;
    if (mainForm_ && IsDialogMessageW(mainForm_->Handle(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

void Application::Terminate() { PostQuitMessage(0); }

void Application::Invoke(const Event& handler, Component* sender) {
  if (!handler) return;
  try {
    handler(sender);
  } catch (const std::exception& e) {
    HandleException(e);
  } catch (...) {
    HandleException(Exception("Nieznany wyj\xb9tek"));
  }
}

void Application::HandleException(const std::exception& e) {
  std::string text = e.what();
  // A message that does not end in punctuation gets a full stop.
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  BoxWithOwner(text, MB_OK | MB_ICONERROR);
}

void Application::MessageBox(const std::string& text) { BoxWithOwner(text, MB_OK); }

void Application::BoxWithOwner(const std::string& text, UINT type) {
  if (ShowBox) {
    ShowBox(text, type);
    return;
  }
  HWND owner = mainForm_ ? mainForm_->Handle() : nullptr;
  if (owner && !IsWindowVisible(owner)) owner = nullptr;
  MessageBoxW(owner, Widen(text).c_str(), Widen(title_).c_str(), type | (owner ? 0 : MB_TASKMODAL));
}

}  // namespace plat
