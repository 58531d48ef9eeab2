#include "sim/lorvex_encoder.h"

#include <algorithm>
#include <stdexcept>

namespace travimo::sim {
namespace {

constexpr unsigned kMaxValue = 4095;
constexpr char kRecordStart = 'P';
constexpr char kPaddingChar = '@';  // six bits 0
// Offsets 1-2 and 4-14 carry nothing the parser reads.
constexpr const char* kHeaderFiller = "00";
constexpr const char* kHeaderTail = "00000000000";

void AppendValue(std::string& out, uint16_t value) {
  if (value > kMaxValue) throw std::invalid_argument("Lorvex value above 4095");
  out.push_back(EncodeSixBits(value & 63u));
  out.push_back(EncodeSixBits(static_cast<unsigned>(value) >> 6));
}

}  // namespace

char EncodeSixBits(unsigned sixBits) {
  sixBits &= 63u;
  switch (sixBits) {
    case 16:
      return '\x10';  // 'P' is the only printable character with these bits
    case 63:
      return '?';  // 63 + 64 would be DEL
    default:
      return static_cast<char>(sixBits + 64);
  }
}

std::string EncodeLorvexRecord(const LorvexScan& scan, bool padData) {
  if (scan.typeLetter == kRecordStart) throw std::invalid_argument("type letter 'P'");
  std::string out;
  out.reserve(kLorvexHeaderLength + std::max(kLorvexDataLength, scan.values.size() * 2));
  out.push_back(kRecordStart);
  out += kHeaderFiller;
  out.push_back(scan.typeLetter);
  out += kHeaderTail;
  for (const uint16_t value : scan.values) AppendValue(out, value);
  if (padData && out.size() < kLorvexHeaderLength + kLorvexDataLength) {
    out.resize(kLorvexHeaderLength + kLorvexDataLength, kPaddingChar);
  }
  return out;
}

std::string EncodeLorvexTransfer(const std::vector<LorvexScan>& scans,
                                 const LorvexEncodeOptions& options) {
  if (options.leadingText.find(kRecordStart) != std::string::npos) {
    throw std::invalid_argument("leading text with 'P'");
  }
  std::string out = options.leadingText;
  out.reserve(out.size() + scans.size() * (kLorvexHeaderLength + kLorvexDataLength) + 2);
  for (const LorvexScan& scan : scans) out += EncodeLorvexRecord(scan, options.padData);
  if (options.endMarker) out += "##";
  return out;
}

}  // namespace travimo::sim
