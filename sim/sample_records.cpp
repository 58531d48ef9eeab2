// The simulator's sample records: what a technician sees on a paper or board
// machine, made deterministic so that a test can predict every value.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

#include "sim/simulator.h"

namespace travimo::sim {

namespace {

// A Lorvex scan spans the sheet in 512 points, whatever it holds.
constexpr double kLorvexWidth = 511.0;

// Repeatable noise in [-1, 1] from a point's place.
double Noise(uint32_t a, uint32_t b, uint32_t c) {
  uint32_t h = a * 0x9E3779B1u ^ (b + 0x7F4A7C15u) * 0x85EBCA77u ^ (c + 1u) * 0xC2B2AE3Du;
  h ^= h >> 15;
  h *= 0x2C1B3C6Du;
  h ^= h >> 12;
  h *= 0x297A2D39u;
  h ^= h >> 15;
  return static_cast<double>(h) / 2147483647.5 - 1.0;
}

// Where a point lies across the sheet: 0 at one edge, 1 at the other.
double Across(size_t index, double width) {
  return width <= 0 ? 0.5 : std::min(static_cast<double>(index) / width, 1.0);
}

// The sheet dries faster at its edges: a drop within the outer few percent.
double EdgeDrop(double x) { return std::exp(-x / 0.025) + std::exp(-(1.0 - x) / 0.025); }

// Moisture in percent: a slow wave across the machine, drier edges, noise.
double Moisture(int measurement, double x, size_t index) {
  const double wave = std::sin(2 * std::numbers::pi * (1.5 * x + 0.13 * measurement));
  return 6.2 + 0.12 * (measurement % 4) + 0.35 * wave - 1.6 * EdgeDrop(x) +
         0.08 * Noise(static_cast<uint32_t>(measurement), static_cast<uint32_t>(index), 0);
}

// Sheet temperature in degrees Celsius: warmest mid-web, cooler edges.
double Temperature(int scan, double x, size_t index) {
  const double centre = 1.0 - (2 * x - 1) * (2 * x - 1);
  return 48.0 + 6.0 * centre + 0.4 * scan - 4.0 * EdgeDrop(x) +
         0.3 * Noise(static_cast<uint32_t>(scan), static_cast<uint32_t>(index), 1);
}

double Hundredths(double value) { return std::round(value * 100) / 100; }

// A time of day some minutes after 08:15, as hours and minutes.
struct Clock {
  int hour;
  int minute;
};
Clock Later(int minutes) { return {(8 + (15 + minutes) / 60) % 24, (15 + minutes) % 60}; }

}  // namespace

// Raw counts as the Lorvex sends them: moisture in hundredths of a percent,
// temperature in tenths of a degree, burst a quiet level with a few spikes.
uint16_t SampleLorvexValue(int scan, int dataType, size_t index) {
  const double x = Across(index, kLorvexWidth);
  double value = 0;
  switch (dataType) {
    case 1:
      value = Temperature(scan, x, index) * 10;
      break;
    case 2: {
      const auto s = static_cast<uint32_t>(scan);
      const auto i = static_cast<uint32_t>(index);
      const bool spike = Noise(s, i, 3) > 0.94;
      value = 180 + 25 * Noise(s, i, 2) + (spike ? 1500 + 600 * Noise(s, i, 4) : 0);
      break;
    }
    default:
      value = Moisture(scan, x, index) * 100;
  }
  return static_cast<uint16_t>(std::clamp(std::lround(value), 0L, 4095L));
}

std::vector<LorvexScan> SampleLorvexScans(int count, int dataType, size_t points) {
  std::vector<LorvexScan> scans(static_cast<size_t>(std::max(count, 0)));
  for (size_t s = 0; s < scans.size(); ++s) {
    scans[s].typeLetter = 'A';
    for (size_t i = 0; i < points; ++i) {
      scans[s].values.push_back(SampleLorvexValue(static_cast<int>(s), dataType, i));
    }
  }
  return scans;
}

std::vector<OstrelMeasurement> SampleOstrelMeasurements(int count, size_t points) {
  std::vector<OstrelMeasurement> measurements;
  const double width = points > 1 ? static_cast<double>(points - 1) : 0.0;
  for (int m = 0; m < count; ++m) {
    OstrelMeasurement measurement;
    measurement.calibrationConstantA = "A1.02";
    measurement.calibrationConstantB = "-0.31";
    measurement.basisWeight = m % 2 == 0 ? "080.000" : "072.500";
    measurement.measurementNumber = (m + 1) % 10;
    measurement.samplingRate = 5;
    measurement.year = 26;
    measurement.month = 11;
    measurement.day = 20;
    const Clock clock = Later(7 * m);
    measurement.hour = clock.hour;
    measurement.minute = clock.minute;
    std::vector<std::string> scan;
    for (size_t i = 0; i < points; ++i) {
      scan.push_back(OstrelPointText(Hundredths(Moisture(m, Across(i, width), i))));
    }
    measurement.scans.push_back(std::move(scan));
    measurements.push_back(std::move(measurement));
  }
  return measurements;
}

std::vector<BrevaneMeasurement> SampleBrevaneMeasurements(int count, size_t points) {
  std::vector<BrevaneMeasurement> measurements;
  const double width = points > 1 ? static_cast<double>(points - 1) : 0.0;
  for (int m = 0; m < count; ++m) {
    std::vector<float> moisture;
    for (size_t i = 0; i < points; ++i) {
      moisture.push_back(static_cast<float>(Hundredths(Moisture(m, Across(i, width), i))));
    }
    std::vector<float> temperatures;  // sent after "V"; the control keeps none of them
    for (const double x : {0.1, 0.5, 0.9}) {
      temperatures.push_back(static_cast<float>(std::round(Temperature(m, x, 0) * 10) / 10));
    }
    const Clock clock = Later(12 * m);
    char dateTime[24];
    std::snprintf(dateTime, sizeof dateTime, "11/20/2026 %02d:%02d:00", clock.hour, clock.minute);
    // Built whole: GCC 12 at -O2 warns falsely (-Wrestrict) on assigning
    // short literals to the strings of a default-made measurement.
    BrevaneMeasurement measurement{.scanNumber = m + 1,
                                   .measurementNumber = m + 1,
                                   .idCode = "PM2 reel " + std::to_string(4410 + m),
                                   .dateTime = dateTime,
                                   .basisWeightValue = m % 2 == 0 ? 80.0f : 72.5f,
                                   .basisWeightUnit = "g/m2",
                                   .typeOfBasisWeight = "dry",
                                   .samplingRate = 2.5f,
                                   .calibrationConstantA = "1.035",
                                   .calibrationConstantB = "-0.42",
                                   .moistureUnit = "%",
                                   .temperatureUnit = "C",
                                   .moisture = std::move(moisture),
                                   .skipped = std::move(temperatures)};
    measurements.push_back(std::move(measurement));
  }
  return measurements;
}

}  // namespace travimo::sim
