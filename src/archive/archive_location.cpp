#include "archive/archive_location.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "archive/sqlite_db.h"
#include <travimo/model/error.h>

namespace travimo::archive {

namespace {

[[noreturn]] void Fail(const std::string& path, std::string_view what) {
  throw RuntimeError(
      ErrorNumber::PathFileAccess, std::string(kArchiveSource),
      "Archive " + path + ": " + std::string(what) + " failed: " + std::strerror(errno));
}

void MakeDirectories(const std::filesystem::path& dir) {
  std::error_code unknown;  // a folder that cannot be looked at fails below, with its errno
  if (dir.empty() || std::filesystem::is_directory(dir, unknown)) return;
  MakeDirectories(dir.parent_path());
  if (::mkdir(dir.c_str(), 0700) != 0 && errno != EEXIST) Fail(dir.string(), "making the folder");
}

}  // namespace

std::string DefaultArchivePath(const std::optional<std::string>& xdgDataHome,
                               const std::optional<std::string>& home) {
  // A relative XDG_DATA_HOME is invalid and is ignored.
  if (xdgDataHome && !xdgDataHome->empty() && xdgDataHome->front() == '/') {
    return *xdgDataHome + "/travimo/archive.sqlite";
  }
  if (home && !home->empty() && home->front() == '/') {
    return *home + "/.local/share/travimo/archive.sqlite";
  }
  return {};
}

void PrepareArchiveFile(const std::string& path) {
  MakeDirectories(std::filesystem::path(path).parent_path());
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) Fail(path, "opening");
  ::close(fd);
}

}  // namespace travimo::archive
