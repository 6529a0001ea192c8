// The real installer started under Wine and worked from outside as a user
// would: registry values, host folders with the stand-in library, the folder
// browser, the installation and its report, the files written.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "deploy/catalogue.h"
#include "tests/driver/driver.h"

namespace {

const std::string kNetwork = "Odnaleziono wersję sieciową programu \"Sondarix\".\r";
const std::string kOwner = "Pracownia Pomiarów Środowiska Pracy, Łódź";
const std::string kPrompt = "Naciśnij przycisk \"Dalej >>\" aby zainstalować nakładkę.";
const std::string kHeader = "Instalacja nakładki R17K.\r";
const std::string kDone =
    "Gotowe. Zainstalowano nakładkę R17K. Zamknij instalatora i uruchom program \"Sondarix\".\r\r"
    "Jeśli pracujesz w sieci pamiętaj aby zainstalować nakładkę na wszystkich komputerach.";
const std::string kFailed =
    "Wystąpił problem podczas instalacji, instalacja nie powiodła się!. Skontaktuj się ze sprzedawcą.";

std::wstring W(const std::string& s) { return drv::FromCp1250(s); }

std::string Contents(const std::wstring& path) {
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  std::string data(GetFileSize(h, nullptr), '\0');
  DWORD got = 0;
  ReadFile(h, data.data(), DWORD(data.size()), &got, nullptr);
  CloseHandle(h);
  return data;
}

// A host installation in the Windows temporary folder, removed at the end.
class Host {
 public:
  Host(const std::string& name, bool withLibrary, bool withTemplates) {
    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    path = drv::ToCp1250(tmp) + "e2e-" + std::to_string(GetCurrentProcessId()) + "-" + name;
    CreateDirectoryW(W(path).c_str(), nullptr);
    if (withLibrary) {
      EXPECT_TRUE(CopyFileW(drv::WindowsPath(std::string(HOSTS_DIR) + "/ordinary/TARKOMIS.dll").c_str(),
                            W(path + "\\TARKOMIS.dll").c_str(), FALSE));
    }
    if (withTemplates) MakeTemplates();
  }
  ~Host() {
    for (const CatalogueEntry& e : TemplateCatalogue) DeleteFileW(W(path + e.TargetPath).c_str());
    RemoveDirectoryW(W(path + "\\SZABLONY").c_str());
    DeleteFileW(W(path + "\\TARKOMIS.dll").c_str());
    RemoveDirectoryW(W(path).c_str());
  }
  void MakeTemplates() { CreateDirectoryW(W(path + "\\SZABLONY").c_str(), nullptr); }
  // Every template is in place with the bytes of its payload.
  void ExpectInstalled() const {
    for (const CatalogueEntry& e : TemplateCatalogue) {
      const std::string name = e.ResourceName;
      const std::string payload = Contents(drv::WindowsPath(std::string(PAYLOADS_DIR) + "/" + name + ".rtf"));
      EXPECT_EQ(Contents(W(path + e.TargetPath)), payload) << e.TargetPath;
    }
  }
  std::string path;
};

void SetLocation(const std::string* folder) {
  RegDeleteKeyW(HKEY_CURRENT_USER, L"VeSondarix");
  if (!folder) return;
  HKEY key;
  RegCreateKeyExW(HKEY_CURRENT_USER, L"VeSondarix", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  const std::wstring value = W(*folder);
  RegSetValueExW(key, L"Lokalizacja", 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 DWORD((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

class Installer : public ::testing::Test {
 protected:
  void TearDown() override { SetLocation(nullptr); }
  drv::Program Start() {
    drv::StartOptions options;
    options.exe = drv::WindowsPath(INSTALATOR_EXE);
    drv::Program p = drv::Program::Start(options);
    p.WaitMainWindow();
    return p;
  }
  static std::string Text(drv::Program& p, const char* name) { return p.Find(name).text; }
  static std::string Buttons(drv::Program& p) {
    return std::string(p.Find("BitBtn1").enabled ? "B" : "-") + (p.Find("BitBtn2").enabled ? "N" : "-") +
           (p.Find("BitBtn3").enabled ? "C" : "-");
  }
};

TEST_F(Installer, FromTheRegistryToTheInstalledTemplatesAndClose) {
  Host host("full", true, true);
  SetLocation(&host.path);
  drv::Program p = Start();
  p.Click("BitBtn2");
  EXPECT_EQ(Text(p, "StaticText3"), kNetwork + "Lokalizacja: " + host.path + "\r" + kOwner + "\r" + kPrompt);
  EXPECT_EQ(Buttons(p), "BNC");
  EXPECT_FALSE(p.Find("Edit1").visible);

  p.Click("BitBtn2");
  EXPECT_EQ(Text(p, "StaticText6"), kHeader + kDone);
  EXPECT_EQ(Text(p, "StaticText4"), "");
  EXPECT_EQ(Buttons(p), "---");
  EXPECT_TRUE(p.Find("BitBtn4").enabled);
  host.ExpectInstalled();

  p.Click("BitBtn4");
  EXPECT_EQ(p.WaitExit(), DWORD(0));
}

TEST_F(Installer, FolderWithoutTheLibraryEndsAfterOneMessage) {
  Host host("nolib", false, true);
  SetLocation(&host.path);
  drv::Program p = Start();
  p.Click("BitBtn2");
  auto box = p.WaitBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->caption, L"Instalator");
  EXPECT_FALSE(box->icon);
  EXPECT_EQ(box->text,
            "Nie odnaleziono potrzebnych składników programu, skontaktuj się ze sprzedawcą. Nastąpi zamknięcie "
            "instalatora.");
  p.BoxOk();
  EXPECT_EQ(p.WaitExit(), DWORD(0));
}

TEST_F(Installer, ManualLocationThroughTheFolderBrowser) {
  Host host("manual", true, true), empty("manual-empty", false, false);
  SetLocation(nullptr);
  drv::Program p = Start();
  p.Click("BitBtn2");
  EXPECT_FALSE(p.Find("BitBtn2").enabled);
  EXPECT_TRUE(p.Find("Edit1").visible);
  EXPECT_TRUE(p.Find("BitBtn5").visible);

  const std::string found = kNetwork + kOwner + "\r" + kPrompt;
  p.Click("BitBtn5");
  p.Browse(W(host.path));
  EXPECT_EQ(Text(p, "Edit1"), host.path);
  EXPECT_EQ(Text(p, "StaticText3"), found);
  EXPECT_TRUE(p.Find("BitBtn2").enabled);

  p.Click("BitBtn5");
  p.BrowseCancel();
  EXPECT_EQ(Text(p, "Edit1"), host.path);
  EXPECT_EQ(Text(p, "StaticText3"), found);
  EXPECT_FALSE(p.WaitBox(300));

  p.Click("BitBtn5");
  p.Browse(W(empty.path));
  auto box = p.WaitBox();
  ASSERT_TRUE(box);
  EXPECT_EQ(box->text,
            "W podanej lokalizacji nie odnaleziono potrzebnych składników programu. Zmień lokalizację lub skontaktuj "
            "się ze sprzedawcą.");
  p.BoxOk();
  EXPECT_EQ(Text(p, "Edit1"), empty.path);
  EXPECT_EQ(Text(p, "StaticText3"), found);
  EXPECT_TRUE(p.Find("BitBtn2").enabled);
  p.Close();
  EXPECT_EQ(p.WaitExit(), DWORD(0));
}

TEST_F(Installer, FailedInstallationThenARerunAfterTheFolderIsMade) {
  Host host("rerun", true, false);
  SetLocation(&host.path);
  drv::Program p = Start();
  p.Click("BitBtn2");
  p.Click("BitBtn2");
  EXPECT_EQ(Text(p, "StaticText6"), kHeader + kFailed);
  EXPECT_EQ(Text(p, "StaticText4"), "\\SZABLONY\\WEMWTABOCENA.rtf");
  EXPECT_EQ(Buttons(p), "B--");
  EXPECT_FALSE(p.WaitBox(300)) << "a failed installation shows no message box";

  host.MakeTemplates();
  p.Click("BitBtn1");
  EXPECT_TRUE(p.Find("StaticText3").visible);
  EXPECT_EQ(Buttons(p), "BNC");
  p.Click("BitBtn2");
  EXPECT_EQ(Text(p, "StaticText6"), kHeader + kFailed + kHeader + kDone);
  EXPECT_EQ(Buttons(p), "---");
  host.ExpectInstalled();
  p.Click("BitBtn4");
  EXPECT_EQ(p.WaitExit(), DWORD(0));
}

}  // namespace
