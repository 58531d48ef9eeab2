#pragma once
// Plain values in the project's JSON files, read with errors that say where:
//   texts     strings; a text that is not UTF-8 (code-page bytes) as
//             {"bytes": [n, ...]}, so that it comes back byte for byte
//   floats    numbers; non-finite ones as "NaN", "Infinity", "-Infinity"
//   dates     {"iso": "...", "value": days}; read from "value" (or a bare number)
//   series    {"lower": n, "values": [...]}, null for none
// A value of the wrong kind is RuntimeError 13, one out of its range 6.
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include <travimo/model/date.h>
#include <travimo/model/scan_data.h>

namespace travimo {

using Json = nlohmann::ordered_json;

// Where a value sits in a file, for the descriptions of its errors.
struct JsonPlace {
  std::string_view source;  // the error's source text
  const std::string& file;
  std::string_view key;
  std::string field;  // inside an object, empty for the key's own value

  JsonPlace In(std::string_view name) const;
  std::string Describe() const;
  [[noreturn]] void Mismatch(std::string_view expected) const;
  [[noreturn]] void Overflow(std::string_view range) const;
};

Json EncodeText(const std::string& text);
Json EncodeFloat(float value);
Json EncodeDate(Date date);
Json EncodeSeries(const ScanDataPtr& series);

std::string DecodeText(const Json& j, const JsonPlace& at);
int32_t DecodeLong(const Json& j, const JsonPlace& at);
int16_t DecodeInteger(const Json& j, const JsonPlace& at);
float DecodeFloat(const Json& j, const JsonPlace& at);
bool DecodeBoolean(const Json& j, const JsonPlace& at);
Date DecodeDate(const Json& j, const JsonPlace& at);
ScanDataPtr DecodeSeries(const Json& j, const JsonPlace& at);

// Runs read(member, place) for a member that is present; absent members keep
// the object's own initial value.
template <class Read>
void IfPresent(const Json& object, std::string_view name, const JsonPlace& at, Read read) {
  const auto it = object.find(name);
  if (it != object.end()) read(*it, at.In(name));
}

}  // namespace travimo
