#include "select_directory.h"

#include <shlobj.h>

#include "text.h"

namespace plat {

namespace {

int CALLBACK BrowseCallback(HWND dialog, UINT msg, LPARAM, LPARAM data) {
  if (msg == BFFM_INITIALIZED && data) SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

bool DirectoryExists(const std::wstring& path) {
  const DWORD attr = GetFileAttributesW(path.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

// Critical-error boxes (a drive without a disk) stay suppressed while browsing.
class ErrorModeScope {
 public:
  ErrorModeScope() : old_(SetErrorMode(SEM_FAILCRITICALERRORS)) {}
  ~ErrorModeScope() { SetErrorMode(old_); }

 private:
  UINT old_;
};

}  // namespace

bool SelectDirectory(HWND owner, const std::string& instruction, std::string& directory) {
  IMalloc* malloc = nullptr;
  if (FAILED(SHGetMalloc(&malloc)) || !malloc) return false;
  const std::wstring initial = Widen(directory);
  const std::wstring title = Widen(instruction);
  BROWSEINFOW bi{};
  wchar_t display[MAX_PATH] = {};
  bi.hwndOwner = owner;
  bi.pszDisplayName = display;
  bi.lpszTitle = title.c_str();
  bi.ulFlags = BIF_RETURNONLYFSDIRS;
  bi.lpfn = BrowseCallback;
  bi.lParam = DirectoryExists(initial) ? reinterpret_cast<LPARAM>(initial.c_str()) : 0;

  bool chosen = false;
  {
    ErrorModeScope errorMode;
    if (PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&bi)) {
      wchar_t path[MAX_PATH] = {};
      chosen = SHGetPathFromIDListW(item, path) != FALSE;
      if (chosen) directory = Narrow(path);
      malloc->Free(item);
    }
  }
  malloc->Release();
  return chosen;
}

}  // namespace plat
