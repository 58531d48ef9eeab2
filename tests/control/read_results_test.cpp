#include "control/read_results.h"

#include "control_fixture.h"

namespace travimo::testing {
namespace {

using ReadResultsTest = ControlTest;

// ReadTravimo runs the cycle without caption handling or Click; DecodeTransfer
// reports a parse failure as an event, as a read does.
TEST_F(ReadResultsTest, ReadTravimoAndDecodeTransferReportFailuresAsEvents) {
  control.Caption("Go");
  serial.SendAfterOpen(0.5, "##");
  control.ReadTravimo();
  EXPECT_EQ(control.Caption(), "Reading");  // the last caption of the cycle
  EXPECT_EQ(serial.Written(), std::string("D\0", 2));
  EXPECT_EQ(container.CountOf("Click"), 0);
  EXPECT_FALSE(control.Reading());
  EXPECT_TRUE(control.ReceivedSoFar().empty());
  EXPECT_NO_THROW(control.DecodeTransfer("no scans here"));
  EXPECT_EQ(container.ErrorNumbers(), (std::vector<int32_t>{ComportReadError, ComportReadError}));
}

TEST_F(ReadResultsTest, TheReplacedCollectionWinsOverTheInstrumentType) {
  LoadOstrel({Ramp(0, 3, 1)});
  LoadLorvex({Ramp(0, 3, 1)});
  const CollectionSnapshot before = SnapshotOf(control);
  EXPECT_EQ(ReplacedKind(before, control), std::nullopt);
  EXPECT_EQ(FilledKind(before, control), TransferKind::Lorvex);  // nothing replaced: the type's

  State().ostrelCol = std::make_shared<COstrelColCls>();  // a parse that left the type alone
  EXPECT_EQ(ReplacedKind(before, control), TransferKind::Ostrel);
  EXPECT_EQ(FilledKind(before, control), TransferKind::Ostrel);
}

TEST_F(ReadResultsTest, LorvexLettersAreLookedUpByScanNumberWhateverArrayStart) {
  LoadLorvex({Ramp(0, 2, 1), Ramp(0, 2, 5), Ramp(0, 2, 9)});
  State().arrayStart = 0;  // the list then holds an empty element 0 ahead of scan 1
  State().scanTypeLetters.Reset(0);
  State().scanTypeLetters.ExtendTo(2);
  State().scanTypeLetters.Set(1, "A");
  State().scanTypeLetters.Set(2, "B");

  const ReadResults results = CollectResults(control);
  ASSERT_EQ(results.kind, TransferKind::Lorvex);
  ASSERT_EQ(results.Count(), 3);
  EXPECT_EQ(results.lorvex[0].position, 1);
  EXPECT_EQ(results.lorvex[0].typeLetter, "A");
  EXPECT_EQ(results.lorvex[1].typeLetter, "B");
  EXPECT_EQ(results.lorvex[2].typeLetter, "");  // no letter kept for the third
  EXPECT_EQ(results.lorvex[2].record, State().lorvexCol->Item(3));
}

TEST_F(ReadResultsTest, OnlyTheKindsCollectionIsGathered) {
  LoadOstrel({Ramp(0, 3, 1), Ramp(0, 3, 1)});
  LoadBrevane({Ramp(0, 3, 1)});
  const ReadResults ostrel = CollectResults(control, TransferKind::Ostrel);
  EXPECT_EQ(ostrel.Count(), 2);
  EXPECT_TRUE(ostrel.brevane.empty());
  EXPECT_EQ(CollectResults(control).Count(), 1);                        // Brevane, the current type
  EXPECT_EQ(CollectResults(control, TransferKind::Lorvex).Count(), 0);  // never parsed
}

}  // namespace
}  // namespace travimo::testing
