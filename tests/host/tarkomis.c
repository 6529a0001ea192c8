/* A stand-in for the host's component library TARKOMIS.dll. Each variant is
   this one source built with its own settings (see CMakeLists.txt beside it);
   the defaults give a single-edition library with all three exports that
   answer, the owner with Polish letters; the variant "ordinary" is that in
   the network edition. Texts are code page 1250.

   HOST_NETWORK       defined: TestSiec answers the network edition
   HOST_OWNER         OWNER_POLISH, OWNER_EMPTY, OWNER_LONGEST (255
                      characters) or OWNER_AMPERSAND
   HOST_EXPORTS       EXPORTS_ALL, EXPORTS_TESTSIEC_ONLY or EXPORTS_NONE
   HOST_IDPROD        how IDPROD behaves: ANSWERS, ACCESS_VIOLATION,
                      DIVIDE_BY_ZERO, RAISES (an exception of another
                      runtime), THROWS (C++ only), CATCHES_THEN_ANSWERS
                      (C++ only: throws and catches inside, then answers)
   HOST_WLASCICIEL    how Wlasciciel behaves: ANSWERS, WRITES_NOTHING,
                      ACCESS_VIOLATION, OVERRUNS (junk up to 1 KiB, then its
                      answer), FLOODS (junk over 1 MiB, written forwards)
   HOST_INIT_FAILS    defined: the library's initialisation fails */
#include <string.h>
#include <windows.h>

#define OWNER_POLISH 0
#define OWNER_EMPTY 1
#define OWNER_LONGEST 2
#define OWNER_AMPERSAND 3

#define EXPORTS_ALL 0
#define EXPORTS_TESTSIEC_ONLY 1
#define EXPORTS_NONE 2

#define ANSWERS 0
#define ACCESS_VIOLATION 1
#define DIVIDE_BY_ZERO 2
#define RAISES 3
#define THROWS 4
#define CATCHES_THEN_ANSWERS 5
#define WRITES_NOTHING 6
#define OVERRUNS 7
#define FLOODS 8

#ifndef HOST_OWNER
#define HOST_OWNER OWNER_POLISH
#endif
#ifndef HOST_EXPORTS
#define HOST_EXPORTS EXPORTS_ALL
#endif
#ifndef HOST_IDPROD
#define HOST_IDPROD ANSWERS
#endif
#ifndef HOST_WLASCICIEL
#define HOST_WLASCICIEL ANSWERS
#endif

#if (HOST_IDPROD == THROWS || HOST_IDPROD == CATCHES_THEN_ANSWERS) && !defined(__cplusplus)
#error "this variant throws C++ exceptions: build it from tarkomis_cxx.cpp"
#endif

#ifdef __cplusplus
#define C_LINKAGE extern "C"
#else
#define C_LINKAGE
#endif
#define EXPORT C_LINKAGE __declspec(dllexport)

#define PRODUCT_ID "SX-2041-0731"
#if HOST_OWNER == OWNER_POLISH
#define OWNER "Pracownia Pomiarów Środowiska Pracy, Łódź"
#elif HOST_OWNER == OWNER_EMPTY
#define OWNER ""
#elif HOST_OWNER == OWNER_AMPERSAND
#define OWNER "Kowalski & Wójcik"
#endif

/* A custom exception code, as another language's runtime raises them. */
#define FOREIGN_EXCEPTION 0xE0484F53u

C_LINKAGE BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
  (void)instance;
  (void)reserved;
#ifdef HOST_INIT_FAILS
  if (reason == DLL_PROCESS_ATTACH) return FALSE;
#endif
  (void)reason;
  return TRUE;
}

static void PutShortString(unsigned char* answer, const char* text) {
  size_t length = strlen(text);
  answer[0] = (unsigned char)length;
  memcpy(answer + 1, text, length);
}

static void AccessViolation(void) {
  volatile unsigned char* volatile nowhere = 0;
  *nowhere = 1;
}

static void DivideByZero(void) {
  volatile int dividend = 1000, zero = 0, quotient;
  quotient = dividend / zero; /* all volatile, so the division stays */
  (void)quotient;
}

#if HOST_EXPORTS != EXPORTS_NONE

/* Only the lowest byte of the result counts: the single edition answers with
   a value whose lowest byte is zero. */
EXPORT int __stdcall TestSiec(void) {
#ifdef HOST_NETWORK
  return 1;
#else
  return 0x7F00;
#endif
}

#endif

#if HOST_EXPORTS == EXPORTS_ALL

#ifdef __cplusplus
struct Cleanup {
  unsigned char* answer;
  ~Cleanup() { answer[0] = 0; }
};
#endif

EXPORT void __stdcall IDPROD(unsigned char* answer) {
#if HOST_IDPROD == ACCESS_VIOLATION
  AccessViolation();
#elif HOST_IDPROD == DIVIDE_BY_ZERO
  DivideByZero();
#elif HOST_IDPROD == RAISES
  ULONG_PTR arguments[2] = {(ULONG_PTR)answer, 2};
  RaiseException(FOREIGN_EXCEPTION, EXCEPTION_NONCONTINUABLE, 2, arguments);
#elif HOST_IDPROD == THROWS
  Cleanup cleanup = {answer}; /* a destructor for the unwinding to run */
  throw 17;
#elif HOST_IDPROD == CATCHES_THEN_ANSWERS
  try {
    Cleanup cleanup = {answer};
    throw 17;
  } catch (int) {
  }
#endif
  PutShortString(answer, PRODUCT_ID);
}

EXPORT void __stdcall Wlasciciel(unsigned char* answer) {
#if HOST_WLASCICIEL == WRITES_NOTHING
  (void)answer;
  return;
#elif HOST_WLASCICIEL == ACCESS_VIOLATION
  AccessViolation();
#elif HOST_WLASCICIEL == OVERRUNS
  memset(answer, 0xCC, 1024);
#elif HOST_WLASCICIEL == FLOODS
  /* Forward, one byte after the other, like a copy that misses its end. */
  for (size_t i = 0; i < (1u << 20); ++i) ((volatile unsigned char*)answer)[i] = 0xCC;
#endif
#if HOST_OWNER == OWNER_LONGEST
  answer[0] = 255;
  for (int i = 1; i <= 255; ++i) answer[i] = (unsigned char)('A' + (i - 1) % 26);
#else
  PutShortString(answer, OWNER);
#endif
}

#endif
