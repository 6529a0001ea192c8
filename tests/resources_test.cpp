// What the executable carries: the payloads under their catalogue names, the
// icon, the pictures, the version record, and no manifest.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "deploy/catalogue.h"
#include "platform/errors.h"

namespace {

std::string SourceBytes(const std::string& resourceName) {
  std::ifstream in(std::string(PAYLOADS_DIR) + "/" + resourceName + ".rtf", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(Catalogue, EveryEntryFetchesExactlyItsSourceFileByItsMixedCaseName) {
  const size_t sizes[] = {4809, 4809, 3949, 4531, 3868, 4077, 3452, 4546, 8774,
                          4298, 5148, 5142, 8656, 9746, 7762, 7922, 7234, 5155};
  std::set<std::string> targets;
  for (size_t i = 0; i < TemplateCatalogue.size(); ++i) {
    const CatalogueEntry& e = TemplateCatalogue[i];
    SCOPED_TRACE(e.ResourceName);
    EXPECT_EQ(e.ResourceName, "Plik" + std::to_string(i + 1) + "T");
    auto payload = OpenPayload(e);
    const std::string bytes(static_cast<const char*>(payload->Memory()), payload->Size());
    EXPECT_EQ(payload->Size(), sizes[i]);
    EXPECT_EQ(bytes, SourceBytes(e.ResourceName));
    EXPECT_EQ(std::string(e.TargetPath).rfind("\\SZABLONY\\", 0), 0u);
    EXPECT_EQ(e.ProgressText, i == 2 ? std::string("Plik") : std::string(e.TargetPath));
    targets.insert(e.TargetPath);
  }
  EXPECT_EQ(targets.size(), 18u);
  EXPECT_EQ(std::string(TemplateCatalogue[17].TargetPath), "\\SZABLONY\\HalasTabela2E.rtf");
}

TEST(Catalogue, PayloadsAreStoredOnceInPolishUnderUpperCaseNames) {
  HMODULE self = GetModuleHandleW(nullptr);
  for (int i = 1; i <= 18; ++i) {
    const std::wstring name = L"PLIK" + std::to_wstring(i) + L"T";
    EXPECT_TRUE(FindResourceExW(self, MAKEINTRESOURCEW(10), name.c_str(), MAKELANGID(LANG_POLISH, SUBLANG_DEFAULT)))
        << i;
  }
  EXPECT_FALSE(FindResourceW(self, L"PLIK19T", MAKEINTRESOURCEW(10)));
}

TEST(Catalogue, AMissingNameRaisesNotFound) {
  const CatalogueEntry missing{"Plik19T", "\\SZABLONY\\X.rtf", "\\SZABLONY\\X.rtf"};
  EXPECT_THROW(OpenPayload(missing), plat::EResNotFound);
}

// The shipped executable's own resources.
class Executable : public ::testing::Test {
 protected:
  void SetUp() override {
    module = LoadLibraryExW(exe().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_TRUE(module);
  }
  void TearDown() override { FreeLibrary(module); }
  static std::wstring exe() {
    std::string unix = INSTALATOR_EXE;
    std::wstring w = L"Z:";
    for (char c : unix) w += c == '/' ? L'\\' : wchar_t(c);
    return w;
  }
  HMODULE module = nullptr;
};

TEST_F(Executable, CarriesTheVersionRecord) {
  const std::wstring path = exe();
  DWORD ignored = 0;
  std::vector<char> info(GetFileVersionInfoSizeW(path.c_str(), &ignored));
  ASSERT_FALSE(info.empty());
  ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, DWORD(info.size()), info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT len = 0;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &len));
  EXPECT_EQ(fixed->dwFileVersionMS, 0x00020001u);
  EXPECT_EQ(fixed->dwFileVersionLS, 0u);
  EXPECT_EQ(fixed->dwProductVersionMS, 0x00020001u);
  EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u);
  EXPECT_EQ(fixed->dwFileOS, DWORD(VOS__WINDOWS32));
  EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &len));
  EXPECT_EQ(translation[0], 0x0415);
  EXPECT_EQ(translation[1], 1250);
  const struct {
    const wchar_t* key;
    const wchar_t* value;
  } strings[] = {{L"ProductName", L"Instalator"}, {L"FileVersion", L"2.1.0.0"}, {L"ProductVersion", L"2.1.0.0"},
                 {L"CompanyName", L"TERPOMIAR"},  {L"FileDescription", L""},   {L"LegalCopyright", L""}};
  for (const auto& s : strings) {
    wchar_t* value = nullptr;
    const std::wstring key = std::wstring(L"\\StringFileInfo\\041504E2\\") + s.key;
    ASSERT_TRUE(VerQueryValueW(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &len)) << s.key;
    EXPECT_STREQ(len ? value : L"", s.value);
  }
}

TEST_F(Executable, CarriesOneSixteenColourIconAndNoManifest) {
  HRSRC group = FindResourceW(module, L"MAINICON", MAKEINTRESOURCEW(14));  // RT_GROUP_ICON
  ASSERT_TRUE(group);
  const auto* dir = static_cast<const BYTE*>(LockResource(LoadResource(module, group)));
  const WORD count = *reinterpret_cast<const WORD*>(dir + 4);
  ASSERT_EQ(count, 1);
  const BYTE* entry = dir + 6;  // width, height, colours, reserved, planes, bits per pixel
  EXPECT_EQ(entry[0], 32);
  EXPECT_EQ(entry[1], 32);
  EXPECT_EQ(entry[2], 16);
  EXPECT_EQ(*reinterpret_cast<const WORD*>(entry + 6), 4);
  EXPECT_FALSE(FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24)));  // RT_MANIFEST
}

TEST_F(Executable, CarriesTheTwoPicturesWithTheirKeyColour) {
  const struct {
    const wchar_t* name;
    int size;
  } pictures[] = {{L"PICTURE1", 32}, {L"PICTURE2", 48}};
  for (const auto& p : pictures) {
    HRSRC res = FindResourceW(module, p.name, MAKEINTRESOURCEW(2));  // RT_BITMAP
    ASSERT_TRUE(res);
    const auto* info = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(module, res)));
    EXPECT_EQ(info->biSize, 40u);
    EXPECT_EQ(info->biWidth, p.size);
    EXPECT_EQ(info->biHeight, p.size);  // bottom-up
    EXPECT_EQ(info->biBitCount, 24);
    EXPECT_EQ(info->biCompression, DWORD(BI_RGB));
    EXPECT_EQ(info->biClrUsed, 0u);
  }
  // The first stored row is the bottom one: its first pixel is the light grey key.
  const auto* info =
      static_cast<const BYTE*>(LockResource(LoadResource(module, FindResourceW(module, L"PICTURE2", MAKEINTRESOURCEW(2)))));
  const BYTE* pixel = info + 40;
  EXPECT_EQ(pixel[0], 195);
  EXPECT_EQ(pixel[1], 195);
  EXPECT_EQ(pixel[2], 195);
}

}  // namespace
