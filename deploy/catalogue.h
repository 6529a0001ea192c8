// The eighteen templates the installer carries, in the order they are written.
#pragma once
#include <array>
#include <memory>

#include "platform/resource_stream.h"

struct CatalogueEntry {
  const char* ResourceName;  // an RT_RCDATA resource of the program's own module
  const char* TargetPath;    // relative to the host folder, with a leading backslash
  const char* ProgressText;  // shown on the progress line while the entry is written
};

extern const std::array<CatalogueEntry, 18> TemplateCatalogue;

// The payload of an entry from the running executable; raises EResNotFound.
std::unique_ptr<plat::ResourceStream> OpenPayload(const CatalogueEntry& entry);
