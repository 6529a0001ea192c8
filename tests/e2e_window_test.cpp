// The real Instalator.exe, started and driven from this process as a user
// would: what the window shows, where the keys and clicks lead, how it ends.
#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <string>

#include "tests/driver/driver.h"

namespace {

drv::Program StartInstaller() {
  // Windows of other tests on the display cannot take the focus away there.
  static const drv::Desktop desktop(L"e2e-window-" + std::to_wstring(GetCurrentProcessId()));
  wchar_t temp[MAX_PATH] = {};
  GetTempPathW(MAX_PATH, temp);
  drv::Program program = drv::Program::Start({drv::WindowsPath(INSTALATOR_EXE), temp, desktop.Name(), {}});
  program.WaitMainWindow();
  return program;
}

// One reading of every named component.
class Snapshot {
 public:
  explicit Snapshot(const drv::Program& p) : program_(p) {
    for (drv::Component& c : p.Components())
      if (c.name) named_.emplace(c.name, std::move(c));
  }
  const drv::Component& operator[](const std::string& name) const {
    const auto found = named_.find(name);
    if (found != named_.end()) return found->second;
    program_.Find(name.c_str());  // throws, saying where it was looked for
    throw drv::Error("no component " + name);
  }

 private:
  const drv::Program& program_;
  std::map<std::string, drv::Component> named_;
};

// The page that shows (1 to 3); 0 when none or more than one does.
int Page(const drv::Program& p) {
  const Snapshot s(p);
  int page = 0;
  for (int i = 1; i <= 3; ++i)
    if (s["TabSheet" + std::to_string(i)].visible) page = page ? -1 : i;
  return page < 0 ? 0 : page;
}

// Back, Next, Cancel: "B", "N", "C" when enabled, "-" when not.
std::string Buttons(const drv::Program& p) {
  const Snapshot s(p);
  return std::string(s["BitBtn1"].enabled ? "B" : "-") + (s["BitBtn2"].enabled ? "N" : "-") +
         (s["BitBtn3"].enabled ? "C" : "-");
}

// Everything a user can see of the components, and where the focus is.
std::string View(const drv::Program& p) {
  std::string view;
  for (const drv::Component& c : p.Components()) {
    if (!c.name) continue;
    view += std::string(c.name) + (c.visible ? " visible" : " hidden") + (c.enabled ? " enabled" : " disabled") +
            (c.focused ? " focus " : " ") + c.text + "\n";
  }
  return view;
}

void ExpectCtrlTabChangesNothing(drv::Program& p) {
  const std::string before = View(p);
  p.PressKey(VK_TAB, drv::kCtrl);
  EXPECT_EQ(View(p), before) << "after Ctrl+Tab";
  p.PressKey(VK_TAB, drv::kCtrl | drv::kShift);
  EXPECT_EQ(View(p), before) << "after Ctrl+Shift+Tab";
}

TEST(EndToEnd, OpensCentredOnTheIntroductionAndCancelEndsIt) {
  drv::Program p = StartInstaller();
  const HWND window = p.MainWindow();

  RECT client;
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 666);
  EXPECT_EQ(client.bottom, 206);
  RECT frame;
  GetWindowRect(window, &frame);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  EXPECT_NEAR(frame.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, 1);
  EXPECT_NEAR(frame.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 1);

  // A dialog frame with the close box only.
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  const LONG exStyle = GetWindowLongW(window, GWL_EXSTYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_TRUE(exStyle & WS_EX_DLGMODALFRAME);
  EXPECT_FALSE(exStyle & WS_EX_CONTEXTHELP);

  EXPECT_EQ(Page(p), 1);
  const Snapshot page1(p);
  EXPECT_EQ(page1["StaticText2"].text,
            "Instalator zainstaluje nakładkę na szablony sprawozdania z badań.\rEfekt działania:\r"
            "Pod tabelą z wynikami badań usuwa wiersze \"Opis pomieszczenia\", \"Ochrony osobiste\", .... "
            "pozostawia tylko wiersz \"Warunki metrologiczne podczas badań\".\r\r"
            "Naciśnij przycisk \"Dalej >>\" jeśli chcesz kontynuować.\r");
  EXPECT_EQ(page1["BitBtn1"].text, "<< Cofnij");
  EXPECT_EQ(page1["BitBtn2"].text, "Dalej >>");
  EXPECT_EQ(page1["BitBtn3"].text, "Anuluj");
  EXPECT_EQ(Buttons(p), "-NC");
  EXPECT_TRUE(page1["BitBtn2"].focused);

  ExpectCtrlTabChangesNothing(p);

  p.Click("BitBtn3");
  EXPECT_EQ(p.WaitExit(), std::optional<DWORD>(0));
}

TEST(EndToEnd, NextAndBackMoveOnePageAndZamknijEndsIt) {
  drv::Program p = StartInstaller();

  p.PressKey(VK_RETURN);  // on the focused Next
  ASSERT_EQ(Page(p), 2);
  EXPECT_EQ(Snapshot(p)["StaticText1"].text, "Trwa wyszukiwanie zainstalowanych składników programu.");
  // Next is the detection's to set.
  EXPECT_EQ(Buttons(p)[0], 'B');
  EXPECT_EQ(Buttons(p)[2], 'C');
  ExpectCtrlTabChangesNothing(p);

  p.Click("BitBtn1");
  EXPECT_EQ(Page(p), 1);
  EXPECT_EQ(Buttons(p), "-NC");

  // Back enabled Next, and page 2 does its detection only on the first visit.
  p.Click("BitBtn2");
  ASSERT_EQ(Page(p), 2);
  EXPECT_EQ(Buttons(p), "BNC");
  p.Click("BitBtn2");
  ASSERT_EQ(Page(p), 3);
  EXPECT_EQ(Buttons(p).substr(1), "--");
  const drv::Component close = Snapshot(p)["BitBtn4"];
  EXPECT_EQ(close.text, "Zamknij.");
  EXPECT_TRUE(close.visible && close.enabled);

  p.Click("BitBtn4");
  EXPECT_EQ(p.WaitExit(), std::optional<DWORD>(0));
}

TEST(EndToEnd, TheCloseBoxEndsItOnPagesOneAndTwo) {
  for (int page : {1, 2}) {
    SCOPED_TRACE("page " + std::to_string(page));
    drv::Program p = StartInstaller();
    if (page == 2) p.Click("BitBtn2");
    ASSERT_EQ(Page(p), page);
    p.Close();
    EXPECT_EQ(p.WaitExit(), std::optional<DWORD>(0));
  }
}

}  // namespace
