// wizdrv: drives the installer from scripts. The commands run in the given
// order in one process; without "start" they act on the installer whose
// window is open. Output is UTF-8.
//
//   wizdrv [--dir DIR] [--env NAME=VALUE]... [--desktop NAME] [--timeout SECONDS] COMMAND...
//
// --desktop starts the installer on (or finds it on) a desktop of that name,
// away from other windows that could take its keyboard focus.
//
//   start EXE       start the installer (Unix or Windows path) in DIR and wait
//                   until its window is ready; it keeps running afterwards
//   dump            each component: name, visible/hidden, enabled/disabled,
//                   focus, text (CR shown as \r)
//   windows         every child window: name, class, left,top widthxheight
//   text NAME       the component's text, each CR as a line break
//   click NAME      click a button; fails when it is hidden or disabled
//   key KEY         press KEY on the focused control: Enter, Space, Escape,
//                   Tab, a letter or digit, with Ctrl+ and Shift+ in front
//   box             caption, icon and text of the program's message box;
//                   fails when none is open within the timeout
//   box-ok          press OK on the message box
//   browse PATH     pick PATH in the open folder browser and press OK
//   browse cancel   press Cancel in the folder browser
//   close           the close box of the title bar
//   wait-exit       wait until the installer ends; prints its exit code
//   kill            end the installer at once
//
// Chain commands that end the program with wait-exit in the same call
// ("click BitBtn4 wait-exit"): a later call no longer finds the process.
// Exit status: 0 done, 1 a command failed, 2 wrong usage.
#include <windows.h>
// shellapi.h needs windows.h before it.
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <cstdio>
#include <optional>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "tests/driver/driver.h"

namespace {

void Write(FILE* to, const std::wstring& line) {
  const std::string bytes = drv::ToUtf8(line) + "\n";
  fwrite(bytes.data(), 1, bytes.size(), to);
  fflush(to);
}

std::wstring Escaped(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\r')
      out += L"\\r";
    else if (c == L'\n')
      out += L"\\n";
    else
      out += c;
  }
  return out;
}

std::wstring Padded(std::wstring s, size_t width) {
  if (s.size() < width) s.resize(width, L' ');
  return s;
}

// "Ctrl+Shift+Tab" and the like.
bool ParseKey(const std::wstring& spec, UINT& vk, unsigned& modifiers) {
  modifiers = 0;
  std::wstring rest = spec;
  for (size_t plus; (plus = rest.find(L'+')) != std::wstring::npos && plus + 1 < rest.size();) {
    const std::wstring mod = rest.substr(0, plus);
    if (_wcsicmp(mod.c_str(), L"Ctrl") == 0)
      modifiers |= drv::kCtrl;
    else if (_wcsicmp(mod.c_str(), L"Shift") == 0)
      modifiers |= drv::kShift;
    else
      return false;
    rest.erase(0, plus + 1);
  }
  static const struct {
    const wchar_t* name;
    UINT vk;
  } kNames[] = {{L"Enter", VK_RETURN}, {L"Space", VK_SPACE}, {L"Escape", VK_ESCAPE}, {L"Esc", VK_ESCAPE},
                {L"Tab", VK_TAB},      {L"Left", VK_LEFT},   {L"Right", VK_RIGHT},   {L"Up", VK_UP},
                {L"Down", VK_DOWN},    {L"F4", VK_F4}};
  for (const auto& k : kNames)
    if (_wcsicmp(rest.c_str(), k.name) == 0) {
      vk = k.vk;
      return true;
    }
  if (rest.size() == 1 && iswalnum(rest[0])) {
    vk = UINT(towupper(rest[0]));
    return true;
  }
  return false;
}

int Usage() {
  Write(stderr,
        L"usage: wizdrv [--dir DIR] [--env NAME=VALUE]... [--desktop NAME] [--timeout SECONDS] COMMAND...\n"
        L"commands: start EXE | dump | windows | text NAME | click NAME | key KEY | box | box-ok |\n"
        L"          browse PATH | browse cancel | close | wait-exit | kill");
  return 2;
}

}  // namespace

int main() {
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
  SetConsoleOutputCP(CP_UTF8);

  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args(argv + 1, argv + argc);
  LocalFree(argv);

  drv::StartOptions options;
  DWORD timeoutMs = drv::kTimeoutMs;
  size_t i = 0;
  for (; i < args.size() && args[i].starts_with(L"--"); ++i) {
    if (i + 1 >= args.size()) return Usage();
    const std::wstring& value = args[++i];
    if (args[i - 1] == L"--dir") {
      options.directory = value[0] == L'/' ? drv::WindowsPath(drv::ToUtf8(value)) : value;
    } else if (args[i - 1] == L"--env") {
      const size_t eq = value.find(L'=');
      if (eq == std::wstring::npos || eq == 0) return Usage();
      options.environment.emplace_back(value.substr(0, eq), value.substr(eq + 1));
    } else if (args[i - 1] == L"--desktop") {
      options.desktop = value;
    } else if (args[i - 1] == L"--timeout") {
      timeoutMs = DWORD(_wtof(value.c_str()) * 1000);
    } else {
      return Usage();
    }
  }
  if (i >= args.size()) return Usage();

  std::optional<drv::Desktop> desktop;
  if (!options.desktop.empty()) {
    try {
      desktop.emplace(options.desktop);
    } catch (const drv::Error& e) {
      Write(stderr, L"wizdrv: " + drv::FromUtf8(e.what()));
      return 1;
    }
  }
  std::optional<drv::Program> program;
  auto attached = [&]() -> drv::Program& {
    if (!program) program.emplace(drv::Program::Attach(drv::kMainCaption, timeoutMs));
    return *program;
  };
  auto next = [&]() -> std::optional<std::wstring> {
    if (i + 1 >= args.size()) return std::nullopt;
    return args[++i];
  };

  int status = 0;
  std::wstring command;
  try {
    for (; i < args.size(); ++i) {
      command = args[i];
      if (command == L"start") {
        const auto exe = next();
        if (!exe) return Usage();
        options.exe = *exe;
        program.emplace(drv::Program::Start(options));
        program->WaitMainWindow(drv::kMainCaption, timeoutMs);
      } else if (command == L"dump") {
        drv::Program& p = attached();
        wchar_t title[512] = {};
        GetWindowTextW(p.MainWindow(), title, int(std::size(title)));
        Write(stdout, Padded(L"Form1", 13) + L"caption " + title);
        const std::vector<drv::Component> all = p.Components();
        for (const drv::Place& place : drv::kInstalatorLayout) {
          const drv::Component* c = nullptr;
          for (const drv::Component& each : all)
            if (each.name && std::string_view(each.name) == place.name) c = &each;
          const std::wstring name = Padded(drv::FromUtf8(place.name), 13);
          if (!c) {
            Write(stdout, name + L"missing");
            continue;
          }
          Write(stdout, name + (c->visible ? L"visible " : L"hidden  ") + (c->enabled ? L"enabled  " : L"disabled ") +
                            (c->focused ? L"focus " : L"      ") + Escaped(c->wide));
        }
      } else if (command == L"windows") {
        for (const drv::Component& c : attached().Components()) {
          const RECT& r = c.rect;
          Write(stdout, Padded(c.name ? drv::FromUtf8(c.name) : L"-", 13) + Padded(c.cls, 14) +
                            std::to_wstring(r.left) + L"," + std::to_wstring(r.top) + L" " +
                            std::to_wstring(r.right - r.left) + L"x" + std::to_wstring(r.bottom - r.top));
        }
      } else if (command == L"text") {
        const auto name = next();
        if (!name) return Usage();
        std::wstring text = attached().Find(drv::ToUtf8(*name).c_str()).wide;
        for (wchar_t& c : text)
          if (c == L'\r') c = L'\n';
        Write(stdout, text);
      } else if (command == L"click") {
        const auto name = next();
        if (!name) return Usage();
        attached().Click(drv::ToUtf8(*name).c_str());
      } else if (command == L"key") {
        const auto spec = next();
        UINT vk = 0;
        unsigned modifiers = 0;
        if (!spec || !ParseKey(*spec, vk, modifiers)) return Usage();
        attached().PressKey(vk, modifiers);
      } else if (command == L"box") {
        const std::optional<drv::Box> box = attached().WaitBox(timeoutMs);
        if (!box) throw drv::Error("no message box is open");
        Write(stdout, L"caption: " + box->caption);
        Write(stdout, std::wstring(L"icon: ") + (box->icon ? L"yes" : L"no"));
        Write(stdout, L"text: " + Escaped(box->wideText));
      } else if (command == L"box-ok") {
        attached().BoxOk();
      } else if (command == L"browse") {
        const auto path = next();
        if (!path) return Usage();
        if (*path == L"cancel")
          attached().BrowseCancel();
        else
          attached().Browse((*path)[0] == L'/' ? drv::WindowsPath(drv::ToUtf8(*path)) : *path);
      } else if (command == L"close") {
        attached().Close();
      } else if (command == L"wait-exit") {
        const std::optional<DWORD> code = attached().WaitExit(timeoutMs);
        if (!code) throw drv::Error("the installer still runs");
        Write(stdout, L"exit code " + std::to_wstring(*code));
      } else if (command == L"kill") {
        attached().Terminate();
      } else {
        return Usage();
      }
    }
  } catch (const drv::Error& e) {
    Write(stderr, L"wizdrv: " + command + L": " + drv::FromUtf8(e.what()));
    status = 1;
  }
  // A started installer stays for the next call.
  if (program) program->Detach();
  return status;
}
