#include "sim/brevane_encoder.h"

#include <charconv>

namespace travimo::sim {
namespace {

class LineWriter {
 public:
  explicit LineWriter(bool crLf) : end_(crLf ? "\r\n" : "\r") {}
  void Line(std::string_view text) {
    out_ += text;
    out_ += end_;
  }
  void Tag(int number, std::string_view value) {
    out_ += static_cast<char>('0' + number / 10);
    out_ += static_cast<char>('0' + number % 10);
    out_ += "# ";
    Line(value);
  }
  std::string Take() { return std::move(out_); }

 private:
  std::string_view end_;
  std::string out_;
};

void WriteMeasurement(LineWriter& w, const BrevaneMeasurement& m,
                      const BrevaneEncodeOptions& options) {
  w.Line("00# F");
  w.Tag(1, std::to_string(m.scanNumber));
  w.Tag(2, std::to_string(m.measurementNumber));
  w.Tag(3, m.idCode);
  if (!m.dateTime.empty()) w.Tag(4, m.dateTime);
  w.Tag(5, BrevaneValueText(m.basisWeightValue));
  w.Tag(6, m.basisWeightUnit);
  w.Tag(7, m.typeOfBasisWeight);
  w.Tag(8, BrevaneValueText(m.samplingRate));
  w.Tag(9, m.calibrationConstantA);
  w.Tag(10, m.calibrationConstantB);
  w.Tag(11, m.moistureUnit);
  w.Tag(12, m.temperatureUnit);
  if (options.writeMLine) w.Line("M");
  for (const float value : m.moisture) w.Line(BrevaneValueText(value));
  w.Line("V");
  for (const float value : m.skipped) w.Line(BrevaneValueText(value));
  w.Line("Z");
}

}  // namespace

std::string EncodeBrevane(const std::vector<BrevaneMeasurement>& measurements,
                          const BrevaneEncodeOptions& options) {
  LineWriter w(options.crLf);
  w.Line("S");
  for (const BrevaneMeasurement& m : measurements) WriteMeasurement(w, m, options);
  if (options.writeEnd) w.Line("E");
  return w.Take();
}

std::string BrevaneValueText(float value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

}  // namespace travimo::sim
