// What the parser's round trip cannot see: characters it would misread as
// markers, the transfer length the read cycle waits for, and refusals.
#include "sim/lorvex_encoder.h"

#include <gtest/gtest.h>

#include <cctype>
#include <stdexcept>
#include <string>

namespace travimo::sim {
namespace {

TEST(LorvexEncoderTest, SixBitCharactersKeepTheirBitsAndAvoidTheMarkers) {
  for (unsigned bits = 0; bits < 64; ++bits) {
    const char c = EncodeSixBits(bits);
    EXPECT_EQ(static_cast<unsigned char>(c) & 63u, bits);
    EXPECT_NE(c, 'P') << bits;
    EXPECT_NE(c, '#') << bits;
    // Only the bits of "P" have no other printable character.
    EXPECT_EQ(std::isprint(static_cast<unsigned char>(c)) != 0, bits != 16) << bits;
  }
}

TEST(LorvexEncoderTest, TransferFraming) {
  const std::vector<LorvexScan> scans(3);
  const std::string text = EncodeLorvexTransfer(scans);
  EXPECT_EQ(text.size(), 3 * 1039 + 4);  // the length the read cycle takes as complete
  EXPECT_EQ(text.substr(0, 3), "\r\nP");
  EXPECT_EQ(text.substr(text.size() - 2), "##");
  EXPECT_EQ(EncodeLorvexTransfer(scans, {.leadingText = "", .endMarker = false}).size(), 3 * 1039);
  EXPECT_EQ(EncodeLorvexRecord({'A', {1}}, false).size(), kLorvexHeaderLength + 2);
}

TEST(LorvexEncoderTest, RefusesWhatCannotBeSent) {
  EXPECT_THROW(EncodeLorvexRecord({'P', {}}), std::invalid_argument);
  EXPECT_THROW(EncodeLorvexRecord({'A', {4096}}), std::invalid_argument);
  EXPECT_THROW(EncodeLorvexTransfer({}, {.leadingText = "P"}), std::invalid_argument);
}

}  // namespace
}  // namespace travimo::sim
