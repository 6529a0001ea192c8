#include "registry.h"

#include <vector>

#include "errors.h"
#include "text.h"

namespace plat {

bool Registry::OpenKeyReadOnly(const std::string& key) {
  CloseKey();
  HKEY h = nullptr;
  if (RegOpenKeyExW(root_, Widen(key).c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
  key_ = h;
  return true;
}

void Registry::CloseKey() {
  if (key_) RegCloseKey(key_);
  key_ = nullptr;
}

bool Registry::ValueExists(const std::string& name) const {
  return key_ && RegQueryValueExW(key_, Widen(name).c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::string Registry::ReadString(const std::string& name) const {
  const std::wstring wname = Widen(name);
  DWORD type = 0, size = 0;
  if (!key_ || RegQueryValueExW(key_, wname.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS)
    throw ERegistryException("Invalid data type for '" + name + "'");
  if (size == 0) return {};
  if (type != REG_SZ && type != REG_EXPAND_SZ) throw ERegistryException("Invalid data type for '" + name + "'");
  std::vector<wchar_t> data(size / sizeof(wchar_t) + 1, L'\0');
  DWORD got = size;
  if (RegQueryValueExW(key_, wname.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &got) !=
      ERROR_SUCCESS)
    throw ERegistryException("Invalid data type for '" + name + "'");
  data.back() = L'\0';
  return Narrow(std::wstring(data.data()));
}

}  // namespace plat
