#pragma once
// Files in memory, with failures on demand.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include <travimo/platform/file_system.h>

namespace travimo::testing {

class MemoryFileSystem : public FileSystem {
 public:
  bool IsFile(const std::string& name) override { return files.count(name) != 0; }
  void Delete(const std::string& name) override;
  void ReplaceContent(const std::string& name, std::span<const uint8_t> bytes) override;
  void CloseAll() override { ++closeAllCalls; }

  std::string Content(const std::string& name) const;

  std::map<std::string, std::vector<uint8_t>> files;
  bool failWrites = false;  // ReplaceContent fails with 61 (disk full), old content kept
  int closeAllCalls = 0;
};

}  // namespace travimo::testing
