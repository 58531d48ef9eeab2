// Who may open a device file, from its group and this process's groups.
#include <grp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <vector>

#include "cli/error_advice.h"

namespace travimo::cli {

namespace {

bool InGroup(gid_t group) {
  if (getegid() == group) return true;
  const int count = getgroups(0, nullptr);
  if (count <= 0) return false;
  std::vector<gid_t> groups(static_cast<size_t>(count));
  const int got = getgroups(count, groups.data());
  return got > 0 && std::find(groups.begin(), groups.begin() + got, group) != groups.begin() + got;
}

}  // namespace

std::string DeviceAccessAdvice(const std::string& device) {
  struct stat info {};
  if (device.empty() || stat(device.c_str(), &info) != 0) return {};
  const group* entry = getgrgid(info.st_gid);
  const std::string name = entry ? entry->gr_name : std::to_string(info.st_gid);
  if (!(info.st_mode & S_IRGRP) || !(info.st_mode & S_IWGRP)) {
    return device + " may be opened by its owner only: ask the administrator for access.\n";
  }
  if (InGroup(info.st_gid)) {
    return "You are in group " + name + ", which may open " + device +
           "; if you were added just now, log out and in again.\n";
  }
  return device + " belongs to group " + name + ", and you are not in it: run\n  sudo usermod -aG " +
         name + " $USER\nthen log out and in again.\n";
}

}  // namespace travimo::cli
