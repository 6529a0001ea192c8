// Page 2 in-process: the detection from real values in the registry, and the
// manual location through the real folder browser, over real host folders
// holding the stand-in library.
#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include <windows.h>
// clang-format off
#include <commctrl.h>
#include <shlobj.h>
// clang-format on

#include "app/unit1.h"
#include "platform/application.h"
#include "platform/text.h"

namespace {

const std::string kNetwork = "Odnaleziono wersję sieciową programu \"Sondarix\".\r";
const std::string kSingle = "Odnaleziono wersję jednostanowiskową programu \"Sondarix\".\r";
const std::string kPrompt = "Naciśnij przycisk \"Dalej >>\" aby zainstalować nakładkę.";
const std::string kOwner = "Pracownia Pomiarów Środowiska Pracy, Łódź";
const std::string kNoEntry =
    "Nie odnaleziono rejestru!!!\rProblem z określeniem lokalizacji programu \"Sondrix\". Określ lokalizację "
    "programu na dysku lub skontaktuj się ze sprzedawcą.";
const std::string kNotFound =
    "Nie odnaleziono potrzebnych składników programu, skontaktuj się ze sprzedawcą. Nastąpi zamknięcie "
    "instalatora.";
const std::string kNotFoundHere =
    "W podanej lokalizacji nie odnaleziono potrzebnych składników programu. Zmień lokalizację lub skontaktuj się "
    "ze sprzedawcą.";

std::wstring W(const std::string& s) { return plat::Widen(s); }

// A fresh folder under the temporary folder, removed with its files at the end.
class Folder {
 public:
  explicit Folder(const std::string& name) {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    path = plat::Narrow(tmp) + "locate-" + std::to_string(GetCurrentProcessId()) + "-" + name;
    CreateDirectoryW(W(path).c_str(), nullptr);
  }
  ~Folder() {
    DeleteFileW(W(path + "\\TARKOMIS.dll").c_str());
    RemoveDirectoryW(W(path).c_str());
  }
  // Puts a variant of the stand-in host library into the folder.
  Folder& With(const char* variant) {
    const std::string from = std::string(HOSTS_DIR) + "/" + variant + "/TARKOMIS.dll";
    EXPECT_TRUE(CopyFileW(W(from).c_str(), W(path + "\\TARKOMIS.dll").c_str(), FALSE)) << from;
    return *this;
  }
  std::string path;
};

// The registry value the detection reads, set for one test and removed after it.
void SetValue(DWORD type, const std::wstring& data, bool withValue = true) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"VeSondarix", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  if (withValue)
    RegSetValueExW(key, L"Lokalizacja", 0, type, reinterpret_cast<const BYTE*>(data.c_str()),
                   DWORD(data.empty() ? 0 : (data.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}
void SetDword(DWORD value) {
  HKEY key;
  RegCreateKeyExW(HKEY_CURRENT_USER, L"VeSondarix", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExW(key, L"Lokalizacja", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  RegCloseKey(key);
}
void RemoveKey() { RegDeleteKeyW(HKEY_CURRENT_USER, L"VeSondarix"); }

bool QuitPosted() {
  MSG m;
  return PeekMessageW(&m, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE) != 0;
}

struct Box {
  std::string text;
  UINT type;
};

class Page2 : public ::testing::Test {
 protected:
  void SetUp() override {
    RemoveKey();
    boxes.clear();
    plat::App().ShowBox = [this](const std::string& text, UINT type) { boxes.push_back({text, type}); };
  }
  void TearDown() override {
    plat::App().ShowBox = nullptr;
    RemoveKey();
    // Handle what is pending (paints would come back forever) and drop the end request.
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE))
      if (m.message != WM_QUIT) DispatchMessageW(&m);
  }
  // A shown wizard moved on to page 2.
  void ToPage2(TForm1& f) {
    f.Show();
    f.BitBtn2.Click();
    ASSERT_EQ(f.PageControl1.ActivePageIndex(), 1);
  }
  std::vector<Box> boxes;
};

TEST_F(Page2, FoundHostsShowEditionLocationOwnerAndPrompt) {
  Folder plain("plain"), amp("a&b"), slash("slash");
  plain.With("ordinary");
  amp.With("owner-ampersand");
  slash.With("single");
  const struct {
    const char* label;
    std::string location;
    std::string text;
  } cases[] = {
      {"network edition", plain.path, kNetwork + "Lokalizacja: " + plain.path + "\r" + kOwner + "\r" + kPrompt},
      {"ampersands in folder and owner", amp.path,
       kSingle + "Lokalizacja: " + amp.path + "\rKowalski & Wójcik\r" + kPrompt},
      // The folder is shown and probed as stored, so the library path has "\\".
      {"trailing backslash, single edition", slash.path + "\\",
       kSingle + "Lokalizacja: " + slash.path + "\\\r" + kOwner + "\r" + kPrompt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SetValue(REG_SZ, W(c.location));
    TForm1 f;
    ToPage2(f);
    EXPECT_EQ(f.Location, c.location);
    EXPECT_EQ(f.StaticText3.Caption(), c.text);
    EXPECT_TRUE(f.BitBtn2.Enabled());
    EXPECT_FALSE(f.Edit1.Visible());
    EXPECT_FALSE(f.BitBtn5.Visible());
    EXPECT_EQ(f.TabSheet2.Tag, 1);
    EXPECT_EQ(f.LibraryHandle, nullptr);
    EXPECT_TRUE(boxes.empty());
    EXPECT_FALSE(QuitPosted());
  }
}

TEST_F(Page2, EmptyOwnerLeavesAnEmptyThirdLine) {
  Folder host("empty-owner");
  host.With("owner-empty");
  SetValue(REG_EXPAND_SZ, W(host.path));
  TForm1 f;
  ToPage2(f);
  EXPECT_EQ(f.StaticText3.Caption(), kSingle + "Lokalizacja: " + host.path + "\r\r" + kPrompt);
}

TEST_F(Page2, FolderWithoutTheLibraryShowsOneMessageAndEndsTheProgram) {
  Folder empty("empty");
  const struct {
    const char* label;
    DWORD type;
    std::wstring data;
    std::string location;
  } cases[] = {
      {"folder without library", REG_SZ, W(empty.path), empty.path},
      {"environment reference taken literally", REG_EXPAND_SZ, L"%TEMP%\\x", "%TEMP%\\x"},
      {"empty value", REG_SZ, L"", ""},
      {"value without data", REG_BINARY, L"", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.label);
    SetValue(c.type, c.data);
    TForm1 f;
    ToPage2(f);
    EXPECT_EQ(f.Location, c.location);
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, kNotFound);
    EXPECT_EQ(boxes[0].type, UINT(MB_OK));
    EXPECT_TRUE(QuitPosted());
    EXPECT_EQ(f.StaticText3.Caption(), "Odnaleziono:");
    EXPECT_EQ(f.TabSheet2.Tag, 1);
    EXPECT_EQ(f.LibraryHandle, nullptr);
    TearDown();
    SetUp();
  }
}

TEST_F(Page2, NoFolderInTheRegistryOffersTheManualLocation) {
  for (bool keyExists : {false, true}) {
    SCOPED_TRACE(keyExists ? "key without value" : "no key");
    if (keyExists) SetValue(REG_SZ, L"", false);
    TForm1 f;
    ToPage2(f);
    EXPECT_EQ(f.StaticText3.Caption(), kNoEntry);
    EXPECT_FALSE(f.BitBtn2.Enabled());
    EXPECT_TRUE(f.Edit1.Visible());
    EXPECT_FALSE(f.Edit1.Enabled());
    EXPECT_EQ(f.Edit1.Text(), "");
    EXPECT_TRUE(f.BitBtn5.Visible());
    EXPECT_TRUE(f.Location.empty());
    EXPECT_TRUE(boxes.empty());
    // Back and Next: the page keeps its content, now with Next enabled.
    f.BitBtn1.Click();
    f.BitBtn2.Click();
    EXPECT_EQ(f.StaticText3.Caption(), kNoEntry);
    EXPECT_TRUE(f.BitBtn2.Enabled());
    EXPECT_TRUE(f.Edit1.Visible());
    EXPECT_TRUE(f.BitBtn5.Visible());
  }
}

TEST_F(Page2, ValueOfAnotherTypeIsReportedAndTheDetectionRunsAgainNextTime) {
  SetDword(1);
  TForm1 f;
  ToPage2(f);
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, "Invalid data type for 'Lokalizacja'");
  EXPECT_EQ(boxes[0].type, UINT(MB_OK | MB_ICONERROR));
  EXPECT_EQ(f.PageControl1.ActivePageIndex(), 1);
  EXPECT_EQ(f.StaticText3.Caption(), "Odnaleziono:");
  EXPECT_TRUE(f.BitBtn2.Enabled());
  EXPECT_FALSE(f.BitBtn5.Visible());
  EXPECT_EQ(f.TabSheet2.Tag, 0);
  EXPECT_TRUE(f.Location.empty());
  // Leaving the page empties the text; coming back repeats the detection.
  f.BitBtn1.Click();
  EXPECT_EQ(f.StaticText3.Caption(), "");
  Folder host("retry");
  host.With("ordinary");
  SetValue(REG_SZ, W(host.path));
  f.BitBtn2.Click();
  EXPECT_EQ(f.StaticText3.Caption(), kNetwork + "Lokalizacja: " + host.path + "\r" + kOwner + "\r" + kPrompt);
  EXPECT_EQ(f.TabSheet2.Tag, 1);
  EXPECT_FALSE(QuitPosted());
}

TEST_F(Page2, DetectionRunsOnceThenThePageKeepsItsContent) {
  Folder first("first"), second("second");
  first.With("ordinary");
  second.With("single");
  SetValue(REG_SZ, W(first.path));
  TForm1 f;
  ToPage2(f);
  const std::string shown = f.StaticText3.Caption();
  SetValue(REG_SZ, W(second.path));  // not read again
  f.BitBtn1.Click();
  f.BitBtn2.Click();
  EXPECT_EQ(f.StaticText3.Caption(), shown);
  EXPECT_EQ(f.Location, first.path);
  EXPECT_EQ(f.TabSheet2.Tag, 1);
}

// ---- Manual location ------------------------------------------------------

// Answers the folder browser from another thread as a user would: waits for
// the dialog, selects `path` (or keeps the pre-selection when empty) and
// confirms, or cancels.
class BrowserUser {
 public:
  BrowserUser(std::string path, bool confirm) : path_(W(path)), confirm_(confirm) {
    thread_ = std::thread([this] { Answer(); });
  }
  ~BrowserUser() { thread_.join(); }

 private:
  static BOOL CALLBACK IsBrowser(HWND w, LPARAM found) {
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    wchar_t cls[16] = {};
    GetClassNameW(w, cls, 16);
    if (pid != GetCurrentProcessId() || lstrcmpW(cls, L"#32770") || !IsWindowVisible(w) ||
        !FindWindowExW(w, nullptr, L"SysTreeView32", nullptr))
      return TRUE;
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
  }
  static HWND FindBrowser() {
    HWND found = nullptr;
    EnumWindows(IsBrowser, reinterpret_cast<LPARAM>(&found));
    return found;
  }
  static std::wstring CaretText(HWND tree) {
    wchar_t text[MAX_PATH] = {};
    TVITEMW item{};
    item.mask = TVIF_TEXT;
    item.hItem = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    item.pszText = text;
    item.cchTextMax = MAX_PATH;
    if (item.hItem) SendMessageW(tree, TVM_GETITEMW, 0, LPARAM(&item));
    return text;
  }
  static bool WaitFor(HWND tree, const std::wstring& text, int tries = 250) {
    for (int i = 0; i < tries; ++i, Sleep(20))
      if (CaretText(tree) == text) return true;
    return false;
  }
  void Answer() {
    HWND dialog = nullptr;
    for (int i = 0; i < 500 && !dialog; ++i, Sleep(20)) dialog = FindBrowser();
    if (!dialog) return;
    // The browser pre-selects the program's folder; ours comes after that.
    HWND tree = FindWindowExW(dialog, nullptr, L"SysTreeView32", nullptr);
    WaitFor(tree, L"tests");
    if (confirm_ && !path_.empty()) {
      // Under load the browser sometimes drops a selection: repeat until it shows.
      const std::wstring leaf = path_.substr(path_.find_last_of(L'\\', path_.size() - 2) + 1);
      for (int attempt = 0; attempt < 5; ++attempt) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, LPARAM(path_.c_str()));
        if (leaf.back() == L'\\' || WaitFor(tree, leaf, 50)) break;
      }
    }
    PostMessageW(dialog, WM_COMMAND, confirm_ ? IDOK : IDCANCEL, 0);
  }
  std::wstring path_;
  bool confirm_;
  std::thread thread_;
};

class Manual : public Page2 {
 protected:
  // Page 2 in the no-registry-entry state, ready for the browse button.
  void Open(TForm1& f) {
    ToPage2(f);
    ASSERT_TRUE(f.BitBtn5.Visible());
  }
  void Browse(TForm1& f, const std::string& path, bool confirm) {
    BrowserUser user(path, confirm);
    f.BitBtn5.Click();
  }
  static std::string Found(const std::string& edition, const std::string& owner) {
    return edition + owner + "\r" + kPrompt;
  }
};

TEST_F(Manual, EachChoiceIsShownProbedAndReported) {
  Folder host("manual-host"), single("manual-single"), empty("manual-empty");
  host.With("ordinary");
  single.With("single");
  TForm1 f;
  Open(f);

  // Cancel on the first click: the empty location is probed in vain.
  Browse(f, "", false);
  EXPECT_EQ(f.Edit1.Text(), "");
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_EQ(boxes[0].text, kNotFoundHere);
  EXPECT_FALSE(f.BitBtn2.Enabled());
  EXPECT_EQ(f.StaticText3.Caption(), kNoEntry);

  // A host folder: three lines, no location line, Next enabled.
  Browse(f, host.path, true);
  EXPECT_EQ(f.Location, host.path);
  EXPECT_EQ(f.Edit1.Text(), host.path);
  EXPECT_EQ(f.StaticText3.Caption(), Found(kNetwork, kOwner));
  EXPECT_TRUE(f.BitBtn2.Enabled());
  EXPECT_EQ(boxes.size(), 1u);

  // Cancel keeps the folder and probes it again.
  f.StaticText3.SetCaption("");
  Browse(f, "", false);
  EXPECT_EQ(f.Location, host.path);
  EXPECT_EQ(f.StaticText3.Caption(), Found(kNetwork, kOwner));

  // The text follows the last successful choice.
  Browse(f, single.path, true);
  EXPECT_EQ(f.StaticText3.Caption(), Found(kSingle, kOwner));

  // A folder without the library: the message; the earlier text and Next stay.
  Browse(f, empty.path, true);
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[1].text, kNotFoundHere);
  EXPECT_EQ(f.Location, empty.path);
  EXPECT_EQ(f.Edit1.Text(), empty.path);
  EXPECT_EQ(f.StaticText3.Caption(), Found(kSingle, kOwner));
  EXPECT_TRUE(f.BitBtn2.Enabled());
  EXPECT_EQ(f.LibraryHandle, nullptr);
}

TEST_F(Manual, BrowserStartsAtTheProgramFolderAndADriveRootLosesItsBackslash) {
  TForm1 f;
  Open(f);
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::string folder = plat::Narrow(exe);
  folder.resize(folder.rfind('\\'));
  Browse(f, "", true);  // OK on the pre-selected folder
  EXPECT_EQ(f.Location, folder);

  Browse(f, "C:\\", true);
  EXPECT_EQ(f.Location, "C:");
  EXPECT_EQ(f.Edit1.Text(), "C:");
}

TEST_F(Manual, AmpersandInTheFolderShowsAsItselfInTheField) {
  Folder host("x&y");
  host.With("ordinary");
  TForm1 f;
  Open(f);
  Browse(f, host.path, true);
  EXPECT_EQ(f.Edit1.Text(), host.path);
  wchar_t shown[MAX_PATH] = {};
  GetWindowTextW(f.Edit1.Handle(), shown, MAX_PATH);
  EXPECT_EQ(plat::Narrow(shown), host.path);
  EXPECT_TRUE(f.BitBtn2.Enabled());
}

}  // namespace
