#include "cli/native_files.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/posix/atomic_file.h"
#include "platform/posix/regular_file.h"

namespace travimo::cli {

namespace {

std::string HomeDirectory() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr) return entry->pw_dir;
  return "/tmp";
}

}  // namespace

void SaveUserFile(const std::string& path, std::string_view bytes) {
  posix::ReplaceFileContent(path, bytes);
}

void CheckUserFileSavable(const std::string& path) {
  posix::CheckFileReplaceable(path);
}

std::string ReadUserFile(const std::string& path) {
  return posix::ReadRegularFile(path);
}

std::string UserStateDirectory() {
  const char* state = std::getenv("XDG_STATE_HOME");
  // A relative XDG_STATE_HOME is ignored, as other programs ignore it.
  const std::string base =
      state != nullptr && state[0] == '/' ? std::string(state) : HomeDirectory() + "/.local/state";
  return base + "/travimo";
}

}  // namespace travimo::cli
