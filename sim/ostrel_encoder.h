#pragma once
// Ostrel transfer text from measurement records: a 30-character header per
// measurement, 4-character points, "P0000" scan ends and the end mark "E".
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace travimo::sim {

struct OstrelMeasurement {
  // Fitted to 5, 5 and 7 characters (blank-padded on the right, cut when
  // longer). The first character of calibrationConstantA must be "A": it is
  // what marks the group as a header.
  std::string calibrationConstantA = "A0000";
  std::string calibrationConstantB = "00000";
  std::string basisWeight = "000.000";
  int measurementNumber = 0;  // one digit, 0..9
  int samplingRate = 0;       // one digit, 0..9
  int year = 0;               // two digits, 0..99
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  // Each point is four characters (blank-padded on the left when shorter); it
  // must not begin with "P", "E" or "M" nor have "A" second. OstrelPointText
  // writes a value that way.
  std::vector<std::vector<std::string>> scans;
};

struct OstrelEncodeOptions {
  // A following measurement's header starts with "P" and closes the last scan
  // before it; otherwise every scan gets its own "P0000".
  bool headerEndsScan = true;
  // A CR LF after every n characters, as a line-oriented sender would add; 0: none.
  size_t lineBreakEvery = 0;
  // Non-zero: CR, LF or CR LF inserted at random places (never a CR right
  // after an "S"), from this seed.
  uint32_t noiseSeed = 0;
  char endMark = 'E';  // "E" or "M"
};

std::string EncodeOstrel(const std::vector<OstrelMeasurement>& measurements,
                         const OstrelEncodeOptions& options = {});

// A value as a four-character point: whole numbers -999..9999 zero-padded
// ("0101"), others rounded to as many decimals as fit ("12.5", "1.25"). Throws
// std::invalid_argument when the value does not fit four characters.
std::string OstrelPointText(double value);

}  // namespace travimo::sim
