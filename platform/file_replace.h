// Writing whole files: attribute reset and replacement in one step.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

namespace plat {

// Sets the attributes of a file or folder. Returns 0 or the system error code;
// raises nothing.
int SetFileAttributesTo(const std::string& path, DWORD attributes);

// Replaces the file at `path` with exactly `size` bytes of `data`, or creates it.
// The bytes go to a new file in the same folder first, which is flushed and then
// moved over the target in one step, so a failure at any point leaves the target
// as it was (or absent) and removes the new file again. Raises EFCreateError when
// the new file cannot be created or the target cannot be replaced (missing
// folder, target in use, no rights), EWriteError when the bytes cannot be written
// or flushed (disk full).
void ReplaceFileAtomically(const std::string& path, const void* data, size_t size);

}  // namespace plat
