#pragma once
// Where the archive lives unless a command names one.
#include <optional>
#include <string>

namespace travimo::archive {

// $XDG_DATA_HOME/travimo/archive.sqlite, else ~/.local/share/travimo/...;
// empty when neither variable gives an absolute path.
std::string DefaultArchivePath(const std::optional<std::string>& xdgDataHome,
                               const std::optional<std::string>& home);

// Makes the file's directory (0700 for the ones made here) and the file
// itself with 0666 less the umask, before SQLite picks its own mode.
void PrepareArchiveFile(const std::string& path);

}  // namespace travimo::archive
