#include <travimo/control/read_results.h>
#include "control_fixture.h"

namespace travimo::testing {
namespace {

using ScanQueryTest = ControlTest;

// The selection, and the whole array by the instrument type; a record the
// host holds survives a new collection. Without a member to read, an element
// or the array fails to the host.
TEST_F(ScanQueryTest, ScanNumberSelectsClampsAndKeeps) {
  LoadLorvex({Ramp(1, 512, 100.0f), Ramp(1, 512, 200.0f), Ramp(1, 512, 300.0f)});
  const LorvexPtr held = control.LorvexData();
  EXPECT_EQ(std::pair(control.NumberOfScans(), control.ScanNumber()), std::pair(3, 3));
  control.ScanNumber(1);
  EXPECT_EQ(control.OneScanDataArray(), Ramp(1, 512, 100.0f));
  EXPECT_EQ(control.LorvexData(), control.State().lorvexCol->Item(1));
  for (const int32_t outside : {9, 0}) control.ScanNumber(outside);  // each clamps to the count
  EXPECT_EQ(control.ScanNumber(), 3);
  EXPECT_EQ(control.OneScanDataArray().At(1), 300.0f);
  EXPECT_EQ(container.changes.back(), "ScanNumber");
  State().arrayStart = 0;
  EXPECT_EQ(ErrorOf([&] { control.ScanDataElement(0, 1); }), ErrorNumber::ObjectNotSet);
  for (const int32_t type : {Brevane, Ostrel}) {  // no read of either yet
    control.TravimoType(type);
    EXPECT_EQ(ErrorOf([&] { control.ScanDataElement(1, 1); }), ErrorNumber::ObjectNotSet);
  }
  EXPECT_EQ(ErrorOf([&] { control.OneScanDataArray(); }), ErrorNumber::ObjectNotSet);
  LoadBrevane({Ramp(0, 3, 7.0f)});
  EXPECT_EQ(control.OneScanDataArray(), Ramp(0, 3, 7.0f));
  control.TravimoType(9);
  EXPECT_TRUE(control.OneScanDataArray().Empty());
  LoadLorvex({Ramp(1, 3, 50.0f)});
  EXPECT_NE(control.LorvexData(), held);
  EXPECT_EQ(held->ScanData(), Ramp(1, 512, 300.0f));
}

// Elements by collection position, not by the selection: beyond the
// collection or the 512 points a DataAccessError event and 0; beyond a
// shorter series but in range 0 alone.
TEST_F(ScanQueryTest, ElementReadsTheCollectionByPositionNotTheSelection) {
  LoadLorvex({Ramp(1, 512, 100.0f), Ramp(1, 512, 200.0f), Ramp(1, 512, 300.0f), Ramp(1, 10, 1)});
  control.ScanNumber(1);
  EXPECT_EQ(control.ScanDataElement(2, 512), 711.0f);  // literals, as a host writes them
  // Scan and point, the value read, and whether it raised an event.
  const std::tuple<int32_t, int32_t, float, bool> cases[] = {
      {3, 1, 300.0f, false}, {4, 11, 0.0f, false}, {5, 1, 0.0f, true},
      {1, 513, 0.0f, true},  {0, 1, 0.0f, true},   {1, 0, 0.0f, true}};
  size_t events = 0;  // one DataAccessError each
  for (const auto& [scan, point, value, event] : cases) {
    EXPECT_EQ(control.ScanDataElement(scan, point), value) << scan << "," << point;
    events += event ? 1 : 0;
    EXPECT_EQ(container.ErrorNumbers(), std::vector<int32_t>(events, DataAccessError));
  }
  LoadBrevane({Ramp(0, 5, 40.0f), Ramp(0, 5, 50.0f)});
  State().arrayStart = 0;
  EXPECT_EQ(std::pair(control.ScanDataElement(1, 0), control.ScanDataElement(2, 4)),
            std::pair(40.0f, 54.0f));
  LoadOstrel({Ramp(1, 4, 1.0f), Ramp(1, 4, 10.0f)});
  State().numberOfScans = 7;  // the Ostrel collection counts first
  EXPECT_EQ(std::tuple(control.ScanDataElement(2, 4), control.NumberOfScans(),
                       control.ScanDataElement(3, 1)), std::tuple(13.0f, 2, 0.0f));
  EXPECT_EQ(container.ErrorNumbers(), std::vector<int32_t>(5, DataAccessError));
}

// Without element one (or zero) there is nothing to start from.
TEST_F(ScanQueryTest, StringScanDataIsLittleEndianSinglesFromElementOneOrZero) {
  LoadLorvex({SingleArray(1, {1.0f, -2.5f})});
  EXPECT_EQ(control.StringScanData(), std::string("\0\0\x80\x3F\0\0\x20\xC0", 8));
  LoadLorvex({Ramp(1, 512, 100.0f), Ramp(1, 512, 200.0f), Ramp(1, 512, 300.0f)});
  EXPECT_EQ(control.StringScanData().size(), 2048u);
  LoadBrevane({SingleArray(0, {1.0f, 0.5f})});
  EXPECT_EQ(control.StringScanData(), std::string("\0\0\x80\x3F\0\0\0\x3F", 8));
  LoadLorvex({SingleArray(-1, {9.0f, 9.0f, 1.0f})});  // a host's record: from element 1 only
  EXPECT_EQ(control.StringScanData(), std::string("\0\0\x80\x3F", 4));
  host.SetCodePage([](uint8_t byte) { return byte == 0x80 ? '~' : static_cast<char>(byte); });
  LoadLorvex({SingleArray(1, {1.0f})});
  EXPECT_EQ(control.StringScanData(), std::string("\0\0~\x3F", 4));

  LoadLorvex({SingleArray(2, {1.0f})});
  EXPECT_EQ(ErrorOf([&] { control.StringScanData(); }), ErrorNumber::SubscriptOutOfRange);
  State().brevaneData = std::make_shared<CBrevaneCls>();  // no data: not one point of 0.0
  control.TravimoType(Brevane);
  EXPECT_EQ(ErrorOf([&] { control.StringScanData(); }), ErrorNumber::SubscriptOutOfRange);
  LoadLorvex({SingleArray()});
  EXPECT_EQ(ErrorOf([&] { control.StringScanData(); }), ErrorNumber::SubscriptOutOfRange);
  control.TravimoType(4);
  EXPECT_EQ(ErrorOf([&] { control.StringScanData(); }), ErrorNumber::SubscriptOutOfRange);
}

TEST_F(ScanQueryTest, NoLimitOnALorvexWarnsAndStaysAt512) {
  control.BlueLineTrigger(BlueLineOff);
  control.NumberOfPoints(NoLimit);
  ASSERT_EQ(host.MessageBoxes().size(), 1u);
  const auto& box = host.MessageBoxes().front();
  EXPECT_EQ(std::tuple(box.text, box.title, box.icon, box.buttons),
            std::tuple("Lorvex Supports Only 512 Points Maximum", "Warning!",
                       MessageBoxIcon::Critical, MessageBoxButtons::Ok));
  EXPECT_EQ(std::tuple(control.NumberOfPoints(), control.State().pointLimit,
                       control.BlueLineTrigger()),
            std::tuple(Max512, Max512, BlueLineAuto));
  EXPECT_EQ(container.changes.back(), "NumberOfPoints");
  control.NumberOfPoints(100);
  EXPECT_EQ(control.State().pointLimit, 100);
  control.TravimoType(Brevane);
  control.NumberOfPoints(NoLimit);
  EXPECT_EQ(std::tuple(control.NumberOfPoints(), host.MessageBoxes().size()),
            std::tuple(NoLimit, 1u));
}

using ReadResultsTest = ControlTest;

// The replaced collection wins and only its kind is gathered.
TEST_F(ReadResultsTest, CollectedResultsFollowTheReplacedKindAndCarryLorvexLetters) {
  LoadOstrel({Ramp(0, 3, 1), Ramp(0, 3, 1)});
  LoadLorvex({Ramp(0, 3, 1)});
  const CollectionSnapshot before = SnapshotOf(control);
  EXPECT_EQ(ReplacedKind(before, control), std::nullopt);
  EXPECT_EQ(FilledKind(before, control), TransferKind::Lorvex);  // nothing replaced: the type's
  const ReadResults ostrel = CollectResults(control, TransferKind::Ostrel);
  EXPECT_EQ(std::tuple(ostrel.Count(), ostrel.lorvex.size()), std::tuple(2, 0u));
  EXPECT_EQ(CollectResults(control).Count(), 1);                         // Lorvex, the current type
  EXPECT_EQ(CollectResults(control, TransferKind::Brevane).Count(), 0);  // never parsed

  State().ostrelCol = std::make_shared<COstrelColCls>();  // a parse that left the type alone
  EXPECT_EQ(ReplacedKind(before, control), TransferKind::Ostrel);
  EXPECT_EQ(FilledKind(before, control), TransferKind::Ostrel);

  // Lorvex letters are looked up by scan number whatever the array start.
  LoadLorvex({Ramp(0, 2, 1), Ramp(0, 2, 5), Ramp(0, 2, 9)});
  State().arrayStart = 0;  // the list then holds an empty element 0 ahead of scan 1
  State().scanTypeLetters.Reset(0);
  State().scanTypeLetters.ExtendTo(2);
  State().scanTypeLetters.Set(1, "A");
  State().scanTypeLetters.Set(2, "B");

  const ReadResults results = CollectResults(control);
  ASSERT_EQ(results.kind, TransferKind::Lorvex);
  std::vector<std::pair<int32_t, std::string>> scans;
  for (const auto& scan : results.lorvex) scans.emplace_back(scan.position, scan.typeLetter);
  EXPECT_EQ(scans, (decltype(scans){{1, "A"}, {2, "B"}, {3, ""}}));  // no letter kept for the third
  EXPECT_EQ(results.lorvex[2].record, State().lorvexCol->Item(3));
  // The host's queries: outside the list no letter, past it a failure.
  EXPECT_EQ(control.GetScanDataType(-1), "");
  EXPECT_EQ(control.GetScanDataType(2), "B");
  State().scanNumber = 2;
  EXPECT_EQ(control.CurrentScanDataType(), "B");
  State().scanNumber = 5;
  EXPECT_EQ(ErrorOf([&] { control.CurrentScanDataType(); }), ErrorNumber::SubscriptOutOfRange);
  EXPECT_EQ(control.State().currentScanDataType, "");
}

}  // namespace
}  // namespace travimo::testing
