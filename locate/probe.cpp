// The component probe: confirms a Sondarix folder by loading its component
// library and asking it for the edition, the product id and the owner.
#include <windows.h>

#include <cstring>

#include "app/unit1.h"
#include "locate/probe_guard.h"
#include "platform/text.h"

namespace {

// The library's exports, stdcall on i686. TestSiec's answer is one byte: only
// the lowest byte of the returned register counts.
using TestSiecProc = unsigned char(__stdcall*)();
using AnswerProc = void(__stdcall*)(unsigned char* answer);

// The buffer both string exports write their short string into. The answer
// needs 256 bytes; the rest of a page lies behind them for a library that
// writes further, and behind that page one that cannot be touched, so a
// library that runs on faults inside the guard instead of overwriting the
// installer's memory. Fresh pages are zero: an answer nobody wrote is empty.
class AnswerBuffer {
 public:
  AnswerBuffer() {
    SYSTEM_INFO info;
    GetSystemInfo(&info);
    page_ = info.dwPageSize;
    data_ = static_cast<unsigned char*>(VirtualAlloc(nullptr, 2 * page_, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
    DWORD previous;
    if (data_ && !VirtualProtect(data_ + page_, page_, PAGE_NOACCESS, &previous)) {
      VirtualFree(data_, 0, MEM_RELEASE);
      data_ = nullptr;
    }
  }
  ~AnswerBuffer() {
    if (data_) VirtualFree(data_, 0, MEM_RELEASE);
  }
  AnswerBuffer(const AnswerBuffer&) = delete;
  AnswerBuffer& operator=(const AnswerBuffer&) = delete;

  unsigned char* data() const { return data_; }

 private:
  DWORD page_ = 0;
  unsigned char* data_ = nullptr;
};

// Releases the library when the probe ends, whichever way, and clears the handle.
class LibraryRelease {
 public:
  explicit LibraryRelease(HMODULE& handle) : handle_(handle) {}
  ~LibraryRelease() {
    if (handle_) FreeLibrary(handle_);
    handle_ = nullptr;
  }
  LibraryRelease(const LibraryRelease&) = delete;
  LibraryRelease& operator=(const LibraryRelease&) = delete;

 private:
  HMODULE& handle_;
};

struct Query {
  HMODULE library;
  unsigned char* answer;
  bool* networkEdition;
  ShortString* productId;
  ShortString* ownerName;
};

template <typename Proc>
Proc Export(HMODULE library, const char* name) {
  return reinterpret_cast<Proc>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// The length byte and the characters it counts: 256 bytes at most.
void CopyAnswer(const unsigned char* answer, ShortString& field) { std::memcpy(field.data(), answer, 1 + answer[0]); }

// Runs inside the guard, which may end it at any call into the library: it
// owns nothing that would need a cleanup, and each field is written only once
// its answer is complete.
void AskLibrary(void* context) {
  const Query& q = *static_cast<const Query*>(context);
  if (auto testSiec = Export<TestSiecProc>(q.library, "TestSiec")) *q.networkEdition = testSiec() != 0;
  if (auto idprod = Export<AnswerProc>(q.library, "IDPROD")) {
    idprod(q.answer);
    CopyAnswer(q.answer, *q.productId);
  }
  if (auto wlasciciel = Export<AnswerProc>(q.library, "Wlasciciel")) {
    wlasciciel(q.answer);
    CopyAnswer(q.answer, *q.ownerName);
  }
}

}  // namespace

void TForm1::CheckHostLibrary() {
  HostFound = true;
  const std::string path = Location + "\\TARKOMIS.dll";
  // With no location the path would name the root of the current drive, a
  // place nobody chose: nothing is loaded from there.
  AnswerBuffer answer;
  if (!Location.empty() && answer.data()) LibraryHandle = LoadLibraryW(plat::Widen(path).c_str());
  LibraryRelease release(LibraryHandle);
  if (!LibraryHandle) {
    HostFound = false;
    return;
  }
  Query query{LibraryHandle, answer.data(), &NetworkEdition, &ProductId, &OwnerName};
  if (!GuardedCall(AskLibrary, &query)) HostFound = false;
}
