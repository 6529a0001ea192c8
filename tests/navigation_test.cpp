// The wizard window and its navigation, in-process: page order, button
// states, the order of page handlers and the report of escaped exceptions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/unit1.h"
#include "platform/application.h"
#include "platform/errors.h"

namespace {

struct Box {
  std::string text;
  UINT type;
};

class Wizard : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::App().SetTitle("Instalator");
    plat::App().ShowBox = [this](const std::string& text, UINT type) { boxes.push_back({text, type}); };
  }
  void TearDown() override {
    plat::App().ShowBox = nullptr;
    // Handle what is pending (paints would come back forever) and drop the end request.
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
      if (m.message != WM_QUIT) DispatchMessageW(&m);
  }

  // Replaces the page handlers with ones that record what they see.
  void Record(TForm1& f) {
    plat::TabSheet* pages[] = {&f.TabSheet1, &f.TabSheet2, &f.TabSheet3};
    for (int i = 0; i < 3; ++i) {
      pages[i]->OnShow = [this, &f, i](plat::Component*) { Log(f, "show" + std::to_string(i + 1)); };
      pages[i]->OnHide = [this, &f, i](plat::Component*) { Log(f, "hide" + std::to_string(i + 1)); };
    }
  }
  void Log(TForm1& f, const std::string& what) {
    std::string seen = what + " index=" + std::to_string(f.PageControl1.ActivePageIndex()) + " visible=";
    for (plat::TabSheet* p : {&f.TabSheet1, &f.TabSheet2, &f.TabSheet3}) seen += p->Visible() ? '1' : '0';
    calls.push_back(seen);
  }
  static std::string Buttons(TForm1& f) {
    return std::string(f.BitBtn1.Enabled() ? "B" : "-") + (f.BitBtn2.Enabled() ? "N" : "-") +
           (f.BitBtn3.Enabled() ? "C" : "-");
  }
  static bool QuitPosted() {
    MSG m;
    return PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
  }

  std::vector<Box> boxes;
  std::vector<std::string> calls;
};

TEST_F(Wizard, StartsOnTheIntroductionWithoutRunningAnyPageHandler) {
  TForm1 f;
  EXPECT_EQ(f.PageControl1.ActivePageIndex(), 0);
  EXPECT_EQ(f.PageControl1.PageCount(), 3);
  EXPECT_EQ(f.StaticText2.Caption(),
            "Instalator zainstaluje nakładkę na szablony sprawozdania z badań.\rEfekt działania:\r"
            "Pod tabelą z wynikami badań usuwa wiersze \"Opis pomieszczenia\", \"Ochrony osobiste\", .... "
            "pozostawia tylko wiersz \"Warunki metrologiczne podczas badań\".\r\r"
            "Naciśnij przycisk \"Dalej >>\" jeśli chcesz kontynuować.\r");
  EXPECT_EQ(Buttons(f), "-NC");
  // The layout's stored page 3 never ran the installation.
  EXPECT_EQ(f.StaticText6.Caption(), "");
  EXPECT_EQ(f.StaticText4.Caption(), " ");
  EXPECT_EQ(f.StaticText3.Caption(), "Odnaleziono:");
  EXPECT_FALSE(f.Edit1.Visible());
  EXPECT_FALSE(f.Edit1.Enabled());
  EXPECT_FALSE(f.BitBtn5.Visible());
  EXPECT_TRUE(f.TabSheet1.Visible());
  EXPECT_FALSE(f.TabSheet3.Visible());
  EXPECT_EQ(f.TabSheet2.Tag, 0);
  EXPECT_TRUE(f.Location.empty());
  EXPECT_FALSE(f.HostFound);
  EXPECT_EQ(f.LibraryHandle, nullptr);
  EXPECT_EQ(f.OwnerName[0], 0);
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Wizard, WindowHasTheDialogFrameAndClientSize) {
  TForm1 f;
  f.Show();
  RECT client;
  GetClientRect(f.Handle(), &client);
  EXPECT_EQ(client.right, 666);
  EXPECT_EQ(client.bottom, 206);
  const LONG style = GetWindowLongW(f.Handle(), GWL_STYLE);
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_FALSE(style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME));
  EXPECT_EQ(GetFocus(), f.BitBtn2.Handle());
  wchar_t title[64] = {};
  GetWindowTextW(GetWindow(f.Handle(), GW_OWNER), title, 64);
  EXPECT_STREQ(title, L"Instalator") << "the taskbar button carries the application title";
}

TEST_F(Wizard, PageChangeShowsTheNewPageBeforeHidingTheOldOne) {
  TForm1 f;
  f.Show();
  Record(f);
  f.BitBtn2.Click();
  f.BitBtn2.Click();
  f.BitBtn1.Click();
  f.BitBtn1.Click();
  // While the handlers run, the index still names the page being left.
  EXPECT_EQ(calls, (std::vector<std::string>{
                       "show2 index=0 visible=110", "hide1 index=0 visible=010",  // Next on page 1
                       "show3 index=1 visible=011", "hide2 index=1 visible=001",  // Next on page 2
                       "show2 index=2 visible=011", "hide3 index=2 visible=010",  // Back on page 3
                       "show1 index=1 visible=110", "hide2 index=1 visible=100",  // Back on page 2
                   }));
  EXPECT_EQ(f.PageControl1.ActivePageIndex(), 0);
}

TEST_F(Wizard, ButtonStatesFollowTheClicksNotThePage) {
  TForm1 f;
  f.Show();
  Record(f);
  // The detection may disable Next on page 2; the click leaves it so.
  f.TabSheet2.OnShow = [&](plat::Component*) { f.BitBtn2.SetEnabled(false); };
  f.BitBtn2.Click();
  EXPECT_EQ(f.PageControl1.ActivePageIndex(), 1);
  EXPECT_EQ(Buttons(f), "B-C");
  // Back on page 2 enables Next and Cancel again and disables Back on page 1.
  f.BitBtn1.Click();
  EXPECT_EQ(Buttons(f), "-NC");
  // The installation may disable Back; the last page disables Next and Cancel.
  f.TabSheet2.OnShow = nullptr;
  f.TabSheet3.OnShow = [&](plat::Component*) { f.BitBtn1.SetEnabled(false); };
  f.BitBtn2.Click();
  f.BitBtn2.Click();
  EXPECT_EQ(f.PageControl1.ActivePageIndex(), 2);
  EXPECT_EQ(Buttons(f), "---");
  // After a failed installation Back stays enabled; Back to page 2 enables the rest.
  f.TabSheet3.OnShow = nullptr;
  f.BitBtn1.SetEnabled(true);
  f.BitBtn1.Click();
  EXPECT_EQ(f.PageControl1.ActivePageIndex(), 1);
  EXPECT_EQ(Buttons(f), "BNC");
}

TEST_F(Wizard, DisabledButtonsCannotBeClicked) {
  TForm1 f;
  f.Show();
  Record(f);
  f.BitBtn1.Click();  // Back on page 1 is disabled
  EXPECT_TRUE(calls.empty());
  EXPECT_EQ(f.PageControl1.ActivePageIndex(), 0);
}

TEST_F(Wizard, SettingTheCurrentPageAgainRunsNoHandler) {
  TForm1 f;
  f.Show();
  Record(f);
  f.PageControl1.SetActivePageIndex(0);
  EXPECT_TRUE(calls.empty());
}

TEST_F(Wizard, ExceptionOutOfAShowHandlerIsReportedAndThePageChangeCompletes) {
  TForm1 f;
  f.Show();
  Record(f);
  f.TabSheet3.OnShow = [](plat::Component*) { throw plat::Exception("Błąd zapisu"); };
  f.BitBtn2.Click();
  f.BitBtn2.Click();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Błąd zapisu.");
  EXPECT_EQ(boxes[0].type, UINT(MB_OK | MB_ICONERROR));
  // The old page's hide handler still ran, page 3 is current, and the click's last step ran.
  EXPECT_EQ(calls.back(), "hide2 index=1 visible=001");
  EXPECT_EQ(f.PageControl1.ActivePageIndex(), 2);
  EXPECT_EQ(Buttons(f), "B--");
}

TEST_F(Wizard, ErrorBoxAddsAFullStopOnlyAfterCharactersSortingAfterIt) {
  const struct {
    const char* message;
    const char* shown;
  } cases[] = {
      {"Brak pliku", "Brak pliku."},
      {"Brak pliku.", "Brak pliku."},
      {"Invalid data type for 'Lokalizacja'", "Invalid data type for 'Lokalizacja'"},
      {"Uwaga!", "Uwaga!"},
      {"Błąd: ą", "Błąd: ą."},  // a byte above 0x7F sorts after the full stop
      {"", ""},
  };
  for (const auto& c : cases) {
    boxes.clear();
    plat::App().HandleException(plat::Exception(c.message));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, c.shown) << c.message;
  }
}

TEST_F(Wizard, ExceptionOutOfAClickHandlerIsReportedAndTheProgramGoesOn) {
  TForm1 f;
  f.Show();
  f.BitBtn3.OnClick = [](plat::Component*) { throw std::runtime_error("boom"); };
  f.BitBtn3.Click();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "boom.");
  EXPECT_FALSE(QuitPosted());
}

TEST_F(Wizard, AShowHandlerThatClosesTheWindowRunsToItsEndAndSoDoesTheClick) {
  TForm1 f;
  f.Show();
  f.TabSheet2.OnShow = nullptr;
  bool ranToEnd = false;
  f.TabSheet3.OnShow = [&](plat::Component*) {
    f.Close();
    ranToEnd = true;
  };
  f.BitBtn2.Click();
  EXPECT_FALSE(QuitPosted());
  f.BitBtn2.Click();
  EXPECT_TRUE(ranToEnd);
  EXPECT_TRUE(QuitPosted()) << "closing only posts the end request";
  EXPECT_TRUE(IsWindowVisible(f.Handle()));
  EXPECT_EQ(Buttons(f), "B--");
}

TEST_F(Wizard, CancelCloseAndTheCloseBoxEndTheProgramWithoutAQuestion) {
  for (int way = 0; way < 3; ++way) {
    TForm1 f;
    f.Show();
    if (way == 0) f.BitBtn3.Click();
    if (way == 1) f.BitBtn4Click(&f.BitBtn4);
    if (way == 2) SendMessageW(f.Handle(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(QuitPosted()) << way;
    EXPECT_TRUE(IsWindow(f.Handle())) << way;
    EXPECT_TRUE(boxes.empty());
    TearDown();
    SetUp();
  }
}

}  // namespace
