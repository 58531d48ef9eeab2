#include "platform/windows/windows_file_system.h"

#include <atomic>

#include <travimo/model/error.h>
#include "platform/windows/unique_handle.h"
#include "platform/windows/win32.h"
#include "platform/windows/win32_text.h"

namespace travimo::windows {

namespace {

constexpr const char* kSource = "Travimo";
constexpr int32_t kFileNotFound = 53;

[[noreturn]] void Fail(DWORD error, const std::string& what, const std::string& name) {
  const bool full = error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
  const bool missing = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  const int32_t number = full                          ? ErrorNumber::DiskFull
                         : missing && what == "delete" ? kFileNotFound
                                                       : ErrorNumber::PathFileAccess;
  throw RuntimeError(number, kSource,
                     "Cannot " + what + " \"" + name + "\": " + SystemMessage(error));
}

std::wstring DirectoryOf(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/:");
  if (separator == std::wstring::npos) return L".";
  return path.substr(0, separator + (path[separator] == L':' ? 1 : 0));
}

std::wstring BaseOf(const std::wstring& path) {
  const size_t separator = path.find_last_of(L"\\/:");
  return separator == std::wstring::npos ? path : path.substr(separator + 1);
}

// Beside the target, so the final rename stays on one volume.
UniqueHandle CreateTemporary(const std::wstring& target, std::wstring& tempName) {
  static std::atomic<unsigned> counter{0};
  const std::wstring stem = DirectoryOf(target) + L"\\." + BaseOf(target) + L".tmp-" +
                            std::to_wstring(GetCurrentProcessId()) + L"-";
  for (int attempt = 0; attempt < 100; ++attempt) {
    tempName = stem + std::to_wstring(counter++);
    UniqueHandle file(CreateFileW(tempName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.Valid() || GetLastError() != ERROR_FILE_EXISTS) return file;
  }
  SetLastError(ERROR_FILE_EXISTS);
  return UniqueHandle();
}

DWORD WriteAll(HANDLE file, std::span<const uint8_t> bytes) {
  while (!bytes.empty()) {
    const DWORD size = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 20));
    DWORD put = 0;
    if (!WriteFile(file, bytes.data(), size, &put, nullptr)) return GetLastError();
    if (put == 0) return ERROR_WRITE_FAULT;
    bytes = bytes.subspan(put);
  }
  return ERROR_SUCCESS;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// ReplaceFileW keeps the old file's attributes and security; a file system
// without it (or no old file) takes the plain replacing rename.
DWORD MoveIntoPlace(const std::wstring& temp, const std::wstring& target) {
  if (Exists(target) && ReplaceFileW(target.c_str(), temp.c_str(), nullptr,
                                     REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
    return ERROR_SUCCESS;
  }
  if (MoveFileExW(temp.c_str(), target.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return ERROR_SUCCESS;
  }
  return GetLastError();
}

}  // namespace

bool WindowsFileSystem::IsFile(const std::string& name) {
  const DWORD attributes = GetFileAttributesW(Widen(name).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0;
}

void WindowsFileSystem::Delete(const std::string& name) {
  if (!DeleteFileW(Widen(name).c_str())) Fail(GetLastError(), "delete", name);
}

void WindowsFileSystem::ReplaceContent(const std::string& name, std::span<const uint8_t> bytes) {
  const std::wstring target = Widen(name);
  // Some file systems let a rename replace an empty directory: never take one.
  const DWORD existing = GetFileAttributesW(target.c_str());
  if (existing != INVALID_FILE_ATTRIBUTES && (existing & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    throw RuntimeError(ErrorNumber::PathFileAccess, kSource,
                       "Cannot write \"" + name + "\": it is a directory");
  }
  std::wstring tempName;
  UniqueHandle file = CreateTemporary(target, tempName);
  if (!file.Valid()) Fail(GetLastError(), "write", name);

  DWORD error = WriteAll(file.Get(), bytes);
  if (error == ERROR_SUCCESS && !FlushFileBuffers(file.Get())) error = GetLastError();
  file.Reset();
  if (error == ERROR_SUCCESS) error = MoveIntoPlace(tempName, target);
  if (error != ERROR_SUCCESS) {
    DeleteFileW(tempName.c_str());
    Fail(error, "write", name);
  }
}

}  // namespace travimo::windows
