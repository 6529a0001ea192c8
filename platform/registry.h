// Read access to one key of the Windows registry.
#pragma once
#include <windows.h>

#include <string>

namespace plat {

class Registry {
 public:
  explicit Registry(HKEY root) : root_(root) {}
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;
  ~Registry() { CloseKey(); }

  // Opens an existing key below the root for reading; creates nothing.
  bool OpenKeyReadOnly(const std::string& key);
  void CloseKey();
  // False also when no key is open.
  bool ValueExists(const std::string& name) const;
  // REG_SZ or REG_EXPAND_SZ (not expanded) up to the first NUL; a value without
  // data reads as empty; any other type with data raises ERegistryException.
  std::string ReadString(const std::string& name) const;

 private:
  HKEY root_;
  HKEY key_ = nullptr;
};

}  // namespace plat
