#pragma once
// The files a user names on the command line, saved and read the operating
// system's one safe way. Each failure is a RuntimeError naming the file.
#include <string>
#include <string_view>

namespace travimo::cli {

// Replaces the file's content as a whole: the old content stays on failure.
void SaveUserFile(const std::string& path, std::string_view bytes);
// Fails, without writing, where SaveUserFile would fail before writing.
void CheckUserFileSavable(const std::string& path);
// A regular file of bounded size only (7 beyond the limit).
std::string ReadUserFile(const std::string& path);
// The directory for this user's program state (recovery files), not created.
std::string UserStateDirectory();

}  // namespace travimo::cli
