#include "sim/ostrel_encoder.h"

#include <cmath>
#include <cstdio>
#include <random>
#include <stdexcept>

namespace travimo::sim {
namespace {

std::string Fit(const std::string& text, size_t width) {
  std::string out = text.substr(0, width);
  out.resize(width, ' ');
  return out;
}

std::string TwoDigits(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02d", ((value % 100) + 100) % 100);
  return text;
}

char Digit(int value) {
  return static_cast<char>('0' + ((value % 10) + 10) % 10);
}

std::string Header(const OstrelMeasurement& m, char first) {
  std::string header(1, first);
  header += Fit(m.calibrationConstantA, 5);
  header += Fit(m.calibrationConstantB, 5);
  header += Fit(m.basisWeight, 7);
  header += Digit(m.measurementNumber);
  header += Digit(m.samplingRate);
  header += TwoDigits(m.year) + TwoDigits(m.month) + TwoDigits(m.day);
  header += TwoDigits(m.hour) + TwoDigits(m.minute);
  return header;
}

std::string Point(const std::string& text) {
  if (text.size() > 4) throw std::invalid_argument("Ostrel point longer than 4 characters");
  return std::string(4 - text.size(), ' ') + text;
}

std::string WithLineBreaks(const std::string& text, size_t every) {
  std::string out;
  out.reserve(text.size() + 2 * (text.size() / every + 1));
  for (size_t at = 0; at < text.size(); at += every) {
    out.append(text, at, every);
    out += out.back() == 'S' ? "\n" : "\r\n";  // "S" CR would read as a Brevane transfer
  }
  return out;
}

std::string WithNoise(const std::string& text, uint32_t seed) {
  std::mt19937 random(seed);
  std::uniform_int_distribution<int> gap(1, 40);
  std::uniform_int_distribution<int> kind(0, 2);
  std::string out;
  out.reserve(text.size() + text.size() / 10);
  int untilNoise = gap(random);
  for (const char c : text) {
    out += c;
    if (--untilNoise > 0) continue;
    untilNoise = gap(random);
    switch (kind(random)) {
      case 0:
        out += '\n';
        break;
      case 1:
        out += c == 'S' ? "\n\r" : "\r";
        break;
      default:
        out += c == 'S' ? "\n\r\n" : "\r\n";
        break;
    }
  }
  return out;
}

}  // namespace

std::string EncodeOstrel(const std::vector<OstrelMeasurement>& measurements,
                         const OstrelEncodeOptions& options) {
  std::string text;
  for (size_t i = 0; i < measurements.size(); ++i) {
    const OstrelMeasurement& m = measurements[i];
    const bool closesPrevious =
        i > 0 && options.headerEndsScan && !measurements[i - 1].scans.empty();
    text += Header(m, i == 0 ? 'S' : closesPrevious ? 'P' : 'S');
    const bool headerClosesLast = options.headerEndsScan && i + 1 < measurements.size();
    for (size_t s = 0; s < m.scans.size(); ++s) {
      for (const std::string& point : m.scans[s]) text += Point(point);
      if (!(headerClosesLast && s + 1 == m.scans.size())) text += "P0000";
    }
  }
  text += options.endMark;
  if (options.lineBreakEvery != 0) text = WithLineBreaks(text, options.lineBreakEvery);
  if (options.noiseSeed != 0) text = WithNoise(text, options.noiseSeed);
  return text;
}

std::string OstrelPointText(double value) {
  char text[32];
  if (value == std::trunc(value) && value >= -999 && value <= 9999) {
    std::snprintf(text, sizeof text, "%04d", static_cast<int>(value));
    return text;
  }
  for (int decimals = 2; decimals >= 1; --decimals) {
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    if (std::string(text).size() == 4) return text;
  }
  throw std::invalid_argument("value does not fit an Ostrel point");
}

}  // namespace travimo::sim
