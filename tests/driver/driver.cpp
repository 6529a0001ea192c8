#include "tests/driver/driver.h"

#include <shlobj.h>

#include <algorithm>
#include <cstdlib>
#include <cwchar>
#include <string_view>
#include <utility>

namespace drv {

// ---- The installer's window ---------------------------------------------------

const wchar_t kMainCaption[] = L"Nak\u0142adka dla programu \"Sondarix\" R17K";

namespace {

// Pixels at 96 dpi. Panel2 starts at x 185; the pages fill PageControl1 inside
// its 4-pixel frame, so a control at (l, t) on a page is at (189 + l, 4 + t).
const Place kLayout[] = {
    {"Panel1", L"PlatContainer", 0, 0, 185, 206},
    {"Panel2", L"PlatContainer", 185, 0, 481, 206, "BitBtn2"},
    {"BitBtn3", L"Button", 201, 172, 75, 25},
    {"BitBtn1", L"Button", 297, 172, 75, 25},
    {"BitBtn2", L"Button", 389, 172, 75, 25},
    {"PageControl1", L"PlatContainer", 185, 0, 481, 206, "TabSheet1"},
    {"TabSheet1", L"PlatContainer", 189, 4, 473, 198, "StaticText2"},
    {"StaticText2", L"Static", 189, 8, 473, 153},
    {"TabSheet2", L"PlatContainer", 189, 4, 473, 198, "StaticText1"},
    {"StaticText1", L"Static", 193, 8, 407, 20},  // sizes itself to its text
    {"StaticText3", L"Static", 193, 32, 461, 101},
    {"Edit1", L"Edit", 193, 136, 437, 21},
    {"BitBtn5", L"Button", 631, 136, 25, 21},
    {"TabSheet3", L"PlatContainer", 189, 4, 473, 198, "StaticText6"},
    {"StaticText6", L"Static", 193, 8, 461, 125},
    {"BitBtn4", L"Button", 573, 170, 75, 25},
    {"StaticText4", L"Static", 193, 140, 461, 17},
};

}  // namespace

const std::span<const Place> kInstalatorLayout{kLayout};

// ---- Text -------------------------------------------------------------------

namespace {

std::wstring Decode(UINT cp, const std::string& s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(cp, 0, s.data(), int(s.size()), nullptr, 0);
  std::wstring w(size_t(n), L'\0');
  MultiByteToWideChar(cp, 0, s.data(), int(s.size()), w.data(), n);
  return w;
}

std::string Encode(UINT cp, const std::wstring& w) {
  if (w.empty()) return {};
  const int n = WideCharToMultiByte(cp, 0, w.data(), int(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(size_t(n), '\0');
  WideCharToMultiByte(cp, 0, w.data(), int(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

}  // namespace

std::string ToCp1250(const std::wstring& text) { return Encode(1250, text); }
std::wstring FromCp1250(const std::string& text) { return Decode(1250, text); }
std::string ToUtf8(const std::wstring& text) { return Encode(CP_UTF8, text); }
std::wstring FromUtf8(const std::string& text) { return Decode(CP_UTF8, text); }

std::wstring WindowsPath(const std::string& path) {
  if (path.empty() || path[0] != '/') return FromUtf8(path);
  // Wine maps Unix paths itself; elsewhere fall back to its usual Z: drive.
  using DosName = WCHAR*(CDECL*)(const char*);
  if (FARPROC proc = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_dos_file_name")) {
    auto dosName = reinterpret_cast<DosName>(reinterpret_cast<void (*)()>(proc));
    if (WCHAR* dos = dosName(path.c_str())) {
      std::wstring result = dos;
      HeapFree(GetProcessHeap(), 0, dos);
      return result;
    }
  }
  std::wstring result = L"Z:" + FromUtf8(path);
  std::replace(result.begin(), result.end(), L'/', L'\\');
  return result;
}

// ---- Windows of another process ---------------------------------------------------

namespace {

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, int(std::size(name)));
  return name;
}

bool SameClass(const std::wstring& a, const wchar_t* b) { return _wcsicmp(a.c_str(), b) == 0; }

// The title of a window, read without a message: the owner may be busy.
std::wstring TitleOf(HWND hwnd) {
  wchar_t text[512] = {};
  GetWindowTextW(hwnd, text, int(std::size(text)));
  return text;
}

// The text as the window's own procedure gives it (edits keep theirs apart).
std::wstring TextOf(HWND hwnd) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, kTimeoutMs, &length)) return {};
  std::wstring text(size_t(length) + 1, L'\0');
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                           kTimeoutMs, &copied))
    return {};
  text.resize(std::min<size_t>(size_t(copied), size_t(length)));
  return text;
}

BOOL CALLBACK Collect(HWND hwnd, LPARAM out) {
  reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
  return TRUE;
}

std::vector<HWND> Descendants(HWND parent) {
  std::vector<HWND> found;
  EnumChildWindows(parent, Collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Top-level windows of one process; of every process for pid 0.
std::vector<HWND> TopLevelOf(DWORD pid) {
  std::vector<HWND> all;
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&all));
  std::erase_if(all, [pid](HWND hwnd) {
    DWORD owner = 0;
    GetWindowThreadProcessId(hwnd, &owner);
    return pid && owner != pid;
  });
  return all;
}

bool HasDescendantOfClass(HWND parent, const wchar_t* cls) {
  for (HWND child : Descendants(parent))
    if (SameClass(ClassOf(child), cls)) return true;
  return false;
}

bool IsDialog(HWND hwnd) { return ClassOf(hwnd) == L"#32770"; }

// Polls `ready` until it holds or the time is up.
template <typename Ready>
bool PollUntil(DWORD timeoutMs, Ready ready) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    if (ready()) return true;
    if (GetTickCount64() >= deadline) return false;
    Sleep(10);
  }
}

void PostOrThrow(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (!PostMessageW(hwnd, msg, wp, lp)) throw Error("cannot post a message to the program");
}

}  // namespace

// ---- Desktop ------------------------------------------------------------------

Desktop::Desktop(const std::wstring& name) : name_(name), previous_(GetThreadDesktop(GetCurrentThreadId())) {
  desktop_ = CreateDesktopW(name.c_str(), nullptr, nullptr, 0, GENERIC_ALL, nullptr);
  if (!desktop_) throw Error("cannot make the desktop " + ToUtf8(name));
  if (!SetThreadDesktop(desktop_)) {
    CloseDesktop(desktop_);
    throw Error("cannot work on the desktop " + ToUtf8(name) + " (error " + std::to_string(GetLastError()) + ")");
  }
}

Desktop::~Desktop() {
  SetThreadDesktop(previous_);
  CloseDesktop(desktop_);
}

// ---- Program ------------------------------------------------------------------

Program Program::Start(const StartOptions& options) {
  const std::wstring exe = !options.exe.empty() && options.exe[0] == L'/' ? WindowsPath(ToUtf8(options.exe))
                                                                          : options.exe;
  std::wstring commandLine = L"\"" + exe + L"\"";

  // The environment block: the driver's own with the given variables set over it.
  std::wstring block;
  if (!options.environment.empty()) {
    std::vector<std::wstring> vars;
    if (wchar_t* env = GetEnvironmentStringsW()) {
      for (const wchar_t* p = env; *p; p += wcslen(p) + 1) vars.emplace_back(p);
      FreeEnvironmentStringsW(env);
    }
    for (const auto& [name, value] : options.environment) {
      std::erase_if(vars, [&](const std::wstring& v) {
        return v.size() > name.size() && v[name.size()] == L'=' &&
               _wcsnicmp(v.c_str(), name.c_str(), name.size()) == 0;
      });
      if (!value.empty()) vars.push_back(name + L"=" + value);
    }
    for (const std::wstring& v : vars) block += v + L'\0';
    block += L'\0';
  }

  std::wstring desktop = options.desktop;
  STARTUPINFOW si{};
  si.cb = sizeof si;
  if (!desktop.empty()) si.lpDesktop = desktop.data();
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                      block.empty() ? nullptr : block.data(),
                      options.directory.empty() ? nullptr : options.directory.c_str(), &si, &pi))
    throw Error("cannot start " + ToUtf8(exe) + " (error " + std::to_string(GetLastError()) + ")");
  CloseHandle(pi.hThread);
  Program program(pi.hProcess, pi.dwProcessId);
  program.ownsLife_ = true;
  return program;
}

Program Program::Attach(const std::wstring& caption, DWORD timeoutMs) {
  HWND window = nullptr;
  const bool found = PollUntil(timeoutMs, [&] {
    for (HWND hwnd : TopLevelOf(0))
      if (IsWindowVisible(hwnd) && !IsDialog(hwnd) && TitleOf(hwnd) == caption) {
        window = hwnd;
        return true;
      }
    return false;
  });
  if (!found) throw Error("no window \"" + ToUtf8(caption) + "\" is open");
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  HANDLE process = OpenProcess(PROCESS_ALL_ACCESS, FALSE, pid);
  if (!process) throw Error("cannot open the process of the window (error " + std::to_string(GetLastError()) + ")");
  Program program(process, pid);
  program.WaitMainWindow(caption, timeoutMs);
  return program;
}

Program::Program(Program&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      pid_(other.pid_),
      ownsLife_(std::exchange(other.ownsLife_, false)),
      main_(other.main_),
      thread_(other.thread_) {}

Program::~Program() {
  if (!process_) return;
  if (ownsLife_) Terminate();
  CloseHandle(process_);
}

bool Program::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

void Program::Terminate() {
  if (!Running()) return;
  TerminateProcess(process_, 255);
  WaitForSingleObject(process_, kTimeoutMs);
}

std::optional<DWORD> Program::WaitExit(DWORD timeoutMs) {
  if (!process_ || WaitForSingleObject(process_, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

HWND Program::WaitMainWindow(const std::wstring& caption, DWORD timeoutMs) {
  HWND window = nullptr;
  const bool shown = PollUntil(timeoutMs, [&] {
    if (!Running()) return true;
    window = nullptr;
    for (HWND hwnd : TopLevelOf(pid_))
      if (IsWindowVisible(hwnd) && !IsDialog(hwnd) && TitleOf(hwnd) == caption && !Descendants(hwnd).empty()) {
        window = hwnd;
        break;
      }
    return window != nullptr;
  });
  if (!Running()) {
    const DWORD code = WaitExit(0).value_or(0);
    throw Error("the program ended (exit code " + std::to_string(code) + ") before its window was shown");
  }
  if (!shown) throw Error("the window \"" + ToUtf8(caption) + "\" was not shown in time");
  main_ = window;
  thread_ = GetWindowThreadProcessId(window, nullptr);
  // Once the event loop takes a posted message, start-up is over and the
  // focus is where the program put it.
  Settle(timeoutMs);
  Activate();
  return main_;
}

HWND Program::RequireMain() const {
  if (!main_ || !IsWindow(main_)) throw Error("the main window is not open");
  return main_;
}

HWND Program::Focus() const {
  // The focus lives in the active window. Another window on the same display
  // may take the activation for a moment: read it while ours is active.
  for (int attempt = 0; attempt < 20; ++attempt) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!thread_ || !GetGUIThreadInfo(thread_, &info)) return nullptr;
    if (info.hwndActive && info.hwndActive == ActivationTarget()) return info.hwndFocus;
    Activate();
  }
  return nullptr;
}

std::vector<Component> Program::Components(std::span<const Place> table) const {
  const HWND main = RequireMain();
  const HWND focus = Focus();
  std::vector<Component> all;
  for (HWND hwnd : Descendants(main)) {
    Component c;
    c.hwnd = hwnd;
    c.cls = ClassOf(hwnd);
    GetWindowRect(hwnd, &c.rect);
    MapWindowPoints(HWND_DESKTOP, main, reinterpret_cast<POINT*>(&c.rect), 2);
    c.visible = IsWindowVisible(hwnd);
    c.enabled = IsWindowEnabled(hwnd);
    c.focused = hwnd == focus;
    c.wide = TextOf(hwnd);
    c.text = ToCp1250(c.wide);
    all.push_back(std::move(c));
  }

  auto at = [](const Component& c, const Place& p) { return c.rect.left == p.left && c.rect.top == p.top; };
  auto sized = [](const Component& c, const Place& p) {
    return c.rect.right - c.rect.left == p.width && c.rect.bottom - c.rect.top == p.height;
  };
  auto named = [&](const char* name) -> Component* {
    for (Component& c : all)
      if (c.name && std::string_view(c.name) == name) return &c;
    return nullptr;
  };
  // First every place that one window fills exactly, then a window of the
  // right class at the right corner whose size differs (controls that size
  // themselves to their text), then the containers through what they hold.
  for (int pass = 0; pass < 2; ++pass)
    for (const Place& p : table) {
      if (p.holds || named(p.name)) continue;
      Component* best = nullptr;
      for (Component& c : all) {
        if (c.name || !SameClass(c.cls, p.cls) || !at(c, p)) continue;
        if (pass == 0 && !sized(c, p)) continue;
        best = &c;
        break;
      }
      if (best) best->name = p.name;
    }
  for (size_t round = 0; round < table.size(); ++round)
    for (const Place& p : table) {
      if (!p.holds || named(p.name)) continue;
      const Component* inner = named(p.holds);
      if (!inner) continue;
      const HWND parent = GetParent(inner->hwnd);
      for (Component& c : all)
        if (c.hwnd == parent && !c.name && SameClass(c.cls, p.cls) && at(c, p) && sized(c, p)) c.name = p.name;
    }

  // In the table's order, then the windows it does not name.
  std::vector<Component> ordered;
  for (const Place& p : table)
    if (Component* c = named(p.name)) ordered.push_back(*c);
  for (Component& c : all)
    if (!c.name) ordered.push_back(std::move(c));
  return ordered;
}

Component Program::Find(const char* name, std::span<const Place> table) const {
  for (Component& c : Components(table))
    if (c.name && std::string_view(c.name) == name) return c;
  for (const Place& p : table)
    if (std::string_view(p.name) == name)
      throw Error(std::string("no component ") + name + " on the window: no " + ToUtf8(p.cls) + " at " +
                  std::to_string(p.left) + "," + std::to_string(p.top) + " " + std::to_string(p.width) + "x" +
                  std::to_string(p.height));
  throw Error(std::string("no component ") + name + " in the table");
}

HWND Program::ActivationTarget() const {
  const HWND main = RequireMain();
  if (IsWindowEnabled(main)) return main;
  // A modal box keeps the window disabled; a click on it activates the box.
  for (HWND hwnd : TopLevelOf(pid_))
    if (IsDialog(hwnd) && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) return hwnd;
  return main;
}

void Program::Activate() const {
  const HWND target = ActivationTarget();
  auto active = [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    return GetForegroundWindow() == target && GetGUIThreadInfo(thread_, &info) && info.hwndActive == target;
  };
  if (active()) return;
  if (!PollUntil(kTimeoutMs, [&] {
        if (!IsWindow(target) || !Running()) return true;
        SetForegroundWindow(target);
        Settle();  // the program takes the activation in its own thread
        return active();
      }))
    throw Error("the window cannot be brought to the front");
}

void Program::Click(const char* name, std::span<const Place> table) {
  // A dialog that has just closed gives the window back a moment later.
  const HWND main = RequireMain();
  PollUntil(kTimeoutMs, [&] { return IsWindowEnabled(main) || WaitBox(0) || !Running(); });
  if (!IsWindowEnabled(main)) throw Error("a modal box is open: the window takes no clicks");
  const Component c = Find(name, table);
  if (!c.visible) throw Error(std::string(name) + " is hidden: it cannot be clicked");
  if (!c.enabled) throw Error(std::string(name) + " is disabled: it cannot be clicked");
  // Posted: a handler that opens a modal box would block a sent click.
  PostOrThrow(c.hwnd, BM_CLICK, 0, 0);
  Settle();
}

void Program::PressKey(UINT vk, unsigned modifiers) {
  Activate();
  HWND target = Focus();
  if (!target) target = main_;
  std::vector<UINT> held;
  if (modifiers & kCtrl) held.push_back(VK_CONTROL);
  if (modifiers & kShift) held.push_back(VK_SHIFT);

  // The program asks GetKeyState whether a modifier is down: share its input
  // state for the time of the key press and mark them down there.
  const DWORD self = GetCurrentThreadId();
  MSG dummy;
  PeekMessageW(&dummy, nullptr, 0, 0, PM_NOREMOVE);  // a message queue of our own
  const bool attached = !held.empty() && AttachThreadInput(self, thread_, TRUE);
  BYTE saved[256] = {};
  if (attached) {
    GetKeyboardState(saved);
    BYTE state[256];
    std::copy(std::begin(saved), std::end(saved), state);
    for (UINT key : held) state[key] |= 0x80;
    if (modifiers & kCtrl) state[VK_LCONTROL] |= 0x80;
    if (modifiers & kShift) state[VK_LSHIFT] |= 0x80;
    SetKeyboardState(state);
  }
  auto keyData = [](UINT key, bool up) {
    LPARAM data = 1 | (LPARAM(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)) << 16);
    if (up) data |= (LPARAM(1) << 30) | (LPARAM(1) << 31);
    return data;
  };
  try {
    for (UINT key : held) PostOrThrow(target, WM_KEYDOWN, key, keyData(key, false));
    PostOrThrow(target, WM_KEYDOWN, vk, keyData(vk, false));
    PostOrThrow(target, WM_KEYUP, vk, keyData(vk, true));
    for (auto key = held.rbegin(); key != held.rend(); ++key) PostOrThrow(target, WM_KEYUP, *key, keyData(*key, true));
    Settle();
  } catch (...) {
    if (attached) {
      SetKeyboardState(saved);
      AttachThreadInput(self, thread_, FALSE);
    }
    throw;
  }
  if (attached) {
    SetKeyboardState(saved);
    AttachThreadInput(self, thread_, FALSE);
  }
}

void Program::Settle(DWORD timeoutMs) const {
  if (!main_ || !IsWindow(main_) || !Running()) return;
  // Posted messages of a thread are taken in order: a marker posted after the
  // input has arrived once the input has been handled. The marker is the
  // modified flag of an edit, which the program neither shows nor reads.
  HWND marker = nullptr;
  for (HWND hwnd : Descendants(main_))
    if (SameClass(ClassOf(hwnd), L"Edit")) {
      marker = hwnd;
      break;
    }
  DWORD_PTR result = 0;
  if (!marker) {
    // No edit: let the program take the messages already queued.
    for (int i = 0; i < 3; ++i) {
      SendMessageTimeoutW(main_, WM_NULL, 0, 0, SMTO_NORMAL, timeoutMs, &result);
      Sleep(20);
    }
    return;
  }
  if (!SendMessageTimeoutW(marker, EM_SETMODIFY, FALSE, 0, SMTO_NORMAL, timeoutMs, &result)) {
    if (!IsWindow(marker) || !Running()) return;
    throw Error("the program does not answer");
  }
  if (!PostMessageW(marker, EM_SETMODIFY, TRUE, 0)) return;
  const bool taken = PollUntil(timeoutMs, [&] {
    if (!IsWindow(marker)) return true;
    result = 0;
    SendMessageTimeoutW(marker, EM_GETMODIFY, 0, 0, SMTO_NORMAL, 1000, &result);
    return result != 0 || !IsWindow(marker);
  });
  if (!taken) throw Error("the program did not take the input in time");
  SendMessageTimeoutW(marker, EM_SETMODIFY, FALSE, 0, SMTO_NORMAL, timeoutMs, &result);
}

std::optional<Box> Program::WaitBox(DWORD timeoutMs) const {
  std::optional<Box> box;
  PollUntil(timeoutMs, [&] {
    for (HWND hwnd : TopLevelOf(pid_)) {
      if (!IsDialog(hwnd) || !IsWindowVisible(hwnd) || HasDescendantOfClass(hwnd, L"SysTreeView32")) continue;
      Box b;
      b.hwnd = hwnd;
      b.caption = TitleOf(hwnd);
      if (HWND text = GetDlgItem(hwnd, 0xFFFF)) b.wideText = TextOf(text);
      b.text = ToCp1250(b.wideText);
      if (HWND icon = GetDlgItem(hwnd, 1088)) {
        DWORD_PTR handle = 0;
        SendMessageTimeoutW(icon, STM_GETICON, 0, 0, SMTO_NORMAL, kTimeoutMs, &handle);
        b.icon = IsWindowVisible(icon) && handle != 0;
      }
      box = std::move(b);
      return true;
    }
    return !Running();
  });
  return box;
}

void Program::PressDialogButton(HWND dialog, int id) {
  const HWND button = GetDlgItem(dialog, id);
  if (!button) throw Error("the dialog has no button " + std::to_string(id));
  if (!IsWindowEnabled(button) || !IsWindowVisible(button))
    throw Error("button " + std::to_string(id) + " of the dialog cannot be clicked");
  PostOrThrow(button, BM_CLICK, 0, 0);
  if (!PollUntil(kTimeoutMs, [&] { return !IsWindow(dialog) || !IsWindowVisible(dialog) || !Running(); }))
    throw Error("the dialog did not close");
  Settle();
}

void Program::BoxOk() {
  const std::optional<Box> box = WaitBox();
  if (!box) throw Error("no message box is open");
  PressDialogButton(box->hwnd, IDOK);
}

HWND Program::FindBrowser(DWORD timeoutMs) const {
  HWND browser = nullptr;
  PollUntil(timeoutMs, [&] {
    for (HWND hwnd : TopLevelOf(pid_))
      if (IsDialog(hwnd) && IsWindowVisible(hwnd) && HasDescendantOfClass(hwnd, L"SysTreeView32")) {
        browser = hwnd;
        return true;
      }
    return !Running();
  });
  if (!browser) throw Error("no folder browser is open");
  return browser;
}

void Program::Browse(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
    throw Error("no folder " + ToUtf8(path) + " to pick");
  const HWND browser = FindBrowser(kTimeoutMs);
  // The path must live in the program's memory for the dialog to read it.
  const SIZE_T bytes = (path.size() + 1) * sizeof(wchar_t);
  void* remote = VirtualAllocEx(process_, nullptr, bytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
  if (!remote) throw Error("cannot reach the program's memory");
  // The browser makes its own pre-selection as it opens, and under load a
  // selection sent before that settles is lost: wait for it, then select
  // until the tree's caret moves.
  const HWND tree = FindWindowExW(browser, nullptr, L"SysTreeView32", nullptr);
  auto caret = [&] {
    DWORD_PTR item = 0;
    SendMessageTimeoutW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0, SMTO_NORMAL, 1000, &item);
    return item;
  };
  PollUntil(kTimeoutMs, [&] { return caret() != 0; });
  Sleep(200);
  const DWORD_PTR before = caret();
  bool selected = WriteProcessMemory(process_, remote, path.c_str(), bytes, nullptr);
  for (int attempt = 0; selected && attempt < 5; ++attempt) {
    DWORD_PTR result = 0;
    selected = SendMessageTimeoutW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(remote),
                                   SMTO_NORMAL, kTimeoutMs, &result);
    if (PollUntil(1000, [&] { return caret() != before; })) break;
  }
  VirtualFreeEx(process_, remote, 0, MEM_RELEASE);
  if (!selected) throw Error("cannot select " + ToUtf8(path) + " in the folder browser");
  PressDialogButton(browser, IDOK);
}

void Program::BrowseCancel() { PressDialogButton(FindBrowser(kTimeoutMs), IDCANCEL); }

void Program::Close() {
  // What the close box sends; the default handling turns it into WM_CLOSE.
  PostOrThrow(RequireMain(), WM_SYSCOMMAND, SC_CLOSE, 0);
  Settle();
}

}  // namespace drv
