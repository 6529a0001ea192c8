// The component probe against the stand-in libraries of tests/host, in this
// process: verdicts, answers, faults inside the library, and that no library
// stays loaded afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <optional>
#include <ostream>
#include <string>

#include "app/unit1.h"
#include "platform/text.h"

// CheckHostLibrary is private. An explicit instantiation may name a private
// member; the friend function it defines hands the member out to the test.
void (TForm1::*CheckHostLibraryMember())();
template <void (TForm1::*Member)()>
struct ExposeProbe {
  friend void (TForm1::*CheckHostLibraryMember())() { return Member; }
};
template struct ExposeProbe<&TForm1::CheckHostLibrary>;

namespace {

void Probe(TForm1& form) { (form.*CheckHostLibraryMember())(); }

const std::string kProductId = "SX-2041-0731";
const std::string kPolishOwner = "Pracownia Pomiarów Środowiska Pracy, Łódź";
const std::string kLongestOwner = [] {
  std::string s;
  for (int i = 0; i < 255; ++i) s += static_cast<char>('A' + i % 26);
  return s;
}();
const std::string kSeedId = "stary-id";
const std::string kSeedOwner = "Stary Właściciel";

void Assign(ShortString& field, const std::string& text) {
  field[0] = static_cast<unsigned char>(text.size());
  std::copy(text.begin(), text.end(), field.begin() + 1);
}

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

std::wstring FullPath(const std::wstring& path) {
  wchar_t full[MAX_PATH];
  DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
  return std::wstring(full, n);
}

// <build>/hosts/<variant>: the test runs from <build>/tests.
std::wstring HostFolder(const char* variant) {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  return FullPath(Folder(exe) + L"\\..\\hosts\\" + plat::Widen(variant));
}

bool AnyHostLoaded() { return GetModuleHandleW(L"TARKOMIS.dll") != nullptr; }

// Every heap of the process passes the system's consistency check.
bool HeapsIntact() {
  HANDLE heaps[256];
  DWORD count = GetProcessHeaps(256, heaps);
  for (DWORD i = 0; i < count && i < 256; ++i)
    if (!HeapValidate(heaps[i], 0, nullptr)) return false;
  return true;
}

// A folder of its own under the temporary folder, removed with what it holds.
class Scratch {
 public:
  explicit Scratch(const std::wstring& name) {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"probe_test-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name;
    CreateDirectoryW(path_.c_str(), nullptr);
  }
  ~Scratch() {
    DeleteFileW((path_ + L"\\TARKOMIS.dll").c_str());
    RemoveDirectoryW(path_.c_str());
  }
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

// A library at the root of the current folder's drive, with the current
// folder moved onto that drive meanwhile; both undone at the end.
class PlantedAtRoot {
 public:
  PlantedAtRoot(const std::wstring& folder, const std::wstring& library) {
    wchar_t cwd[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, cwd);
    previous_ = cwd;
    moved_ = SetCurrentDirectoryW(folder.c_str());
    path_ = folder.substr(0, 3) + L"TARKOMIS.dll";
    copied_ = CopyFileW(library.c_str(), path_.c_str(), FALSE);
  }
  ~PlantedAtRoot() {
    SetCurrentDirectoryW(previous_.c_str());
    if (copied_) DeleteFileW(path_.c_str());
  }
  bool ok() const { return moved_ && copied_; }

 private:
  std::wstring previous_, path_;
  bool moved_ = false, copied_ = false;
};

// How the probed folder is made.
enum class Setup {
  Host,            // the variant's own folder
  NoLibrary,       // an empty folder
  NotALibrary,     // a text file named TARKOMIS.dll
  PolishAmpersand, // the variant copied into "Sondarix & Łódź"
  NoLocation,      // empty Location, with the variant at the root of the current drive
};

struct ProbeCase {
  const char* name;
  Setup setup;
  const char* variant;
  bool found;
  // nullopt / nullptr: the field keeps the value it had before the probe.
  std::optional<bool> networkEdition;
  const std::string* productId;
  const std::string* ownerName;
};

void PrintTo(const ProbeCase& c, std::ostream* os) { *os << c.name; }

const std::string kEmpty;
const std::string kAmpersandOwner = "Kowalski & Wójcik";

const ProbeCase kCases[] = {
    {"NetworkEdition", Setup::Host, "ordinary", true, true, &kProductId, &kPolishOwner},
    {"SingleEditionOnlyLowestByteCounts", Setup::Host, "single", true, false, &kProductId, &kPolishOwner},
    {"EmptyOwner", Setup::Host, "owner-empty", true, false, &kProductId, &kEmpty},
    {"Owner255Characters", Setup::Host, "owner-longest", true, false, &kProductId, &kLongestOwner},
    {"OwnerWithAmpersand", Setup::Host, "owner-ampersand", true, false, &kProductId, &kAmpersandOwner},
    {"OnlyTestSiec", Setup::Host, "testsiec-only", true, false, nullptr, nullptr},
    {"NoExports", Setup::Host, "no-exports", true, std::nullopt, nullptr, nullptr},
    {"IdprodAccessViolation", Setup::Host, "idprod-access-violation", false, false, nullptr, nullptr},
    {"IdprodDivideByZero", Setup::Host, "idprod-divide-by-zero", false, false, nullptr, nullptr},
    {"IdprodRaisesForeignException", Setup::Host, "idprod-raises", false, false, nullptr, nullptr},
#if defined(__x86_64__)
    // An i686 library built with GCC unwinds C++ exceptions without Windows exceptions.
    {"IdprodThrowsCppException", Setup::Host, "idprod-throws", false, false, nullptr, nullptr},
#endif
    {"IdprodCatchesItsOwnException", Setup::Host, "idprod-catches", true, false, &kProductId, &kPolishOwner},
    {"OwnerWritesNothingGivesIdprodAnswer", Setup::Host, "owner-writes-nothing", true, false, &kProductId,
     &kProductId},
    {"OwnerAccessViolationKeepsProductId", Setup::Host, "owner-access-violation", false, false, &kProductId,
     nullptr},
    {"OwnerWritesPastTheBuffer", Setup::Host, "owner-overruns", true, false, &kProductId, &kPolishOwner},
    {"OwnerWritesFarPastTheBuffer", Setup::Host, "owner-floods", false, false, &kProductId, nullptr},
    {"InitialisationFails", Setup::Host, "init-fails", false, std::nullopt, nullptr, nullptr},
    {"FolderWithoutLibrary", Setup::NoLibrary, nullptr, false, std::nullopt, nullptr, nullptr},
    {"FileThatIsNoLibrary", Setup::NotALibrary, nullptr, false, std::nullopt, nullptr, nullptr},
    {"FolderWithPolishLettersAndAmpersand", Setup::PolishAmpersand, "ordinary", true, true, &kProductId,
     &kPolishOwner},
    {"EmptyLocationLoadsNothing", Setup::NoLocation, "ordinary", false, std::nullopt, nullptr, nullptr},
};

class ProbeTable : public testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeTable, VerdictAnswersAndNothingLeftLoaded) {
  const ProbeCase& c = GetParam();
  TForm1 form;
  form.NetworkEdition = true;
  Assign(form.ProductId, kSeedId);
  Assign(form.OwnerName, kSeedOwner);

  Scratch scratch(c.setup == Setup::PolishAmpersand ? L"Sondarix & Łódź" : plat::Widen(c.name));
  const std::wstring library = scratch.path() + L"\\TARKOMIS.dll";
  form.Location = plat::Narrow(scratch.path());
  std::optional<PlantedAtRoot> planted;
  switch (c.setup) {
    case Setup::Host:
      form.Location = plat::Narrow(HostFolder(c.variant));
      break;
    case Setup::NoLibrary:
      break;
    case Setup::NotALibrary: {
      HANDLE f = CreateFileW(library.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      ASSERT_NE(f, INVALID_HANDLE_VALUE);
      DWORD written;
      WriteFile(f, "MZ to nie jest biblioteka\r\n", 27, &written, nullptr);
      CloseHandle(f);
      break;
    }
    case Setup::PolishAmpersand:
      ASSERT_TRUE(CopyFileW((HostFolder(c.variant) + L"\\TARKOMIS.dll").c_str(), library.c_str(), FALSE));
      break;
    case Setup::NoLocation:
      planted.emplace(scratch.path(), HostFolder(c.variant) + L"\\TARKOMIS.dll");
      ASSERT_TRUE(planted->ok());
      form.Location.clear();
      break;
  }

  Probe(form);

  EXPECT_EQ(form.HostFound, c.found);
  EXPECT_EQ(form.LibraryHandle, nullptr);
  EXPECT_FALSE(AnyHostLoaded());
  EXPECT_TRUE(HeapsIntact());
  EXPECT_EQ(form.NetworkEdition, c.networkEdition.value_or(true));
  EXPECT_EQ(ToString(form.ProductId), c.productId ? *c.productId : kSeedId);
  EXPECT_EQ(ToString(form.OwnerName), c.ownerName ? *c.ownerName : kSeedOwner);
}

INSTANTIATE_TEST_SUITE_P(Variants, ProbeTable, testing::ValuesIn(kCases),
                         [](const testing::TestParamInfo<ProbeCase>& info) { return std::string(info.param.name); });

// Answers carry over between probes of different folders: a probe stores only
// what its library answered, and a failed probe stores nothing new.
TEST(Probe, AnswersCarryOverBetweenProbes) {
  TForm1 form;
  form.Location = plat::Narrow(HostFolder("ordinary"));
  Probe(form);
  EXPECT_TRUE(form.HostFound);
  EXPECT_TRUE(form.NetworkEdition);
  EXPECT_EQ(ToString(form.OwnerName), kPolishOwner);

  form.Location = plat::Narrow(HostFolder("no-exports"));
  Probe(form);
  EXPECT_TRUE(form.HostFound);
  EXPECT_TRUE(form.NetworkEdition);
  EXPECT_EQ(ToString(form.ProductId), kProductId);
  EXPECT_EQ(ToString(form.OwnerName), kPolishOwner);

  form.Location = plat::Narrow(HostFolder("idprod-raises"));
  Probe(form);
  EXPECT_FALSE(form.HostFound);
  EXPECT_FALSE(form.NetworkEdition);
  EXPECT_EQ(ToString(form.OwnerName), kPolishOwner);

  form.Location = plat::Narrow(HostFolder("owner-empty"));
  Probe(form);
  EXPECT_TRUE(form.HostFound);
  EXPECT_EQ(ToString(form.OwnerName), "");

  form.Location = plat::Narrow(HostFolder("ordinary")) + "\\brak";
  Probe(form);
  EXPECT_FALSE(form.HostFound);
  EXPECT_EQ(ToString(form.ProductId), kProductId);
  EXPECT_EQ(ToString(form.OwnerName), "");
  EXPECT_EQ(form.LibraryHandle, nullptr);
  EXPECT_FALSE(AnyHostLoaded());
}

// The guard holds up when faults come one after another, and a library that
// settles its own exception still answers in between.
TEST(Probe, RepeatedFaultsLeaveNothingBehind) {
  struct Round {
    const char* variant;
    bool found;
  };
  const Round rounds[] = {
      {"idprod-access-violation", false}, {"idprod-catches", true}, {"idprod-divide-by-zero", false},
      {"idprod-raises", false},
#if defined(__x86_64__)
      {"idprod-throws", false},
#endif
      {"owner-floods", false},           {"ordinary", true},
  };
  TForm1 form;
  for (int i = 0; i < 100; ++i) {
    for (const Round& r : rounds) {
      form.Location = plat::Narrow(HostFolder(r.variant));
      Probe(form);
      ASSERT_EQ(form.HostFound, r.found) << r.variant << " round " << i;
      ASSERT_EQ(form.LibraryHandle, nullptr);
      ASSERT_FALSE(AnyHostLoaded()) << r.variant << " round " << i;
    }
  }
  EXPECT_TRUE(HeapsIntact());
  // The process's own exception handling is intact afterwards.
  EXPECT_THROW(throw std::runtime_error("po sondach"), std::runtime_error);
}

}  // namespace
