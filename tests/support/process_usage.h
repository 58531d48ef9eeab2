#pragma once
// What a process holds, for tests that a long run leaks nothing.
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace travimo::testing {

inline long OpenDescriptors() {
  long count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    ++count;
  }
  return count - 1;  // the iterator's own
}

struct ProcessUsage {
  long descriptors = 0;
  long residentKiB = 0;
  static ProcessUsage Now() {
    long size = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> size >> resident;
    return {OpenDescriptors(), resident * (::sysconf(_SC_PAGESIZE) / 1024)};
  }
};

}  // namespace travimo::testing
