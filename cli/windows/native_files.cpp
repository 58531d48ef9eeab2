#include "cli/native_files.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <system_error>

#include <travimo/model/error.h>
#include "platform/windows/windows_file_system.h"

namespace travimo::cli {

namespace {

constexpr uintmax_t kTextFileLimit = uintmax_t{256} << 20;  // as on POSIX

[[noreturn]] void Fail(int32_t number, const std::string& path, const std::string& why) {
  throw RuntimeError(number, "Travimo", "Cannot use \"" + path + "\": " + why);
}

}  // namespace

void SaveUserFile(const std::string& path, std::string_view bytes) {
  windows::WindowsFileSystem files;
  files.ReplaceContent(path, std::span<const uint8_t>(
                                 reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

void CheckUserFileSavable(const std::string& path) {
  std::error_code error;
  const std::filesystem::path file = std::filesystem::u8path(path);
  if (std::filesystem::is_directory(file, error)) Fail(ErrorNumber::PathFileAccess, path, "it is a directory");
  const std::filesystem::path dir = file.has_parent_path() ? file.parent_path() : ".";
  if (!std::filesystem::is_directory(dir, error))
    Fail(ErrorNumber::PathFileAccess, path, "its directory does not exist");
}

std::string ReadUserFile(const std::string& path) {
  std::error_code error;
  const std::filesystem::path file = std::filesystem::u8path(path);
  if (!std::filesystem::exists(file, error)) Fail(53, path, "it does not exist");
  if (!std::filesystem::is_regular_file(file, error))
    Fail(ErrorNumber::PathFileAccess, path, "it is not a regular file");
  if (std::filesystem::file_size(file, error) > kTextFileLimit)
    Fail(7, path, "it is larger than the 256 MB a text file may have");
  std::ifstream in(file, std::ios::binary);
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!in && !in.eof()) Fail(ErrorNumber::PathFileAccess, path, "it cannot be read");
  return bytes;
}

std::string UserStateDirectory() {
  const char* local = std::getenv("LOCALAPPDATA");
  return std::string(local != nullptr ? local : ".") + "\\travimo";
}

}  // namespace travimo::cli
