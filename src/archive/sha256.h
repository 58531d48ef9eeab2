#pragma once
// SHA-256 of a byte string, as lowercase hex, to tell stored bytes intact.
#include <cstdint>
#include <span>
#include <string>

namespace travimo::archive {

std::string Sha256Hex(std::span<const uint8_t> bytes);

}  // namespace travimo::archive
