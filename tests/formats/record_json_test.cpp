#include "formats/record_json.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include <travimo/model/error.h>
#include "support/caught_error.h"
#include "support/named_fields.h"
#include "support/sample_records.h"

namespace travimo {
namespace {

using testing::Filled;

const std::string kFile = "form.json";
const JsonPlace kAt{"test", kFile, "Data", {}};

template <class Record>
Record RoundTrip(const Record& record) {
  const Json text = Json::parse(RecordToJson(record).dump());
  return *std::get<std::shared_ptr<Record>>(RecordFromJson(text, kAt));
}

TEST(RecordJsonTest, EveryFieldOfEveryRecordComesBackEqual) {
  EXPECT_EQ(RoundTrip(Filled<CLorvexCls>()), Filled<CLorvexCls>());
  EXPECT_EQ(RoundTrip(Filled<COstrelCls>()), Filled<COstrelCls>());
  EXPECT_EQ(RoundTrip(Filled<CBrevaneCls>()), Filled<CBrevaneCls>());
  EXPECT_EQ(RoundTrip(CBrevaneCls()), CBrevaneCls());

  CLorvexCls noBurst;
  noBurst.cScanBurst(nullptr);
  EXPECT_EQ(RoundTrip(noBurst).cScanBurst(), nullptr);
}

// What earlier versions saved must still read: member order is free, the
// date's "iso" is for people, unknown members are ignored, absent ones keep
// the initial value.
TEST(RecordJsonTest, ASavedRecordReadsBackAsWritten) {
  const Json saved = Json::parse(R"({
    "record": "Brevane", "ScanNumber": 2, "IDCode": {"bytes": [82, 233]},
    "DateTime": {"iso": "ignored", "value": 45000.5}, "SamplingRate": "NaN",
    "GradeNo": 17.0, "cScanTemp": null, "cScanData": {"lower": 1, "values": [1.5, "-Infinity"]},
    "AddedLater": [1, 2, 3]})");
  auto expected = testing::WithFields<CBrevaneCls>(
      {{"ScanNumber", 2}, {"IDCode", "R\xE9"}, {"DateTime", Date(45000.5)}, {"GradeNo", 17},
       {"SamplingRate", std::numeric_limits<float>::quiet_NaN()}, {"cScanTemp", ScanDataPtr()}});
  expected.ScanData(SingleArray(1, {1.5f, -std::numeric_limits<float>::infinity()}));
  EXPECT_EQ(*std::get<BrevanePtr>(RecordFromJson(saved, kAt)), expected);
}

TEST(RecordJsonTest, AFieldOfTheWrongKindNamesItsPlace) {
  const int32_t mismatch = ErrorNumber::TypeMismatch, overflow = ErrorNumber::Overflow;
  const std::tuple<const char*, int32_t, const char*> cases[] = {
      {R"({"record": "Quartz"})", mismatch, "\"record\""},
      {R"({"record": 1})", mismatch, "\"record\""},
      {R"({"record": "Ostrel", "SamplingRate": 2.5})", mismatch, "\"SamplingRate\""},
      {R"({"record": "Ostrel", "MeasurementNumber": 3000000000})", overflow,
       "\"MeasurementNumber\""},
      {R"({"record": "Lorvex", "cScanTemp": {"values": [1, true]}})", mismatch,
       "\"cScanTemp.values\""},
      {R"({"record": "Ostrel", "DateTime": {"value": 1e9}})", overflow, "\"DateTime\""}};
  for (const auto& [json, number, place] : cases) {
    const RuntimeError error =
        testing::CaughtError([&] { RecordFromJson(Json::parse(json), kAt); });
    EXPECT_EQ(error.Number(), number) << json;
    EXPECT_NE(error.Description().find(place), std::string::npos) << error.Description();
    EXPECT_NE(error.Description().find(kFile), std::string::npos) << error.Description();
  }
}

}  // namespace
}  // namespace travimo
