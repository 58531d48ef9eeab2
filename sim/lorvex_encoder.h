#pragma once
// Lorvex transfers from scan values: one record per scan, a 15-character
// header beginning with "P" and two data characters per 12-bit value.
#include <cstdint>
#include <string>
#include <vector>

namespace travimo::sim {

struct LorvexScan {
  char typeLetter = 'A';
  std::vector<uint16_t> values;  // 0..4095 each
};

struct LorvexEncodeOptions {
  // Ignored by the parser; with the end marker it makes a transfer 4 characters
  // longer than its records, the length the read cycle takes as complete.
  std::string leadingText = "\r\n";
  bool endMarker = true;  // "##" behind the last record
  bool padData = true;    // fill each record to 1024 data characters with value 0
};

inline constexpr size_t kLorvexHeaderLength = 15;
inline constexpr size_t kLorvexDataLength = 1024;

// A character whose low six bits are sixBits: printable where one exists, and
// never "P" (which would start a record) or "#" (which would end the transfer).
char EncodeSixBits(unsigned sixBits);

// One record: header and data. Throws std::invalid_argument for a type letter
// "P" or a value above 4095.
std::string EncodeLorvexRecord(const LorvexScan& scan, bool padData = true);

// Throws std::invalid_argument as EncodeLorvexRecord does, and for leading text with a "P".
std::string EncodeLorvexTransfer(const std::vector<LorvexScan>& scans,
                                 const LorvexEncodeOptions& options = {});

}  // namespace travimo::sim
