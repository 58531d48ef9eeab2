#include <stdexcept>

#include "control_fixture.h"

namespace travimo::testing {
namespace {

using ButtonFeedbackTest = ControlTest;

TEST(ButtonFlashTest, FlashFollowsTheCaptionLength) {
  constexpr Colour F = kButtonFace, X = kDefaultFlashColour, R = Rgb(255, 0, 0);
  // A caption, the flash colour, and the colours shown at each tick.
  const std::tuple<std::string, Colour, std::vector<Colour>> cases[] = {
      {"Waiting!", X, {F, X, F, X, F, X, F, X, F, X}},
      {"Reading", X, {F, X, F, X, F, X, F, F, X}},  // the face twice at an odd wrap
      {"", X, {F, F, F, F}},
      {"ab", R, {F, R}},
  };
  for (const auto& [caption, flash, colours] : cases) {
    ControlRig rig;  // a fresh control: the flash remembers its place
    Travimo& control = rig.control;
    control.FlashColor(flash);
    control.Caption(caption);
    std::vector<Colour> seen;
    control.cmdReadData().OnChanged([&](ButtonChange change) {
      if (change == ButtonChange::BackColor) seen.push_back(control.cmdReadData().BackColor());
    });
    control.Timer2().Enabled(true);
    rig.host.RunFor(0.2 * static_cast<double>(colours.size()) + 0.05);
    control.Timer2().Enabled(false);
    EXPECT_EQ(seen, colours) << caption;
    EXPECT_EQ(control.Caption(), caption);
  }
}

// The widget's test sees a press and a release reach the host through here.
TEST_F(ButtonFeedbackTest, MouseMoveCarriesTheButtonsArgumentsAndEscapeCancels) {
  control.ButtonMouseMove(0, 1, 11.0f, 21.0f);
  ASSERT_EQ(container.events.size(), 1u);
  const auto& e = container.events[0];
  EXPECT_EQ(std::tuple(e.name, e.button, e.shift, e.x, e.y),
            std::tuple("MouseMove", 0, 1, 11.0f, 21.0f));
  // Escape and losing the focus ask to cancel.
  container.userMode = false;
  control.KeyPress(13);
  control.GotFocus();
  EXPECT_FALSE(control.CancelTransfer());
  control.KeyPress(27);
  EXPECT_TRUE(control.CancelTransfer());
  control.CancelTransfer(false);
  control.LostFocus();
  EXPECT_TRUE(control.CancelTransfer());
}

// Value True presses the button like a click: a cycle, the caption and
// colour restored, Click raised last. A click on a disabled button, or a
// click, Value True or ReadTravimo from a host handler inside a read start
// nothing.
TEST_F(ButtonFeedbackTest, ValueTrueAndReadTravimoStartOneReadEach) {
  control.InitProperties();
  control.Enabled(false);
  control.ButtonClick();
  EXPECT_EQ(serial.OpenCount(), 0);
  control.Enabled(true);
  control.Caption("Read");
  control.BackColor(Rgb(255, 0, 0));
  serial.SendAfterOpen(0.5, "P");
  serial.SendAfterOpen(1.5, "##");
  std::string captionBefore, captionAfter;
  host.At(1.0, [&] {
    captionBefore = control.Caption();
    control.ButtonClick();
    control.Value(true);
    control.ReadTravimo();
    captionAfter = control.Caption();
  });

  control.Value(true);

  EXPECT_EQ(std::tuple(captionBefore, captionAfter), std::tuple("Reading!", "Reading!"));
  EXPECT_EQ(serial.OpenCount(), 1);
  EXPECT_EQ(serial.Written(), std::string("D\0", 2));
  std::vector<std::string> events;
  for (const auto& event : container.events) events.push_back(event.name);
  EXPECT_EQ(events, (std::vector<std::string>{"TravimoError", "Click"}));  // the outer one only
  EXPECT_EQ(std::tuple(control.Caption(), control.BackColor(), container.changes.back()),
            std::tuple("Read", kButtonFace, "Value"));
  // The one read ran to its parser, which found no scan in "P##".
  EXPECT_EQ(container.ErrorNumbers(), std::vector<int32_t>{ComportReadError});

  // ReadTravimo runs the cycle without caption handling or Click; DecodeTransfer
  // reports a parse failure as an event, as a read does.
  control.ReadTravimo();
  EXPECT_EQ(control.Caption(), "Reading");  // the last caption of the cycle
  EXPECT_EQ(serial.Written(), std::string("D\0D\0", 4));
  EXPECT_NO_THROW(control.DecodeTransfer("no scans here"));
  EXPECT_EQ(container.ErrorNumbers(), std::vector<int32_t>(3, ComportReadError));
  EXPECT_EQ(container.events.size(), 4u);  // no second Click
}

// The failure of a host's handler stays with the host.
class FailingContainer : public RecordingContainer {
 public:
  void TravimoError(int32_t& ReadError) override {
    RecordingContainer::TravimoError(ReadError);
    throw std::runtime_error("host handler");
  }
  void Click() override { throw RuntimeError(5); }
  void MouseDown(int16_t&, int16_t&, float&, float&) override { throw 42; }
};

TEST(FailingHostTest, HandlersThatThrowDoNotReachTheControlsCaller) {
  ControlRig<FailingContainer> rig;
  Travimo& control = rig.control;
  EXPECT_EQ(control.ScanDataElement(5, 1), 0.0f);
  const double before = rig.host.MonotonicSeconds();
  control.BKWait(1);
  EXPECT_GE(rig.host.MonotonicSeconds() - before, 1.0);
  EXPECT_NO_THROW(control.ButtonMouseDown(1, 0, 0, 0));
  control.Caption("Go");
  EXPECT_NO_THROW(control.ButtonClick());
  EXPECT_EQ(std::tuple(control.Caption(), control.fraButton().Enabled()), std::tuple("Go", true));
  EXPECT_EQ(rig.container.ErrorNumbers(),
            (std::vector<int32_t>{DataAccessError, ComportReadError}));
}

}  // namespace
}  // namespace travimo::testing
