#include "file_replace.h"

#include "errors.h"
#include "text.h"

namespace plat {

namespace {

// Eight upper-case hex digits; printf would link a whole formatter into the program.
std::wstring Hex(unsigned v) {
  std::wstring s(8, L'0');
  for (int i = 7; i >= 0; --i, v >>= 4) s[size_t(i)] = L"0123456789ABCDEF"[v & 15];
  return s;
}

// A new file next to the target. Until Commit it is closed and removed when the
// owner goes out of scope.
class TempFile {
 public:
  explicit TempFile(const std::wstring& folder) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    const unsigned seed = unsigned(now.QuadPart) ^ (GetCurrentProcessId() << 16) ^ GetCurrentThreadId();
    for (unsigned attempt = 0; attempt < 100; ++attempt) {
      std::wstring name = folder + L"~inst" + Hex(seed + attempt * 0x9E3779B9u) + L".tmp";
      handle_ = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle_ != INVALID_HANDLE_VALUE) {
        name_ = std::move(name);
        return;
      }
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
    }
  }
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    Close();
    if (!name_.empty()) DeleteFileW(name_.c_str());
  }

  bool Created() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Handle() const { return handle_; }
  const std::wstring& Name() const { return name_; }
  void Close() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
  }
  // The file now lives under another name; nothing is left to remove.
  void Commit() { name_.clear(); }

 private:
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::wstring name_;
};

bool WriteAll(HANDLE file, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const DWORD chunk = size > 0x40000000u ? 0x40000000u : DWORD(size);
    DWORD written = 0;
    if (!WriteFile(file, p, chunk, &written, nullptr) || written != chunk) return false;
    p += written;
    size -= written;
  }
  return true;
}

std::string SystemMessage(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                     FORMAT_MESSAGE_IGNORE_INSERTS,
                                 nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring message(text ? text : L"", n);
  if (text) LocalFree(text);
  while (!message.empty() && (message.back() == L'\r' || message.back() == L'\n' || message.back() == L' '))
    message.pop_back();
  return Narrow(message);
}

}  // namespace

int SetFileAttributesTo(const std::string& path, DWORD attributes) {
  return SetFileAttributesW(Widen(path).c_str(), attributes) ? 0 : int(GetLastError());
}

void ReplaceFileAtomically(const std::string& path, const void* data, size_t size) {
  const std::wstring target = Widen(path);
  const size_t slash = target.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? std::wstring() : target.substr(0, slash + 1);

  TempFile temp(folder);
  if (!temp.Created())
    throw EFCreateError("Cannot create file \"" + path + "\". " + SystemMessage(GetLastError()));
  if (!WriteAll(temp.Handle(), data, size) || !FlushFileBuffers(temp.Handle()))
    throw EWriteError("Stream write error. " + SystemMessage(GetLastError()));
  temp.Close();
  if (!MoveFileExW(temp.Name().c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw EFCreateError("Cannot create file \"" + path + "\". " + SystemMessage(GetLastError()));
  temp.Commit();
}

}  // namespace plat
