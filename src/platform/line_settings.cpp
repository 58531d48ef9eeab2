#include <travimo/platform/line_settings.h>

#include <cctype>
#include <charconv>
#include <vector>

#include <travimo/model/error.h>

namespace travimo {

namespace {

[[noreturn]] void Refuse(std::string_view text, const std::string& why) {
  throw RuntimeError(ErrorNumber::InvalidPropertyValue, "MSComm",
                     "Invalid Settings \"" + std::string(text) + "\": " + why);
}

std::string_view Trim(std::string_view field) {
  while (!field.empty() && std::isspace(static_cast<unsigned char>(field.front()))) {
    field.remove_prefix(1);
  }
  while (!field.empty() && std::isspace(static_cast<unsigned char>(field.back()))) {
    field.remove_suffix(1);
  }
  return field;
}

std::vector<std::string_view> SplitFields(std::string_view text) {
  std::vector<std::string_view> fields;
  size_t start = 0;
  for (;;) {
    const size_t comma = text.find(',', start);
    fields.push_back(Trim(text.substr(start, comma - start)));
    if (comma == std::string_view::npos) return fields;
    start = comma + 1;
  }
}

bool ReadWhole(std::string_view field, int32_t& value) {
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  return error == std::errc() && end == field.data() + field.size() && !field.empty();
}

}  // namespace

LineSettings ParseLineSettings(std::string_view text) {
  const auto fields = SplitFields(text);
  if (fields.size() != 4) Refuse(text, "expected baud,parity,data,stop");

  LineSettings settings;
  if (!ReadWhole(fields[0], settings.baud) || settings.baud <= 0) {
    Refuse(text, "the baud rate must be a positive whole number");
  }

  const std::string_view parity = fields[1];
  const char letter = parity.size() == 1
                          ? static_cast<char>(std::tolower(static_cast<unsigned char>(parity[0])))
                          : '\0';
  if (std::string_view("neoms").find(letter) == std::string_view::npos || letter == '\0') {
    Refuse(text, "the parity must be one of n, e, o, m, s");
  }
  settings.parity = letter;

  int32_t dataBits = 0;
  if (!ReadWhole(fields[2], dataBits) || dataBits < 4 || dataBits > 8) {
    Refuse(text, "the data bits must be 4 to 8");
  }
  settings.dataBits = dataBits;

  const std::string_view stop = fields[3];
  if (stop == "1") {
    settings.stopBitsTimesTen = 10;
  } else if (stop == "1.5") {
    settings.stopBitsTimesTen = 15;
  } else if (stop == "2") {
    settings.stopBitsTimesTen = 20;
  } else {
    Refuse(text, "the stop bits must be 1, 1.5 or 2");
  }
  return settings;
}

std::string FormatLineSettings(const LineSettings& settings) {
  const std::string stop = settings.stopBitsTimesTen == 15   ? "1.5"
                           : settings.stopBitsTimesTen == 20 ? "2"
                                                             : "1";
  return std::to_string(settings.baud) + "," + std::string(1, settings.parity) + "," +
         std::to_string(settings.dataBits) + "," + stop;
}

}  // namespace travimo
