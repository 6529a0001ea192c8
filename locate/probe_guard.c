// GuardedCall: runs one step that calls into a foreign library and turns every
// exception leaving it (access violation, divide error, an exception raised by
// another language's runtime, a C++ throw) into a plain "it failed".
//
// The guard is a frame-based handler, registered for this function's frame
// only. Windows looks for a handler frame by frame from the faulting code
// upwards, so a library that raises and handles an exception inside itself
// settles it in its own frames and never reaches this guard. (A vectored
// handler would see such first-chance exceptions before the library does.)
//
// x86_64: the function's unwind data names __C_specific_handler with a scope
// table of one entry: the range from .l_guard_begin to .l_guard_end, the
// filter GuardFilter, and .l_guard_end as the place to resume. An exception
// whose dispatch reaches this frame while the return address of the step call
// lies inside that range asks GuardFilter, which always accepts; the runtime
// then unwinds the frames in between (running their cleanups) and continues at
// .l_guard_end with this frame's stack and callee-saved registers restored.
// `completed` is set only after the step returned and is read from memory
// there, so it tells the two ways out apart. This is mingw-w64's
// __try1/__except1 written out, with `.seh_code` instead of the macro's
// `.text`, which would leave the rest of the function in the wrong section
// when each function has a section of its own (-ffunction-sections). The labels
// are fixed, so the function must exist once: it is neither inlined nor cloned,
// and holds nothing that needs a cleanup.
//
// i686: the guard is a record pushed on the fs:[0] chain (the thread's list of
// handler frames), extended with a __builtin_setjmp buffer as the recovery
// point. GuardHandler lets unwinding pass; on an exception it first unwinds the
// records registered above it (RtlUnwind runs their handlers and leaves
// fs:[0] pointing at this record), then jumps back into GuardedCall, which
// unlinks the record and reports the failure. The jump restores esp and ebp
// from the buffer, and GuardedCall's callee-saved registers come back from
// its own stack frame on the way out. A C++ exception thrown by an
// i686 library built with GCC unwinds through DWARF tables rather than through
// Windows exceptions: it never reaches any Windows handler, this one included.

#include <windows.h>

#if defined(__x86_64__)

// A C++ exception of GCC's or Clang's runtime for this architecture: the
// exception object is the record's first parameter.
#define STATUS_GCC_THROW 0x20474343u

// The head of that exception object: its class, its cleanup, then the
// runtime's private words, of which 1 to 3 hold where the unwinding stops.
typedef struct ThrownObject {
  unsigned long long exceptionClass;
  void* cleanup;
  ULONG_PTR private_[6];
} ThrownObject;

// Called by __C_specific_handler: accepts every exception that reaches the
// scope. Such a C++ exception unwinds in steps: a frame with destructors stops
// the unwinding, runs them and resumes it towards the frame and address that
// the runtime stored in the exception object when a frame of its own caught
// it. None of its frames catches this one, so the filter stores this frame and
// the resume point there, as a catching frame would have done.
__attribute__((used)) LONG GuardFilter(EXCEPTION_POINTERS* exception, void* frame) {
  EXCEPTION_RECORD* record = exception->ExceptionRecord;
  if (record->ExceptionCode == STATUS_GCC_THROW && record->NumberParameters >= 1 &&
      record->ExceptionInformation[0]) {
    ULONG_PTR resume;
    __asm__("leaq .l_guard_end(%%rip), %0" : "=r"(resume));
    ThrownObject* thrown = (ThrownObject*)record->ExceptionInformation[0];
    thrown->private_[1] = (ULONG_PTR)frame;
    thrown->private_[2] = resume;
    thrown->private_[3] = 0;
    record->NumberParameters = 4;
    for (int i = 1; i <= 3; ++i) record->ExceptionInformation[i] = thrown->private_[i];
  }
  return EXCEPTION_EXECUTE_HANDLER;
}

__attribute__((noinline, noclone)) int GuardedCall(void (*step)(void*), void* context) {
  volatile int completed = 0;
  __asm__ __volatile__(
      ".l_guard_begin:\n\t"
      ".seh_handler __C_specific_handler, @except\n\t"
      ".seh_handlerdata\n\t"
      ".long 1\n\t"
      ".rva .l_guard_begin, .l_guard_end, GuardFilter, .l_guard_end\n\t"
      ".seh_code\n" ::: "memory");
  step(context);
  completed = 1;
  // The nop keeps the return address of the call inside the scope.
  __asm__ __volatile__("nop\n.l_guard_end:\n\tnop\n" ::: "memory");
  return completed;
}

#elif defined(__i386__)

typedef struct GuardRecord {
  EXCEPTION_REGISTRATION_RECORD link;  // what fs:[0] points at: must come first
  void* resume[5];                     // the recovery point in GuardedCall
} GuardRecord;

static EXCEPTION_REGISTRATION_RECORD* HandlerChain(void) {
  EXCEPTION_REGISTRATION_RECORD* top;
  __asm__ __volatile__("movl %%fs:0, %0" : "=r"(top));
  return top;
}

static void SetHandlerChain(EXCEPTION_REGISTRATION_RECORD* top) {
  __asm__ __volatile__("movl %0, %%fs:0" : : "r"(top) : "memory");
}

static EXCEPTION_DISPOSITION NTAPI GuardHandler(EXCEPTION_RECORD* exception, void* frame, CONTEXT* context,
                                                void* dispatcher) {
  (void)context;
  (void)dispatcher;
  if (exception->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) return ExceptionContinueSearch;
  // RtlUnwind may come back with ebx, esi and edi changed: they and ebp are
  // saved around it, and it is told to come back right behind the call.
  __asm__ __volatile__(
      "pushl %%ebx\n\tpushl %%esi\n\tpushl %%edi\n\tpushl %%ebp\n\t"
      "pushl $0\n\tpushl %1\n\tpushl $1f\n\tpushl %0\n\t"
      "call _RtlUnwind@16\n"
      "1:\n\tpopl %%ebp\n\tpopl %%edi\n\tpopl %%esi\n\tpopl %%ebx"
      :
      : "r"(frame), "r"(exception)
      : "eax", "ecx", "edx", "memory");
  __builtin_longjmp(((GuardRecord*)frame)->resume, 1);
}

__attribute__((noinline)) int GuardedCall(void (*step)(void*), void* context) {
  GuardRecord record;
  record.link.Next = HandlerChain();
  record.link.Handler = GuardHandler;
  if (__builtin_setjmp(record.resume)) {
    SetHandlerChain(record.link.Next);
    return 0;
  }
  SetHandlerChain(&record.link);
  step(context);
  SetHandlerChain(record.link.Next);
  return 1;
}

#else
#error "GuardedCall has no guard for this architecture"
#endif
