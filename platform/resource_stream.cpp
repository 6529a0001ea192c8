#include "resource_stream.h"

#include "errors.h"
#include "text.h"

namespace plat {

ResourceStream::ResourceStream(HMODULE module, const std::string& name, LPCWSTR type) {
  HRSRC info = FindResourceW(module, Widen(name).c_str(), type);
  if (!info) throw EResNotFound("Resource " + name + " not found");
  HGLOBAL block = LoadResource(module, info);
  data_ = block ? LockResource(block) : nullptr;
  if (!data_) throw EResNotFound("Resource " + name + " not found");
  size_ = SizeofResource(module, info);
}

}  // namespace plat
