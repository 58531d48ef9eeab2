#pragma once
// The file system of a POSIX process. Content is replaced by the one
// atomic-replace routine (atomic_file.h).
#include <travimo/platform/file_system.h>

namespace travimo::posix {

class PosixFileSystem : public FileSystem {
 public:
  bool IsFile(const std::string& name) override;
  void Delete(const std::string& name) override;
  // Fails with 61 when the disk is full, 75 for any other failure or a
  // symbolic link that must not be followed.
  void ReplaceContent(const std::string& name, std::span<const uint8_t> bytes) override;
  // Nothing stays open between calls.
  void CloseAll() override {}
};

}  // namespace travimo::posix
