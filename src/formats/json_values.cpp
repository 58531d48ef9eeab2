#include "formats/json_values.h"

#include <cmath>
#include <limits>
#include <vector>

#include <travimo/model/error.h>

namespace travimo {

namespace {

std::string Quoted(std::string_view text) {
  return "\"" + std::string(text) + "\"";
}

// JSON text is UTF-8; anything else is kept as bytes rather than mangled.
bool IsUtf8(std::string_view text) {
  size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    size_t extra = 0;
    uint32_t code = 0;
    if (c < 0x80) {
      ++i;
      continue;
    }
    if ((c & 0xE0) == 0xC0) {
      extra = 1;
      code = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
      extra = 2;
      code = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
      extra = 3;
      code = c & 0x07;
    } else {
      return false;
    }
    if (i + extra >= text.size()) return false;  // cut short
    for (size_t k = 1; k <= extra; ++k) {
      const auto cc = static_cast<unsigned char>(text[i + k]);
      if ((cc & 0xC0) != 0x80) return false;
      code = (code << 6) | (cc & 0x3F);
    }
    static constexpr uint32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (code < kSmallest[extra] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += extra + 1;
  }
  return true;
}

int64_t WholeNumber(const Json& j, const JsonPlace& at) {
  if (j.is_number_integer()) {
    if (j.is_number_unsigned() && j.get<uint64_t>() > uint64_t{std::numeric_limits<int64_t>::max()})
      at.Overflow("32-bit range");
    return j.get<int64_t>();
  }
  if (j.is_number_float()) {
    const double d = j.get<double>();
    if (std::trunc(d) != d) at.Mismatch("a whole number");
    if (std::fabs(d) > 1e18) at.Overflow("32-bit range");
    return static_cast<int64_t>(d);
  }
  at.Mismatch("a number");
}

// Days of 1 January 100 and just past 31 December 9999, the span a date can hold.
constexpr double kFirstDate = -657434.0;
constexpr double kPastLastDate = 2958466.0;

}  // namespace

JsonPlace JsonPlace::In(std::string_view name) const {
  return {source, file, key, field.empty() ? std::string(name) : field + "." + std::string(name)};
}

std::string JsonPlace::Describe() const {
  std::string where = "property " + Quoted(key);
  if (!field.empty()) where += " field " + Quoted(field);
  return where + " in " + Quoted(file);
}

void JsonPlace::Mismatch(std::string_view expected) const {
  throw RuntimeError(ErrorNumber::TypeMismatch, std::string(source),
                     "Type mismatch: " + Describe() + " is not " + std::string(expected));
}

void JsonPlace::Overflow(std::string_view range) const {
  throw RuntimeError(ErrorNumber::Overflow, std::string(source),
                     "Overflow: " + Describe() + " is outside the " + std::string(range));
}

Json EncodeText(const std::string& text) {
  if (IsUtf8(text)) return text;
  Json bytes = Json::array();
  for (char c : text) bytes.push_back(static_cast<unsigned char>(c));
  return Json{{"bytes", std::move(bytes)}};
}

Json EncodeFloat(float value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  return static_cast<double>(value);
}

Json EncodeDate(Date date) {
  return Json{{"iso", date.ToIsoString()}, {"value", date.Value()}};
}

Json EncodeSeries(const ScanDataPtr& series) {
  if (!series) return nullptr;
  const SingleArray data = series->ScanData();
  Json values = Json::array();
  for (float v : data.Values()) values.push_back(EncodeFloat(v));
  return Json{{"lower", data.LowerBound()}, {"values", std::move(values)}};
}

std::string DecodeText(const Json& j, const JsonPlace& at) {
  if (j.is_string()) return j.get<std::string>();
  if (!j.is_object() || !j.contains("bytes") || !j["bytes"].is_array()) at.Mismatch("a text");
  std::string text;
  for (const Json& b : j["bytes"]) {
    if (!b.is_number_integer() || b.get<int64_t>() < 0 || b.get<int64_t>() > 255)
      at.In("bytes").Mismatch("a list of byte values");
    text += static_cast<char>(b.get<int>());
  }
  return text;
}

int32_t DecodeLong(const Json& j, const JsonPlace& at) {
  const int64_t n = WholeNumber(j, at);
  if (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max())
    at.Overflow("32-bit range");
  return static_cast<int32_t>(n);
}

int16_t DecodeInteger(const Json& j, const JsonPlace& at) {
  const int64_t n = WholeNumber(j, at);
  if (n < std::numeric_limits<int16_t>::min() || n > std::numeric_limits<int16_t>::max())
    at.Overflow("16-bit range");
  return static_cast<int16_t>(n);
}

float DecodeFloat(const Json& j, const JsonPlace& at) {
  if (j.is_number()) return static_cast<float>(j.get<double>());
  if (j.is_string()) {
    const auto& s = j.get_ref<const std::string&>();
    if (s == "NaN") return std::numeric_limits<float>::quiet_NaN();
    if (s == "Infinity") return std::numeric_limits<float>::infinity();
    if (s == "-Infinity") return -std::numeric_limits<float>::infinity();
  }
  at.Mismatch("a number");
}

bool DecodeBoolean(const Json& j, const JsonPlace& at) {
  if (!j.is_boolean()) at.Mismatch("a Boolean");
  return j.get<bool>();
}

Date DecodeDate(const Json& j, const JsonPlace& at) {
  const bool wrapped = j.is_object() && j.contains("value") && j["value"].is_number();
  if (!j.is_number() && !wrapped) at.Mismatch("a date with a numeric \"value\"");
  const double days = (wrapped ? j["value"] : j).get<double>();
  if (!(days >= kFirstDate && days < kPastLastDate)) at.Overflow("date range");
  return Date(days);
}

ScanDataPtr DecodeSeries(const Json& j, const JsonPlace& at) {
  if (j.is_null()) return nullptr;
  if (!j.is_object() || !j.contains("values") || !j["values"].is_array())
    at.Mismatch("a series with \"lower\" and \"values\"");
  int32_t lower = 0;
  IfPresent(j, "lower", at, [&](const Json& v, const JsonPlace& p) { lower = DecodeLong(v, p); });
  std::vector<float> values;
  const JsonPlace valuesAt = at.In("values");
  for (const Json& v : j["values"]) values.push_back(DecodeFloat(v, valuesAt));
  if (!values.empty() && static_cast<int64_t>(lower) + static_cast<int64_t>(values.size()) - 1 >
                             std::numeric_limits<int32_t>::max())
    at.Overflow("32-bit range of indexes");
  auto series = std::make_shared<CScanDataCls>();
  series->ScanData(SingleArray(lower, std::move(values)));
  return series;
}

}  // namespace travimo
