#pragma once
// SHA-256 of a byte string (FIPS 180-4), as lowercase hexadecimal: what tells
// stored bytes intact and ties a settings sidecar to its raw-data file.
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace travimo {

std::string Sha256Hex(std::span<const uint8_t> bytes);

inline std::string Sha256Hex(std::string_view bytes) {
  return Sha256Hex(
      std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace travimo
