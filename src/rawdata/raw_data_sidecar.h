#pragma once
// The settings sidecar of a raw-data file: FILE.json beside FILE, saying how
// the read that received the bytes was set up, so that a later parse scales
// and labels the values as the read did. The raw-data file itself stays
// exactly the received bytes; the sidecar applies only while its byte count
// and SHA-256 match them.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "rawdata/decode_settings.h"

namespace travimo {

// The decode settings, then how and when the read was made.
struct RawDataSidecar : DecodeSettings {
  std::string lineSettings;  // "9600,n,8,1"
  int32_t handshaking = 0;
  std::string device;
  std::string started;  // ISO 8601, UTC
  std::string ended;
  uint64_t byteCount = 0;
  std::string sha256;  // lowercase hexadecimal
  std::string program;  // "travimo 1.2.0"
};

std::string SidecarPathFor(const std::string& rawFile);

// Fills the count and hash from the bytes.
void DescribeBytes(RawDataSidecar& sidecar, std::string_view bytes);
bool DescribesBytes(const RawDataSidecar& sidecar, std::string_view bytes);

std::string SidecarText(const RawDataSidecar& sidecar);  // JSON, ends with a newline
// Fails with RuntimeError 75 (not a sidecar) or 13 (a member of the wrong
// kind), naming the file.
RawDataSidecar ParseSidecar(std::string_view text, const std::string& name);

struct SidecarLookup {
  std::optional<RawDataSidecar> sidecar;  // present only when it describes the bytes
  std::string note;  // what a user is told: applied, or why not; empty without a sidecar
};

// The sidecar of rawFile, read through read (which fails with RuntimeError,
// 53 for a missing file). Never fails: an unreadable or foreign sidecar is a
// note, not an error.
using TextFileReader = std::function<std::string(const std::string&)>;
SidecarLookup FindMatchingSidecar(const std::string& rawFile, std::string_view bytes,
                                  const TextFileReader& read);

}  // namespace travimo
