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

TEST(LorvexEncoderTest, RecordHasTheHeaderLayoutAndNoOtherP) {
  const std::string record = EncodeLorvexRecord({'C', {0x10, 0x410, 4095}});
  ASSERT_EQ(record.size(), kLorvexHeaderLength + kLorvexDataLength);
  EXPECT_EQ(record[0], 'P');
  EXPECT_EQ(record[3], 'C');
  EXPECT_EQ(record.find('P', 1), std::string::npos);
  // 0x410: low bits 16, high bits 16.
  EXPECT_EQ(record.substr(15, 6), std::string("\x10@\x10\x10??"));
  EXPECT_EQ(record.substr(21).find_first_not_of('@'), std::string::npos);

  EXPECT_EQ(EncodeLorvexRecord({'A', {1}}, false).size(), kLorvexHeaderLength + 2);
}

TEST(LorvexEncoderTest, TransferFraming) {
  const std::vector<LorvexScan> scans(3);
  const std::string text = EncodeLorvexTransfer(scans);
  EXPECT_EQ(text.size(), 3 * 1039 + 4);  // the length the read cycle takes as complete
  EXPECT_EQ(text.substr(0, 3), "\r\nP");
  EXPECT_EQ(text.substr(text.size() - 2), "##");

  const std::string bare = EncodeLorvexTransfer(scans, {.leadingText = "", .endMarker = false});
  EXPECT_EQ(bare.size(), 3 * 1039);
  EXPECT_EQ(bare.front(), 'P');
}

TEST(LorvexEncoderTest, RefusesWhatCannotBeSent) {
  EXPECT_THROW(EncodeLorvexRecord({'P', {}}), std::invalid_argument);
  EXPECT_THROW(EncodeLorvexRecord({'A', {4096}}), std::invalid_argument);
  EXPECT_THROW(EncodeLorvexTransfer({}, {.leadingText = "P"}), std::invalid_argument);
}

}  // namespace
}  // namespace travimo::sim
