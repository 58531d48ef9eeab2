#pragma once
// Brevane transfer text from measurement records: "S", then per measurement
// "00# F", the tag lines "01#" to "12#", "M", the moisture values, "V", the
// values the control skips, "Z"; finally "E". Every line ends with CR or CR LF.
#include <cstdint>
#include <string>
#include <vector>

namespace travimo::sim {

struct BrevaneMeasurement {
  int32_t scanNumber = 0;            // "01#"
  int32_t measurementNumber = 0;     // "02#"
  std::string idCode;                // "03#"
  std::string dateTime;              // "04#", written as given ("03/15/2024 10:30:00")
  float basisWeightValue = 0.0f;     // "05#"
  std::string basisWeightUnit;       // "06#"
  std::string typeOfBasisWeight;     // "07#"
  float samplingRate = 0.0f;         // "08#", written with "." as decimal point
  std::string calibrationConstantA;  // "09#"
  std::string calibrationConstantB;  // "10#"
  std::string moistureUnit;          // "11#"
  std::string temperatureUnit;       // "12#"
  std::vector<float> moisture;       // stored by the control
  std::vector<float> skipped;        // after "V", not stored
};
// Text fields must not hold CR or LF; "#" is harmless.

struct BrevaneEncodeOptions {
  bool crLf = true;        // false: lines end with CR alone
  bool writeEnd = true;    // the closing "E" line
  bool writeMLine = true;  // the "M" line ahead of the moisture values
};

std::string EncodeBrevane(const std::vector<BrevaneMeasurement>& measurements,
                          const BrevaneEncodeOptions& options = {});

// The shortest text that reads back as exactly this float ("1.5", "2", "1e+20").
std::string BrevaneValueText(float value);

}  // namespace travimo::sim
