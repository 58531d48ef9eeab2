#pragma once
// Reading a whole text file that the user names (a property file, a saved
// transfer): only a regular file, and only up to a limit, so that a FIFO does
// not hang the program and /dev/zero does not eat its memory.
#include <cstdint>
#include <string>

namespace travimo::posix {

// The platform's numbers for a missing file and for a text too large to hold.
inline constexpr int32_t kFileNotFound = 53;
inline constexpr int32_t kOutOfMemory = 7;

// Far above any transfer or property file; the limit users find documented.
inline constexpr uint64_t kTextFileLimit = uint64_t{256} << 20;

// The file's bytes. Fails with RuntimeError 53 when it does not exist, 75 when
// it is not a regular file or cannot be read, 7 when it is larger than limit;
// every description names the file.
std::string ReadRegularFile(const std::string& name, uint64_t limit = kTextFileLimit);

}  // namespace travimo::posix
