#pragma once
// The library's version record.
namespace travimo {

struct VersionRecord {
  int major = 1;
  int minor = 1;
  int revision = 7;
};

inline constexpr VersionRecord kLibraryVersion{1, 1, 7};

}  // namespace travimo
