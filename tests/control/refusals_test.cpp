#include <functional>
#include <string>

#include "control_fixture.h"

namespace travimo::testing {
namespace {

struct Refusal {
  std::string name;
  std::function<void(Travimo&)> attempt;
  int32_t atDesignTime;
  int32_t atRunTime;
};

class RefusalTest : public ControlTest, public ::testing::WithParamInterface<bool> {};

TEST_P(RefusalTest, HostCannotSetWhatOnlyTheControlWrites) {
  container.userMode = GetParam();
  LoadOstrel({Ramp(1, 3, 1.0f)});
  const auto ostrel = control.OstrelData();
  const auto brevane = control.BrevaneData();
  const std::vector<Refusal> table = {
      {"NumberOfScans", [](Travimo& c) { c.NumberOfScans(9); }, 382, 393},
      {"ArrayStart", [](Travimo& c) { c.ArrayStart(0); }, 382, 393},
      {"CurrentScanDataType", [](Travimo& c) { c.CurrentScanDataType("Z"); }, 382, 393},
      {"StringScanData", [](Travimo& c) { c.StringScanData("abcd"); }, 387, 382},
      {"OstrelData", [](Travimo& c) { c.OstrelData(std::make_shared<COstrelCls>()); }, 383, 382},
      {"BrevaneData", [](Travimo& c) { c.BrevaneData(std::make_shared<CBrevaneCls>()); }, 383, 382},
  };
  container.changes.clear();
  for (const auto& row : table) {
    EXPECT_EQ(ErrorOf([&] { row.attempt(control); }), GetParam() ? row.atRunTime : row.atDesignTime)
        << row.name;
  }
  EXPECT_EQ(control.NumberOfScans(), 1);
  EXPECT_EQ(control.ArrayStart(), 1);
  EXPECT_EQ(control.State().currentScanDataType, "A");
  EXPECT_EQ(control.State().stringScanData, "\"");
  EXPECT_EQ(control.OstrelData(), ostrel);
  EXPECT_EQ(control.BrevaneData(), brevane);
  EXPECT_TRUE(container.changes.empty());
}

INSTANTIATE_TEST_SUITE_P(DesignAndRunTime, RefusalTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "RunTime" : "DesignTime"; });

TEST_F(ControlTest, CancelTransferReadsOnlyAtDesignTime) {
  control.CancelTransfer(true);
  EXPECT_EQ(ErrorOf([&] { (void)control.CancelTransfer(); }), ErrorNumber::GetNotAtRunTime);
  container.userMode = false;
  EXPECT_TRUE(control.CancelTransfer());
}

}  // namespace
}  // namespace travimo::testing
