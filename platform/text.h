// Text inside the program is single-byte code page 1250; Win32 sees UTF-16.
#pragma once
#include <string>

namespace plat {

std::wstring Widen(const std::string& cp1250);
std::string Narrow(const std::wstring& utf16);

}  // namespace plat
