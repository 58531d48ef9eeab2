#include "platform/posix/atomic_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>

#include <travimo/model/error.h>
#include "platform/posix/unique_fd.h"

namespace travimo::posix {

namespace {

constexpr const char* kSource = "Travimo";
constexpr const char* kTempMarker = ".travimo-";
constexpr size_t kTempSuffixLength = 6;  // mkstemp's XXXXXX
constexpr int kMaxLinkHops = 40;         // as the kernel's ELOOP limit

[[noreturn]] void Fail(int32_t number, const std::string& name, const std::string& why) {
  throw RuntimeError(number, kSource, StandardDescription(number) + ": \"" + name + "\": " + why);
}

[[noreturn]] void FailErrno(int error, const std::string& name, const std::string& what) {
  const int32_t number =
      error == ENOSPC || error == EDQUOT ? ErrorNumber::DiskFull : ErrorNumber::PathFileAccess;
  Fail(number, name, what + ": " + std::strerror(error));
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The kernel's protected-symlinks rule (fs.protected_symlinks).
bool MayFollow(const struct stat& link, const std::string& linkPath, std::string& why) {
  struct stat dir {};
  if (::stat(DirectoryOf(linkPath).c_str(), &dir) != 0) return true;
  const bool shared = (dir.st_mode & S_ISVTX) != 0 && (dir.st_mode & S_IWOTH) != 0;
  if (!shared || link.st_uid == ::geteuid() || link.st_uid == dir.st_uid) return true;
  why = "the symbolic link is in a shared sticky directory and belongs to another user (uid " +
        std::to_string(link.st_uid) + "); refusing to write through it";
  return false;
}

std::string ReadLink(const std::string& path) {
  std::string target(PATH_MAX, '\0');
  const ssize_t length = ::readlink(path.c_str(), target.data(), target.size());
  if (length < 0) return {};
  target.resize(static_cast<size_t>(length));
  if (!target.empty() && target.front() != '/') target = DirectoryOf(path) + "/" + target;
  return target;
}

struct Target {
  std::string path;  // the file to replace (name itself, or the end of its links)
  bool exists = false;
  struct stat info {};
};

// A /proc link (/dev/stdout ends at one) stands for a file this process has
// open, often a pipe or a deleted file: only the kernel can follow it, and
// only a device behind it can be written without replacing anything.
Target OpenFileBehind(const std::string& name, Target target) {
  if (::stat(target.path.c_str(), &target.info) != 0) FailErrno(errno, name, "cannot look at it");
  if (!S_ISCHR(target.info.st_mode))
    Fail(ErrorNumber::PathFileAccess, name,
         "it stands for a file already open (standard output sent to a file or a pipe, say), "
         "which cannot be replaced");
  target.exists = true;
  return target;
}

// Follows name's links as the rule allows and checks what it ends at.
Target ResolveTarget(const std::string& name) {
  Target target{name};
  for (int hop = 0;; ++hop) {
    if (::lstat(target.path.c_str(), &target.info) != 0) {
      if (errno != ENOENT) FailErrno(errno, name, "cannot look at it");
      if (hop > 0) Fail(ErrorNumber::PathFileAccess, name,
                        "the symbolic link points to \"" + target.path + "\", which does not exist");
      return target;
    }
    if (!S_ISLNK(target.info.st_mode)) break;
    if (target.path.rfind("/proc/", 0) == 0) return OpenFileBehind(name, target);
    if (hop == kMaxLinkHops) Fail(ErrorNumber::PathFileAccess, name, "too many symbolic links");
    std::string why;
    if (!MayFollow(target.info, target.path, why)) Fail(ErrorNumber::PathFileAccess, name, why);
    target.path = ReadLink(target.path);
    if (target.path.empty()) FailErrno(errno, name, "cannot read the symbolic link");
  }
  target.exists = true;
  const mode_t kind = target.info.st_mode & S_IFMT;
  if (kind == S_IFREG || kind == S_IFCHR) return target;
  const char* what = kind == S_IFDIR    ? "it is a directory"
                     : kind == S_IFIFO  ? "it is a FIFO (named pipe), not a regular file"
                     : kind == S_IFSOCK ? "it is a socket, not a regular file"
                                        : "it is a block device, not a regular file";
  Fail(ErrorNumber::PathFileAccess, name, what);
}

void CheckDirectoryWritable(const std::string& name, const std::string& dir) {
  struct stat info {};
  if (::stat(dir.c_str(), &info) != 0) FailErrno(errno, name, "its directory \"" + dir + "\"");
  if (!S_ISDIR(info.st_mode))
    Fail(ErrorNumber::PathFileAccess, name, "\"" + dir + "\" is not a directory");
  if (::access(dir.c_str(), W_OK | X_OK) != 0)
    FailErrno(errno, name, "cannot create files in \"" + dir + "\"");
}

// An oversized write must fail with EFBIG rather than end the process.
// A handler the program installed itself is left alone.
void IgnoreFileSizeSignal() {
  struct sigaction current {};
  if (::sigaction(SIGXFSZ, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
    ::signal(SIGXFSZ, SIG_IGN);
}

mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
  }
  const mode_t mask = ::umask(022);  // older kernels: read it by setting it
  ::umask(mask);
  return mask;
}

int WriteAll(int fd, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const ssize_t put = ::write(fd, bytes.data(), bytes.size());
    if (put < 0 && errno == EINTR) continue;
    if (put < 0) return errno;
    bytes = bytes.subspan(static_cast<size_t>(put));
  }
  return 0;
}

void WriteDevice(const std::string& name, const std::string& path, std::span<const uint8_t> bytes) {
  UniqueFd fd(::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
  if (!fd.Valid()) FailErrno(errno, name, "cannot open it for writing");
  int error = WriteAll(fd.Get(), bytes);
  if (fd.Close() != 0 && error == 0) error = errno;
  if (error != 0) FailErrno(error, name, "cannot write it");
}

// The temporary is locked while its save runs, so that a concurrent save of
// the same file never takes it for a crash's leftover.
class Temporary {
 public:
  explicit Temporary(const std::string& target)
      : path_(DirectoryOf(target) + "/." + BaseOf(target) + kTempMarker + "XXXXXX") {
    fd_.Reset(::mkstemp(path_.data()));
    if (fd_.Valid()) ::flock(fd_.Get(), LOCK_EX);
  }
  ~Temporary() {
    if (fd_.Valid() && !renamed_) ::unlink(path_.c_str());
  }
  Temporary(const Temporary&) = delete;
  Temporary& operator=(const Temporary&) = delete;

  bool Valid() const { return fd_.Valid(); }
  int Fd() const { return fd_.Get(); }
  // 0, or the errno of the failed rename.
  int RenameTo(const std::string& target) {
    if (::rename(path_.c_str(), target.c_str()) != 0) return errno;
    renamed_ = true;
    return 0;
  }

 private:
  std::string path_;
  UniqueFd fd_;
  bool renamed_ = false;
};

void GiveModeOf(const Target& target, int fd) {
  if (!target.exists) {
    ::fchmod(fd, 0666 & ~CurrentUmask());
    return;
  }
  // Root saving a user's file leaves it theirs; anyone else may not, and then
  // the file becomes the saver's as any rewrite by rename makes it.
  if (target.info.st_uid != ::geteuid() || target.info.st_gid != ::getegid()) {
    const int ignored = ::fchown(fd, target.info.st_uid, target.info.st_gid);
    (void)ignored;
  }
  ::fchmod(fd, target.info.st_mode & 07777);
}

void SyncDirectory(const std::string& dir) {
  UniqueFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.Valid()) ::fsync(fd.Get());  // the rename has happened either way
}

bool IsLeftoverName(const std::string& entry, const std::string& prefix) {
  return entry.size() == prefix.size() + kTempSuffixLength && entry.rfind(prefix, 0) == 0;
}

// Removes temporaries of target that a crashed save left: ours, regular, and
// not locked by a save still running.
void RemoveLeftovers(const std::string& target) {
  const std::string dir = DirectoryOf(target);
  const std::string prefix = "." + BaseOf(target) + kTempMarker;
  std::unique_ptr<DIR, int (*)(DIR*)> listing(::opendir(dir.c_str()), ::closedir);
  if (!listing) return;
  while (const dirent* entry = ::readdir(listing.get())) {
    const std::string base = entry->d_name;
    if (!IsLeftoverName(base, prefix)) continue;
    const std::string path = dir + "/" + base;
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat opened {};
    struct stat named {};
    if (!fd.Valid() || ::fstat(fd.Get(), &opened) != 0 || !S_ISREG(opened.st_mode) ||
        opened.st_uid != ::geteuid() || ::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
      continue;
    if (::lstat(path.c_str(), &named) == 0 && named.st_ino == opened.st_ino &&
        named.st_dev == opened.st_dev)
      ::unlink(path.c_str());
  }
}

}  // namespace

WriteTarget ResolveWriteTarget(const std::string& name) {
  const Target target = ResolveTarget(name);
  return WriteTarget{target.path, target.exists && S_ISCHR(target.info.st_mode)};
}

void CheckFileReplaceable(const std::string& name) {
  const Target target = ResolveTarget(name);
  if (target.exists && S_ISCHR(target.info.st_mode)) return;
  CheckDirectoryWritable(name, DirectoryOf(target.path));
}

void ReplaceFileContent(const std::string& name, std::span<const uint8_t> bytes) {
  const Target target = ResolveTarget(name);
  if (target.exists && S_ISCHR(target.info.st_mode)) {
    WriteDevice(name, target.path, bytes);
    return;
  }
  IgnoreFileSizeSignal();
  Temporary temp(target.path);
  if (!temp.Valid()) FailErrno(errno, name, "cannot create a temporary file beside it");
  GiveModeOf(target, temp.Fd());
  int error = WriteAll(temp.Fd(), bytes);
  if (error == 0 && ::fsync(temp.Fd()) != 0) error = errno;
  if (error == 0) error = temp.RenameTo(target.path);
  if (error != 0) FailErrno(error, name, "cannot write it");
  SyncDirectory(DirectoryOf(target.path));
  RemoveLeftovers(target.path);
}

void ReplaceFileContent(const std::string& name, std::string_view text) {
  ReplaceFileContent(name, std::span<const uint8_t>(
                               reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

}  // namespace travimo::posix
