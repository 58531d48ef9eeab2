#include "memory_file_system.h"

#include <travimo/model/error.h>

namespace travimo::testing {

void MemoryFileSystem::Delete(const std::string& name) {
  if (files.erase(name) == 0) {
    throw RuntimeError(53, "Travimo", "File not found: " + name);
  }
}

void MemoryFileSystem::ReplaceContent(const std::string& name, std::span<const uint8_t> bytes) {
  if (failWrites) {
    throw RuntimeError(ErrorNumber::DiskFull, "Travimo", "Disk full while writing " + name);
  }
  files[name].assign(bytes.begin(), bytes.end());
}

std::string MemoryFileSystem::Content(const std::string& name) const {
  const auto found = files.find(name);
  if (found == files.end()) return {};
  return std::string(found->second.begin(), found->second.end());
}

}  // namespace travimo::testing
