#include <cstring>

#include "control_fixture.h"

namespace travimo::testing {
namespace {

class ScanQueryTest : public ControlTest {
 protected:
  void LoadThreeLorvexScans() {
    LoadLorvex({Ramp(1, 512, 100.0f), Ramp(1, 512, 200.0f), Ramp(1, 512, 300.0f)});
  }
  float Element(int32_t scan, int32_t point) { return control.ScanDataElement(scan, point); }
  static std::string Bytes(std::initializer_list<int> bytes) {
    std::string text;
    for (int b : bytes) text.push_back(static_cast<char>(b));
    return text;
  }
};

TEST_F(ScanQueryTest, ScanNumberSelectsClampsAndKeeps) {
  LoadThreeLorvexScans();
  EXPECT_EQ(control.NumberOfScans(), 3);
  EXPECT_EQ(control.ScanNumber(), 3);
  control.ScanNumber(1);
  EXPECT_EQ(control.OneScanDataArray(), Ramp(1, 512, 100.0f));
  EXPECT_EQ(control.LorvexData(), control.State().lorvexCol->Item(1));
  control.ScanNumber(9);
  EXPECT_EQ(control.ScanNumber(), 3);
  control.ScanNumber(0);
  EXPECT_EQ(control.ScanNumber(), 3);
  EXPECT_EQ(control.OneScanDataArray().At(1), 300.0f);
  EXPECT_EQ(container.changes.back(), "ScanNumber");
}

TEST_F(ScanQueryTest, ElementReadsTheCollectionByPositionNotTheSelection) {
  LoadThreeLorvexScans();
  control.ScanNumber(1);
  EXPECT_EQ(control.ScanDataElement(2, 512), 711.0f);  // literals, as a host writes them
  EXPECT_EQ(Element(3, 1), 300.0f);
  LoadBrevane({Ramp(0, 5, 40.0f), Ramp(0, 5, 50.0f)});
  State().arrayStart = 0;
  EXPECT_EQ(Element(1, 0), 40.0f);
  EXPECT_EQ(Element(2, 4), 54.0f);
  EXPECT_TRUE(container.ErrorNumbers().empty());
}

TEST_F(ScanQueryTest, ElementOutOfRangeRaisesDataAccessErrorOnceAndGivesZero) {
  LoadThreeLorvexScans();
  for (auto [scan, point] : {std::pair{4, 1}, {1, 513}, {0, 1}, {1, 0}}) {
    container.events.clear();
    EXPECT_EQ(Element(scan, point), 0.0f) << scan << "," << point;
    EXPECT_EQ(container.ErrorNumbers(), std::vector<int32_t>{DataAccessError});
  }
}

TEST_F(ScanQueryTest, ElementOutsideTheSeriesButInRangeIsZeroWithoutEvent) {
  LoadLorvex({Ramp(1, 10, 1.0f)});
  EXPECT_EQ(Element(1, 11), 0.0f);
  EXPECT_TRUE(container.ErrorNumbers().empty());
}

TEST_F(ScanQueryTest, ElementWithoutAMemberThereFailsToTheHost) {
  LoadThreeLorvexScans();
  State().arrayStart = 0;
  EXPECT_EQ(ErrorOf([&] { Element(0, 1); }), ErrorNumber::ObjectNotSet);
  control.TravimoType(Brevane);  // no Brevane read yet
  EXPECT_EQ(ErrorOf([&] { Element(1, 1); }), ErrorNumber::ObjectNotSet);
  control.TravimoType(Ostrel);
  EXPECT_EQ(ErrorOf([&] { Element(1, 1); }), ErrorNumber::ObjectNotSet);
}

TEST_F(ScanQueryTest, OstrelElementCountsTheOstrelCollectionFirst) {
  LoadOstrel({Ramp(1, 4, 1.0f), Ramp(1, 4, 10.0f)});
  State().numberOfScans = 7;
  EXPECT_EQ(Element(2, 4), 13.0f);
  EXPECT_EQ(control.NumberOfScans(), 2);
  EXPECT_EQ(Element(3, 1), 0.0f);
  EXPECT_EQ(container.ErrorNumbers(), std::vector<int32_t>{DataAccessError});
}

TEST_F(ScanQueryTest, WholeArrayFollowsTheInstrumentType) {
  LoadBrevane({Ramp(0, 3, 7.0f)});
  EXPECT_EQ(control.OneScanDataArray(), Ramp(0, 3, 7.0f));
  control.TravimoType(9);
  EXPECT_TRUE(control.OneScanDataArray().Empty());
  control.TravimoType(Ostrel);  // no current Ostrel record
  EXPECT_EQ(ErrorOf([&] { control.OneScanDataArray(); }), ErrorNumber::ObjectNotSet);
}

TEST_F(ScanQueryTest, StringScanDataIsLittleEndianSinglesFromElementOneOrZero) {
  LoadLorvex({SingleArray(1, {1.0f, -2.5f})});
  EXPECT_EQ(control.StringScanData(), Bytes({0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x20, 0xC0}));
  LoadThreeLorvexScans();
  EXPECT_EQ(control.StringScanData().size(), 2048u);
  LoadBrevane({SingleArray(0, {1.0f, 0.5f})});
  EXPECT_EQ(control.StringScanData(), Bytes({0x00, 0x00, 0x80, 0x3F, 0x00, 0x00, 0x00, 0x3F}));
  LoadLorvex({SingleArray(-1, {9.0f, 9.0f, 1.0f})});  // a host's record: from element 1 only
  EXPECT_EQ(control.StringScanData(), Bytes({0x00, 0x00, 0x80, 0x3F}));
  host.SetCodePage([](uint8_t byte) { return byte == 0x80 ? '~' : static_cast<char>(byte); });
  LoadLorvex({SingleArray(1, {1.0f})});
  EXPECT_EQ(control.StringScanData(), Bytes({0x00, 0x00, '~', 0x3F}));
}

TEST_F(ScanQueryTest, StringScanDataFailsWithoutElementOne) {
  LoadLorvex({SingleArray(2, {1.0f})});
  EXPECT_EQ(ErrorOf([&] { control.StringScanData(); }), ErrorNumber::SubscriptOutOfRange);
  State().brevaneData = std::make_shared<CBrevaneCls>();  // no data: not one point of 0.0
  control.TravimoType(Brevane);
  EXPECT_EQ(ErrorOf([&] { control.StringScanData(); }), ErrorNumber::SubscriptOutOfRange);
  control.TravimoType(Lorvex);
  LoadLorvex({SingleArray()});
  EXPECT_EQ(ErrorOf([&] { control.StringScanData(); }), ErrorNumber::SubscriptOutOfRange);
  control.TravimoType(4);
  EXPECT_EQ(ErrorOf([&] { control.StringScanData(); }), ErrorNumber::SubscriptOutOfRange);
}

TEST_F(ScanQueryTest, RecordsHeldByTheHostSurviveANewCollection) {
  LoadLorvex({Ramp(1, 3, 1.0f)});
  const LorvexPtr held = control.LorvexData();
  LoadLorvex({Ramp(1, 3, 50.0f)});
  EXPECT_NE(control.LorvexData(), held);
  EXPECT_EQ(held->ScanData(), Ramp(1, 3, 1.0f));
}

TEST_F(ScanQueryTest, TypeLettersByScan) {
  State().scanTypeLetters.Reset(1);
  State().scanTypeLetters.ExtendTo(2);
  State().scanTypeLetters.Set(1, "A");
  State().scanTypeLetters.Set(2, "C");
  EXPECT_EQ(control.GetScanDataType(0), "");
  EXPECT_EQ(control.GetScanDataType(2), "C");
  State().scanNumber = 2;
  EXPECT_EQ(control.CurrentScanDataType(), "C");
  State().scanNumber = 5;
  EXPECT_EQ(ErrorOf([&] { control.CurrentScanDataType(); }), ErrorNumber::SubscriptOutOfRange);
  EXPECT_EQ(control.State().currentScanDataType, "");
}

TEST_F(ScanQueryTest, NoLimitOnALorvexWarnsAndStaysAt512) {
  control.BlueLineTrigger(BlueLineOff);
  control.NumberOfPoints(NoLimit);
  ASSERT_EQ(host.MessageBoxes().size(), 1u);
  const auto& box = host.MessageBoxes().front();
  EXPECT_EQ(box.text, "Lorvex Supports Only 512 Points Maximum");
  EXPECT_EQ(box.title, "Warning!");
  EXPECT_EQ(box.icon, MessageBoxIcon::Critical);
  EXPECT_EQ(box.buttons, MessageBoxButtons::Ok);
  EXPECT_EQ(control.NumberOfPoints(), Max512);
  EXPECT_EQ(control.State().pointLimit, Max512);
  EXPECT_EQ(control.BlueLineTrigger(), BlueLineAuto);
  EXPECT_EQ(container.changes.back(), "NumberOfPoints");
  control.NumberOfPoints(100);
  EXPECT_EQ(control.State().pointLimit, 100);
  control.TravimoType(Brevane);
  control.NumberOfPoints(NoLimit);
  EXPECT_EQ(control.NumberOfPoints(), NoLimit);
  EXPECT_EQ(host.MessageBoxes().size(), 1u);
}

TEST_F(ScanQueryTest, BurstHoldsOnceOnANonLorvex) {
  control.TravimoType(Ostrel);
  control.ScanDataType(Burst);
  EXPECT_EQ(control.ScanDataType(), Burst);
  control.ScanDataType(Temperature);
  EXPECT_EQ(control.ScanDataType(), Moisture);
  control.TravimoType(Lorvex);
  control.ScanDataType(Burst);
  control.ScanDataType(Temperature);
  EXPECT_EQ(control.ScanDataType(), Temperature);
}

}  // namespace
}  // namespace travimo::testing
