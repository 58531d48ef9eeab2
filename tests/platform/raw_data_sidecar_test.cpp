#include "rawdata/raw_data_sidecar.h"

#include <gtest/gtest.h>

#include <string>

#include <travimo/model/error.h>
#include "rawdata/sha256.h"

namespace travimo {
namespace {

std::string Counting(size_t length) {
  std::string bytes;
  for (size_t i = 0; i < length; ++i) bytes += static_cast<char>(i);
  return bytes;
}

// Published vectors, and lengths around the padding's block boundaries.
TEST(Sha256Test, KnownDigests) {
  const struct {
    std::string bytes;
    const char* digest;
  } cases[] = {
      {"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
      {"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
      {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
       "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
      {std::string(1000000, 'a'),
       "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
      {Counting(55), "463eb28e72f82e0a96c0a4cc53690c571281131f672aa229e0d45ae59b598b59"},
      {Counting(56), "da2ae4d6b36748f2a318f23e7ab1dfdf45acdc9d049bd80e59de82a60895f562"},
      {Counting(63), "29af2686fd53374a36b0846694cc342177e428d1647515f078784d69cdb9e488"},
      {Counting(64), "fdeab9acf3710362bd2658cdc9a29e8f9c757fcf9811603a8c447cd1d9151108"},
      {Counting(65), "4bfd2c8b6f1eec7a2afeb48b934ee4b2694182027e6d0fc075074f2fabb31781"},
      {Counting(119), "da18797ed7c3a777f0847f429724a2d8cd5138e6ed2895c3fa1a6d39d18f7ec6"},
      {Counting(120), "f52b23db1fbb6ded89ef42a23ce0c8922c45f25c50b568a93bf1c075420bbb7c"},
  };
  for (const auto& c : cases) EXPECT_EQ(Sha256Hex(c.bytes), c.digest) << c.bytes.size();
}

TEST(RawDataSidecarTest, RoundTripsAndMatchesOnlyItsOwnBytes) {
  RawDataSidecar sidecar;
  sidecar.scanDataType = 1;
  sidecar.tempUnits = 1;
  sidecar.numberOfPoints = 256;
  sidecar.blueLineTrigger = 0;
  sidecar.lineSettings = "9600,n,8,1";
  sidecar.device = "/dev/ttyUSB0";
  sidecar.started = "2026-12-07T10:00:00Z";
  const std::string bytes("P\0\x01##", 5);
  DescribeBytes(sidecar, bytes);

  const RawDataSidecar back = ParseSidecar(SidecarText(sidecar), "RawData.dat.json");
  EXPECT_EQ(SidecarText(back), SidecarText(sidecar));
  EXPECT_TRUE(DescribesBytes(back, bytes));
  // Bytes of the same length told apart by their digest alone.
  EXPECT_FALSE(DescribesBytes(back, std::string("P\0\x02##", 5)));

  for (const char* text :
       {"{}", "[1]", "not json", R"({"travimoRawDataSettings": 1, "bytes": "x"})"})
    EXPECT_THROW(ParseSidecar(text, "f.json"), RuntimeError) << text;
}

}  // namespace
}  // namespace travimo
