#include "platform/posix/posix_file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "model/error.h"
#include "platform/posix/regular_file.h"

namespace travimo::posix {
namespace {

namespace fs = std::filesystem;

// Replacing content is the atomic-replace routine's (atomic_file_test.cpp).
TEST(PosixFileSystemTest, IsFileAndDelete) {
  char pattern[] = "/tmp/travimo-fs-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const fs::path dir = pattern;
  PosixFileSystem files;
  const std::string name = (dir / "a.dat").string();
  EXPECT_FALSE(files.IsFile(name));
  EXPECT_FALSE(files.IsFile(dir.string())) << "a directory is no file";
  std::ofstream(name) << "a";
  EXPECT_TRUE(files.IsFile(name));
  files.Delete(name);
  EXPECT_FALSE(files.IsFile(name));
  try {
    files.Delete(name);
    ADD_FAILURE() << "deleting a missing file";
  } catch (const RuntimeError& error) {
    EXPECT_EQ(error.Number(), kFileNotFound);
  }
  files.CloseAll();
  fs::remove_all(dir);
}

}  // namespace
}  // namespace travimo::posix
