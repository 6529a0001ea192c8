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

// The shell is loaded only when the browser is needed: linked in, it would
// add its load time to every start of the program.
class Shell {
 public:
  Shell() : module_(LoadLibraryW(L"shell32.dll")) {}
  ~Shell() {
    if (module_) FreeLibrary(module_);
  }
  template <class F>
  F* Get(const char* name) const {
    return module_ ? reinterpret_cast<F*>(reinterpret_cast<void*>(GetProcAddress(module_, name))) : nullptr;
  }

 private:
  HMODULE module_;
};

}  // namespace

bool SelectDirectory(HWND owner, const std::string& instruction, std::string& directory) {
  Shell shell;
  auto* getMalloc = shell.Get<decltype(SHGetMalloc)>("SHGetMalloc");
  auto* browse = shell.Get<decltype(SHBrowseForFolderW)>("SHBrowseForFolderW");
  auto* getPath = shell.Get<decltype(SHGetPathFromIDListW)>("SHGetPathFromIDListW");
  IMalloc* malloc = nullptr;
  if (!getMalloc || !browse || !getPath || FAILED(getMalloc(&malloc)) || !malloc) return false;
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
    if (PIDLIST_ABSOLUTE item = browse(&bi)) {
      wchar_t path[MAX_PATH] = {};
      chosen = getPath(item, path) != FALSE;
      if (chosen) directory = Narrow(path);
      malloc->Free(item);
    }
  }
  malloc->Release();
  return chosen;
}

}  // namespace plat
