// The installation page in-process over real folders: the files it writes, the
// report and progress lines, the button states, and what every kind of failure
// leaves behind. Also the atomic file replacement underneath it.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "app/unit1.h"
#include "deploy/catalogue.h"
#include "platform/application.h"
#include "platform/errors.h"
#include "platform/file_replace.h"
#include "platform/text.h"

namespace {

constexpr char kHeader[] = "Instalacja nakładki R17K.\r";
constexpr char kDone[] =
    "Gotowe. Zainstalowano nakładkę R17K. Zamknij instalatora i uruchom program \"Sondarix\".\r\r"
    "Jeśli pracujesz w sieci pamiętaj aby zainstalować nakładkę na wszystkich komputerach.";
constexpr char kFailed[] =
    "Wystąpił problem podczas instalacji, instalacja nie powiodła się!. Skontaktuj się ze sprzedawcą.";

// The file names in SZABLONY after a full installation, as a directory listing returns them.
const std::vector<std::string> kTemplateNames = {
    "CHEMDOTABOCENA.rtf",  "CHEMGTTABOCENA.rtf", "CHEMSTTABOCENA.rtf",  "DRGMITABOCENA.rtf",
    "DRGOGTABOCENA.rtf",   "HALASTABOCENA.rtf",  "HALASWTABOCENA.rtf",  "HalasTabela2E.rtf",
    "MIKGOTABOCENA.rtf",   "MIKUMTABOCENA.rtf",  "MIKZITABOCENA.rtf",   "PYLCADOTABOCENA.rtf",
    "PYLCASTTABOCENA.rtf", "PYLDOTABOCENA.rtf",  "PYLSTTABOCENA.rtf",   "PYLWLTABOCENA.rtf",
    "WEMTTABOCENA.rtf",    "WEMWTABOCENA.rtf",
};

std::string Payload(const CatalogueEntry& entry) {
  auto stream = OpenPayload(entry);
  return std::string(static_cast<const char*>(stream->Memory()), stream->Size());
}

std::optional<std::string> ReadBytes(const std::string& path) {
  HANDLE h = CreateFileW(plat::Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(h, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(h);
  return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
  HANDLE h = CreateFileW(plat::Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << path;
  DWORD written = 0;
  const BOOL ok = WriteFile(h, bytes.data(), DWORD(bytes.size()), &written, nullptr);
  CloseHandle(h);
  ASSERT_TRUE(ok && written == bytes.size()) << path;
}

// Names in a folder, sorted; empty when the folder does not exist.
std::vector<std::string> List(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW(plat::Widen(folder + "\\*").c_str(), &fd);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::wstring name = fd.cFileName;
    if (name != L"." && name != L"..") names.push_back(plat::Narrow(name));
  } while (FindNextFileW(h, &fd));
  FindClose(h);
  std::sort(names.begin(), names.end());
  return names;
}

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW fd;
  HANDLE h = FindFirstFileW((path + L"\\*").c_str(), &fd);
  if (h != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = fd.cFileName;
      if (name == L"." || name == L"..") continue;
      const std::wstring child = path + L"\\" + name;
      SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        RemoveTree(child);
      else
        DeleteFileW(child.c_str());
    } while (FindNextFileW(h, &fd));
    FindClose(h);
  }
  RemoveDirectoryW(path.c_str());
}

// A new host folder (with Polish letters in its name) below `parent`, removed
// with all it holds at the end.
class HostFolder {
 public:
  explicit HostFolder(const std::string& parent) {
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
      LARGE_INTEGER now;
      QueryPerformanceCounter(&now);
      const std::string candidate = parent + "Sondarix łódź " + std::to_string(now.QuadPart % 1000000007);
      if (CreateDirectoryW(plat::Widen(candidate).c_str(), nullptr)) path_ = candidate;
    }
  }
  HostFolder(const HostFolder&) = delete;
  HostFolder& operator=(const HostFolder&) = delete;
  ~HostFolder() {
    if (!path_.empty()) RemoveTree(plat::Widen(path_));
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
};

std::string TempRoot() {
  wchar_t buffer[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, buffer);
  return plat::Narrow(std::wstring(buffer, n));
}

// Another process that holds a file open for reading with no
// sharing, until released: the test executable itself, started with only the
// HeldFileHelper test selected.
class Holder {
 public:
  explicit Holder(const std::string& path) {
    const std::wstring tag = L"install-test-hold-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                             std::to_wstring(GetTickCount64());
    ready_ = CreateEventW(nullptr, TRUE, FALSE, (tag + L"-ready").c_str());
    release_ = CreateEventW(nullptr, TRUE, FALSE, (tag + L"-release").c_str());
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(exe) + L"\" --gtest_filter=HeldFileHelper.* --gtest_brief=1";
    SetEnvironmentVariableW(L"INSTALL_TEST_HOLD", plat::Widen(path).c_str());
    SetEnvironmentVariableW(L"INSTALL_TEST_HOLD_TAG", tag.c_str());
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
      process_ = pi.hProcess;
      CloseHandle(pi.hThread);
      const HANDLE waits[] = {ready_, process_};
      held_ = WaitForMultipleObjects(2, waits, FALSE, 60000) == WAIT_OBJECT_0;
    }
    SetEnvironmentVariableW(L"INSTALL_TEST_HOLD", nullptr);
    SetEnvironmentVariableW(L"INSTALL_TEST_HOLD_TAG", nullptr);
  }
  Holder(const Holder&) = delete;
  Holder& operator=(const Holder&) = delete;
  ~Holder() {
    Release();
    if (ready_) CloseHandle(ready_);
    if (release_) CloseHandle(release_);
  }
  bool Held() const { return held_; }
  // Lets the other process close the file and end; its exit code, or -1.
  int Release() {
    if (!process_) return -1;
    SetEvent(release_);
    DWORD code = DWORD(-1);
    if (WaitForSingleObject(process_, 60000) == WAIT_OBJECT_0) GetExitCodeProcess(process_, &code);
    CloseHandle(process_);
    process_ = nullptr;
    return int(code);
  }

 private:
  HANDLE ready_ = nullptr;
  HANDLE release_ = nullptr;
  HANDLE process_ = nullptr;
  bool held_ = false;
};

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[2048];
  const DWORD n = GetEnvironmentVariableW(name, buffer, 2048);
  return n > 0 && n < 2048 ? std::wstring(buffer, n) : std::wstring();
}

// The other side of Holder.
TEST(HeldFileHelper, HoldsTheFileNamedByTheStartingTest) {
  const std::wstring path = Env(L"INSTALL_TEST_HOLD");
  const std::wstring tag = Env(L"INSTALL_TEST_HOLD_TAG");
  if (path.empty() || tag.empty()) GTEST_SKIP() << "runs only when started by a held-file test";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot open " << plat::Narrow(path);
  HANDLE ready = OpenEventW(EVENT_MODIFY_STATE, FALSE, (tag + L"-ready").c_str());
  HANDLE release = OpenEventW(SYNCHRONIZE, FALSE, (tag + L"-release").c_str());
  ASSERT_TRUE(ready && release);
  SetEvent(ready);
  EXPECT_EQ(WaitForSingleObject(release, 120000), WAIT_OBJECT_0);
  CloseHandle(file);
  CloseHandle(ready);
  CloseHandle(release);
}

// A fresh host folder with an empty SZABLONY.
class HostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::App().ShowBox = [this](const std::string& text, UINT) { boxes.push_back(text); };
    ASSERT_FALSE(host.Path().empty());
    ASSERT_TRUE(CreateDirectoryW(plat::Widen(Templates()).c_str(), nullptr));
  }
  void TearDown() override {
    plat::App().ShowBox = nullptr;
    MSG m;
    while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
    }
  }

  std::string Templates() const { return host.Path() + "\\SZABLONY"; }
  std::string Target(size_t i) const { return host.Path() + TemplateCatalogue[i].TargetPath; }
  static std::string OldBytes(size_t i, size_t extra) {
    return "stary szablon " + std::to_string(i + 1) + "\r\n" + std::string(extra, 'x');
  }

  // Page 3 reached by the Next clicks with `Location` set; the detection of
  // page 2 does not run.
  static void ShowInstallationPage(TForm1& f, const std::string& location) {
    f.TabSheet2.OnShow = nullptr;
    f.TabSheet2.OnHide = nullptr;
    f.Show();
    f.BitBtn2.Click();
    f.Location = location;
    f.BitBtn2.Click();
    ASSERT_EQ(f.PageControl1.ActivePageIndex(), 2);
  }
  static std::string Buttons(TForm1& f) {
    return std::string(f.BitBtn1.Enabled() ? "B" : "-") + (f.BitBtn2.Enabled() ? "N" : "-") +
           (f.BitBtn3.Enabled() ? "C" : "-") + (f.BitBtn4.Enabled() ? "Z" : "-");
  }

  HostFolder host{TempRoot()};
  std::vector<std::string> boxes;
};

class Install : public HostTest {
 protected:
  void SetUp() override {
    HostTest::SetUp();
    for (const CatalogueEntry& entry : TemplateCatalogue)
      ASSERT_NO_THROW(OpenPayload(entry)) << entry.ResourceName << ": the payloads are not built into the executable";
  }
};

TEST_F(Install, FreshInstallWritesEveryTemplateByteForByteAndReportsSuccess) {
  TForm1 f;
  ShowInstallationPage(f, host.Path());
  EXPECT_EQ(f.StaticText6.Caption(), std::string(kHeader) + kDone);
  EXPECT_EQ(f.StaticText4.Caption(), "");
  EXPECT_EQ(Buttons(f), "---Z");
  EXPECT_EQ(List(host.Path()), std::vector<std::string>{"SZABLONY"});
  EXPECT_EQ(List(Templates()), kTemplateNames) << "exact names, and no file left over";
  for (size_t i = 0; i < TemplateCatalogue.size(); ++i)
    EXPECT_EQ(ReadBytes(Target(i)), Payload(TemplateCatalogue[i])) << TemplateCatalogue[i].TargetPath;
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Install, LongerOldTemplatesAreReplacedWhole) {
  for (size_t i = 0; i < TemplateCatalogue.size(); ++i)
    WriteBytes(Target(i), OldBytes(i, Payload(TemplateCatalogue[i]).size() + 1000));
  TForm1 f;
  f.Location = host.Path();
  f.TabSheet3Show(&f.TabSheet3);
  EXPECT_EQ(f.StaticText6.Caption(), std::string(kHeader) + kDone);
  for (size_t i = 0; i < TemplateCatalogue.size(); ++i)
    EXPECT_EQ(ReadBytes(Target(i)), Payload(TemplateCatalogue[i])) << TemplateCatalogue[i].TargetPath;
  EXPECT_EQ(List(Templates()), kTemplateNames);
}

TEST_F(Install, ReadOnlyHiddenAndSystemTemplatesAreReplacedAndLeftArchiveOnly) {
  const struct {
    size_t entry;
    DWORD attributes;
  } cases[] = {
      {0, FILE_ATTRIBUTE_READONLY},
      {1, FILE_ATTRIBUTE_HIDDEN},
      {2, FILE_ATTRIBUTE_SYSTEM},
      {3, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
      {17, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN},
  };
  for (size_t i = 0; i < TemplateCatalogue.size(); ++i) WriteBytes(Target(i), OldBytes(i, 10));
  for (const auto& c : cases) {
    ASSERT_TRUE(SetFileAttributesW(plat::Widen(Target(c.entry)).c_str(), c.attributes));
    ASSERT_EQ(GetFileAttributesW(plat::Widen(Target(c.entry)).c_str()) & c.attributes, c.attributes)
        << "the file system keeps the attributes " << c.attributes;
  }
  TForm1 f;
  f.Location = host.Path();
  f.TabSheet3Show(&f.TabSheet3);
  EXPECT_EQ(f.StaticText6.Caption(), std::string(kHeader) + kDone);
  for (const auto& c : cases) {
    EXPECT_EQ(ReadBytes(Target(c.entry)), Payload(TemplateCatalogue[c.entry])) << c.entry;
    EXPECT_EQ(GetFileAttributesW(plat::Widen(Target(c.entry)).c_str()), DWORD(FILE_ATTRIBUTE_ARCHIVE)) << c.entry;
  }
  EXPECT_EQ(List(Templates()), kTemplateNames);
}

TEST_F(Install, MissingTemplatesFolderFailsOnTheFirstEntryAndCreatesNothing) {
  ASSERT_TRUE(RemoveDirectoryW(plat::Widen(Templates()).c_str()));
  TForm1 f;
  ShowInstallationPage(f, host.Path());
  EXPECT_EQ(f.StaticText6.Caption(), std::string(kHeader) + kFailed);
  EXPECT_EQ(f.StaticText4.Caption(), "\\SZABLONY\\WEMWTABOCENA.rtf");
  EXPECT_EQ(Buttons(f), "B--Z");
  EXPECT_TRUE(List(host.Path()).empty()) << "no folder made, nothing written";
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Install, TemplateHeldOpenByAnotherProcessStopsTheRunWithItsOldBytesWhole) {
  const struct {
    size_t entry;
    const char* progress;
  } cases[] = {
      {0, "\\SZABLONY\\WEMWTABOCENA.rtf"},
      {2, "Plik"},
      {9, "\\SZABLONY\\MIKGOTABOCENA.rtf"},
      {17, "\\SZABLONY\\HalasTabela2E.rtf"},
  };
  const DWORD kHiddenReadOnly = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY;
  auto attributes = [&](size_t i) { return GetFileAttributesW(plat::Widen(Target(i)).c_str()); };
  for (const auto& c : cases) {
    SCOPED_TRACE("held entry " + std::to_string(c.entry + 1));
    RemoveTree(plat::Widen(Templates()));
    ASSERT_TRUE(CreateDirectoryW(plat::Widen(Templates()).c_str(), nullptr));
    for (size_t i = 0; i < TemplateCatalogue.size(); ++i) WriteBytes(Target(i), OldBytes(i, 3));
    // The held file's attributes are reset before its save fails; the next entry is never reached.
    for (size_t i = c.entry; i < std::min(c.entry + 2, TemplateCatalogue.size()); ++i)
      ASSERT_TRUE(SetFileAttributesW(plat::Widen(Target(i)).c_str(), kHiddenReadOnly));
    TForm1 f;
    f.Location = host.Path();
    {
      Holder holder(Target(c.entry));
      ASSERT_TRUE(holder.Held());
      f.TabSheet3Show(&f.TabSheet3);
      EXPECT_EQ(holder.Release(), 0) << "the holding process";
    }
    EXPECT_EQ(f.StaticText6.Caption(), std::string(kHeader) + kFailed);
    EXPECT_EQ(f.StaticText4.Caption(), c.progress);
    EXPECT_TRUE(f.BitBtn1.Enabled());
    for (size_t i = 0; i < TemplateCatalogue.size(); ++i) {
      const std::string expected = i < c.entry ? Payload(TemplateCatalogue[i]) : OldBytes(i, 3);
      EXPECT_EQ(ReadBytes(Target(i)), expected) << TemplateCatalogue[i].TargetPath;
    }
    EXPECT_EQ(attributes(c.entry), DWORD(FILE_ATTRIBUTE_ARCHIVE));
    if (c.entry + 1 < TemplateCatalogue.size()) {
      EXPECT_EQ(attributes(c.entry + 1) & kHiddenReadOnly, kHiddenReadOnly) << "the next entry is not reached";
    }
    EXPECT_EQ(List(Templates()), kTemplateNames) << "no temporary file left";
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Install, MissingPayloadStopsBeforeItsEntryAndKeepsThePreviousProgressText) {
  const CatalogueEntry missing{"BrakT", "\\SZABLONY\\BRAK.rtf", "\\SZABLONY\\BRAK.rtf"};
  const CatalogueEntry& first = TemplateCatalogue[0];
  const CatalogueEntry& third = TemplateCatalogue[2];
  const struct {
    const char* name;
    std::vector<CatalogueEntry> catalogue;
    std::string progress;  // the initial blank when no entry was shown yet
    std::vector<std::string> written;
  } cases[] = {
      {"first missing", {missing, first}, " ", {}},
      {"second missing", {first, missing, third}, first.TargetPath, {"WEMWTABOCENA.rtf"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RemoveTree(plat::Widen(Templates()));
    ASSERT_TRUE(CreateDirectoryW(plat::Widen(Templates()).c_str(), nullptr));
    TForm1 f;
    f.Location = host.Path();
    f.Catalogue = c.catalogue;
    f.TabSheet3Show(&f.TabSheet3);
    EXPECT_EQ(f.StaticText6.Caption(), std::string(kHeader) + kFailed);
    EXPECT_EQ(f.StaticText4.Caption(), c.progress);
    EXPECT_TRUE(f.BitBtn1.Enabled());
    EXPECT_EQ(List(Templates()), c.written);
  }
  EXPECT_TRUE(boxes.empty());
}

TEST_F(Install, RerunAfterFailureAppendsTheNewHeaderRightAfterTheFailureText) {
  ASSERT_TRUE(RemoveDirectoryW(plat::Widen(Templates()).c_str()));
  TForm1 f;
  ShowInstallationPage(f, host.Path());
  ASSERT_EQ(f.StaticText6.Caption(), std::string(kHeader) + kFailed);

  ASSERT_TRUE(CreateDirectoryW(plat::Widen(Templates()).c_str(), nullptr));
  f.BitBtn1.Click();
  EXPECT_EQ(f.PageControl1.ActivePageIndex(), 1);
  EXPECT_EQ(Buttons(f), "BNCZ");
  f.BitBtn2.Click();
  EXPECT_EQ(f.PageControl1.ActivePageIndex(), 2);
  EXPECT_EQ(f.StaticText6.Caption(), std::string(kHeader) + kFailed + kHeader + kDone);
  EXPECT_EQ(f.StaticText4.Caption(), "");
  EXPECT_EQ(Buttons(f), "---Z");
  for (size_t i = 0; i < TemplateCatalogue.size(); ++i)
    EXPECT_EQ(ReadBytes(Target(i)), Payload(TemplateCatalogue[i])) << TemplateCatalogue[i].TargetPath;
  EXPECT_TRUE(boxes.empty());
}

// A full disk: diskfull_test.sh mounts a small tmpfs and names it here. The free
// space is cut down to what the first template needs, so a later write runs
// out of room part way through.
TEST_F(Install, DiskFullMidwayLeavesEveryOldTemplateWhole) {
  const char* mount = std::getenv("INSTALL_TEST_TMPFS");
  if (!mount || !*mount)
    GTEST_SKIP() << "needs a small tmpfs of its own; run through diskfull_test.sh (ctest -R diskfull_test)";
  std::string parent = std::string("Z:") + mount + "\\";
  std::replace(parent.begin(), parent.end(), '/', '\\');
  HostFolder full(parent);
  ASSERT_FALSE(full.Path().empty()) << parent;
  const std::string templates = full.Path() + "\\SZABLONY";
  ASSERT_TRUE(CreateDirectoryW(plat::Widen(templates).c_str(), nullptr));
  auto target = [&](size_t i) { return full.Path() + TemplateCatalogue[i].TargetPath; };
  for (size_t i = 0; i < TemplateCatalogue.size(); ++i) WriteBytes(target(i), OldBytes(i, 0));

  // Fill the disk in whole pages, then give back just the pages of the first payload.
  constexpr DWORD kPage = 4096;
  const std::string filler = full.Path() + "\\wypelnienie";
  HANDLE h = CreateFileW(plat::Widen(filler).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE);
  const std::string page(kPage, '\0');
  LONGLONG filled = 0;
  DWORD written = 0;
  while (WriteFile(h, page.data(), kPage, &written, nullptr) && written == kPage) filled += kPage;
  const LONGLONG firstPages = (LONGLONG(Payload(TemplateCatalogue[0]).size()) + kPage - 1) / kPage;
  ASSERT_GT(filled, firstPages * kPage);
  LARGE_INTEGER end;
  end.QuadPart = filled - firstPages * kPage;
  ASSERT_TRUE(SetFilePointerEx(h, end, nullptr, FILE_BEGIN) && SetEndOfFile(h));
  CloseHandle(h);

  TForm1 f;
  f.Location = full.Path();
  f.TabSheet3Show(&f.TabSheet3);
  EXPECT_EQ(f.StaticText6.Caption(), std::string(kHeader) + kFailed);
  EXPECT_TRUE(f.BitBtn1.Enabled());

  // The run replaced a first part of the templates and stopped; all the rest are untouched.
  size_t stop = 0;
  while (stop < TemplateCatalogue.size() && ReadBytes(target(stop)) == Payload(TemplateCatalogue[stop])) ++stop;
  ASSERT_GE(stop, 1u) << "the first template fits";
  ASSERT_LT(stop, TemplateCatalogue.size()) << "the disk never filled up";
  EXPECT_EQ(f.StaticText4.Caption(), TemplateCatalogue[stop].ProgressText);
  for (size_t i = stop; i < TemplateCatalogue.size(); ++i)
    EXPECT_EQ(ReadBytes(target(i)), OldBytes(i, 0)) << TemplateCatalogue[i].TargetPath;
  EXPECT_EQ(List(templates), kTemplateNames) << "no temporary file left";

  // The failing entry on its own: a write error, the old bytes whole, nothing left over.
  const std::string payload = Payload(TemplateCatalogue[stop]);
  EXPECT_THROW(plat::ReplaceFileAtomically(target(stop), payload.data(), payload.size()), plat::EWriteError);
  EXPECT_EQ(ReadBytes(target(stop)), OldBytes(stop, 0));
  EXPECT_EQ(List(templates), kTemplateNames);
}

using FileReplace = HostTest;

TEST_F(FileReplace, ReplacesOrCreatesWithExactlyTheGivenBytes) {
  const struct {
    const char* name;
    std::optional<std::string> old;
    std::string data;
  } cases[] = {
      {"new.rtf", std::nullopt, std::string("{\\rtf}\r\n\0\xff", 10)},
      {"longer.rtf", std::string(10000, 'o'), "short"},
      {"empty.rtf", std::string("old"), ""},
  };
  for (const auto& c : cases) {
    const std::string path = Templates() + "\\" + c.name;
    if (c.old) WriteBytes(path, *c.old);
    plat::ReplaceFileAtomically(path, c.data.data(), c.data.size());
    EXPECT_EQ(ReadBytes(path), c.data) << c.name;
  }
  EXPECT_EQ(List(Templates()), (std::vector<std::string>{"empty.rtf", "longer.rtf", "new.rtf"}));
}

TEST_F(FileReplace, TargetThatCannotBeReplacedRaisesCreateErrorAndLeavesNoTemporaryFile) {
  ASSERT_TRUE(CreateDirectoryW(plat::Widen(Templates() + "\\folder.rtf").c_str(), nullptr));
  WriteBytes(Templates() + "\\held.rtf", "held");
  const struct {
    const char* why;
    std::string path;
  } cases[] = {
      {"missing folder", host.Path() + "\\BRAK\\a.rtf"},
      {"target is a folder", Templates() + "\\folder.rtf"},
      {"name too long", Templates() + "\\" + std::string(300, 'a') + ".rtf"},
      {"held open by another process", Templates() + "\\held.rtf"},
  };
  Holder holder(Templates() + "\\held.rtf");
  ASSERT_TRUE(holder.Held());
  for (const auto& c : cases)
    EXPECT_THROW(plat::ReplaceFileAtomically(c.path, "new", 3), plat::EFCreateError) << c.why;
  EXPECT_EQ(holder.Release(), 0);
  EXPECT_EQ(ReadBytes(Templates() + "\\held.rtf"), "held");
  EXPECT_EQ(List(Templates()), (std::vector<std::string>{"folder.rtf", "held.rtf"}));
  EXPECT_EQ(List(host.Path()), std::vector<std::string>{"SZABLONY"});
}

TEST_F(FileReplace, AttributeResetReportsTheErrorCodeInsteadOfRaising) {
  const std::string path = Templates() + "\\a.rtf";
  EXPECT_EQ(plat::SetFileAttributesTo(path, FILE_ATTRIBUTE_ARCHIVE), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(plat::SetFileAttributesTo(host.Path() + "\\BRAK\\a.rtf", FILE_ATTRIBUTE_ARCHIVE), ERROR_PATH_NOT_FOUND);
  WriteBytes(path, "x");
  ASSERT_TRUE(SetFileAttributesW(plat::Widen(path).c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(plat::SetFileAttributesTo(path, FILE_ATTRIBUTE_ARCHIVE), 0);
  EXPECT_EQ(GetFileAttributesW(plat::Widen(path).c_str()), DWORD(FILE_ATTRIBUTE_ARCHIVE));
}

}  // namespace
