#pragma once
// The few file operations the read cycle needs. Failures are RuntimeErrors
// with a file-error number and a description naming the file.
#include <span>
#include <string>

#include <cstdint>

namespace travimo {

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // True for an existing ordinary file.
  virtual bool IsFile(const std::string& name) = 0;
  virtual void Delete(const std::string& name) = 0;
  // Replaces the file's content with exactly these bytes. The new content is
  // written beside the target and renamed over it, so a failed write keeps the
  // old file and leaves no temporary file behind.
  virtual void ReplaceContent(const std::string& name, std::span<const uint8_t> bytes) = 0;
  // Closes every file this file system has open.
  virtual void CloseAll() = 0;
};

}  // namespace travimo
