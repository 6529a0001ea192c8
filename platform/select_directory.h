// The shell's folder browser.
#pragma once
#include <windows.h>

#include <string>

namespace plat {

// Shows the folder browser over the whole shell namespace with the given
// instruction, file-system folders only. `directory` is pre-selected when it
// exists; on confirmation it receives the chosen folder's path and the result
// is true. A cancel, or no browser available, returns false.
bool SelectDirectory(HWND owner, const std::string& instruction, std::string& directory);

}  // namespace plat
