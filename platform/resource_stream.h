// Read-only view of a resource of a loaded module; nothing is copied.
#pragma once
#include <windows.h>

#include <cstddef>
#include <string>

namespace plat {

class ResourceStream {
 public:
  // The name is matched without regard to case; raises EResNotFound when absent.
  ResourceStream(HMODULE module, const std::string& name, LPCWSTR type);
  ResourceStream(const ResourceStream&) = delete;
  ResourceStream& operator=(const ResourceStream&) = delete;

  const void* Memory() const { return data_; }
  size_t Size() const { return size_; }

 private:
  const void* data_ = nullptr;
  size_t size_ = 0;
};

}  // namespace plat
