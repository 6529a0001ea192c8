// Baseline for the start-up benchmark: the least Win32 program that shows a
// window and waits for input, built with the installer's flags.
#include <windows.h>

static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_CLOSE) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = inst;
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = L"Minimal";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(WS_EX_DLGMODALFRAME, L"Minimal", L"Minimal", WS_POPUP | WS_CAPTION | WS_SYSMENU,
                              100, 100, 672, 235, nullptr, nullptr, inst, nullptr);
  ShowWindow(hwnd, SW_SHOW);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  return 0;
}
