#pragma once
// The file system on Win32: UTF-8 names, content replaced atomically
// (ReplaceFileW over an existing file, MoveFileExW otherwise), and the same
// error numbers as elsewhere (53 not found, 61 disk full, 75 any other).
#include <travimo/platform/file_system.h>

namespace travimo::windows {

class WindowsFileSystem : public FileSystem {
 public:
  bool IsFile(const std::string& name) override;
  void Delete(const std::string& name) override;
  void ReplaceContent(const std::string& name, std::span<const uint8_t> bytes) override;
  // Every file is closed by the call that opened it.
  void CloseAll() override {}
};

}  // namespace travimo::windows
