// A guard for calls into a foreign library: see probe_guard.c.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// Calls step(context). Returns 1 when step returned normally, 0 when an
// exception or a processor fault ended it; nothing escapes either way.
int GuardedCall(void (*step)(void* context), void* context);

#ifdef __cplusplus
}
#endif
