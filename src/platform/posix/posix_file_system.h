#pragma once
// The file system of a POSIX process. Content is replaced through a
// temporary file in the target's directory and rename(), so a reader sees the
// old file or the new one, never a part.
#include "platform/file_system.h"

namespace travimo::posix {

class PosixFileSystem : public FileSystem {
 public:
  bool IsFile(const std::string& name) override;
  void Delete(const std::string& name) override;
  // Fails with 61 when the disk is full, 75 for any other failure.
  void ReplaceContent(const std::string& name, std::span<const uint8_t> bytes) override;
  // Nothing stays open between calls.
  void CloseAll() override {}
};

}  // namespace travimo::posix
