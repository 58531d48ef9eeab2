#pragma once
// Checks the files a read will write before the instrument is asked, so that
// a wrong path costs nothing: each must be replaceable (atomic_file.h).
#include <string>
#include <vector>

#include "cli/console.h"

namespace travimo::cli {

// Ok, or File after reporting the first file that cannot be written; empty
// names are skipped.
int CheckOutputFiles(const std::vector<std::string>& files, Console& console);

}  // namespace travimo::cli
