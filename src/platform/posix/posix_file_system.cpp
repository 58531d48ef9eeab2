#include <travimo/platform/posix/posix_file_system.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include <travimo/model/error.h>
#include "platform/posix/atomic_file.h"
#include "platform/posix/regular_file.h"

namespace travimo::posix {

namespace {

constexpr const char* kSource = "Travimo";

[[noreturn]] void FailDelete(int error, const std::string& name) {
  const int32_t number = error == ENOENT ? kFileNotFound : ErrorNumber::PathFileAccess;
  throw RuntimeError(number, kSource, "Cannot delete \"" + name + "\": " + std::strerror(error));
}

}  // namespace

bool PosixFileSystem::IsFile(const std::string& name) {
  struct stat info {};
  return stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

void PosixFileSystem::Delete(const std::string& name) {
  if (::unlink(name.c_str()) != 0) FailDelete(errno, name);
}

void PosixFileSystem::ReplaceContent(const std::string& name, std::span<const uint8_t> bytes) {
  ReplaceFileContent(name, bytes);
}

}  // namespace travimo::posix
