#include <stdexcept>

#include "control_fixture.h"

namespace travimo::testing {
namespace {

using ButtonFeedbackTest = ControlTest;

TEST(ButtonFlashTest, FlashFollowsTheCaptionLength) {
  constexpr Colour F = kButtonFace, X = kDefaultFlashColour, R = Rgb(255, 0, 0);
  const struct {
    std::string caption;
    Colour flash;
    std::vector<Colour> colours;
  } cases[] = {
      {"Waiting!", X, {F, X, F, X, F, X, F, X, F, X}},
      {"Reading", X, {F, X, F, X, F, X, F, F, X}},  // the face twice at an odd wrap
      {"", X, {F, F, F, F}},
      {"ab", R, {F, R}},
  };
  for (const auto& c : cases) {
    VirtualHost host;  // a fresh control: the flash remembers its place
    ScriptedSerial serial(host);
    RecordingContainer container;
    MemoryFileSystem files;
    Travimo control(ControlSite{container, host, files, serial});
    control.FlashColor(c.flash);
    control.Caption(c.caption);
    std::vector<Colour> seen;
    control.cmdReadData().OnChanged([&](ButtonChange change) {
      if (change == ButtonChange::BackColor) seen.push_back(control.cmdReadData().BackColor());
    });
    control.Timer2().Enabled(true);
    host.RunFor(0.2 * static_cast<double>(c.colours.size()) + 0.05);
    control.Timer2().Enabled(false);
    EXPECT_EQ(seen, c.colours) << c.caption;
    EXPECT_EQ(control.Caption(), c.caption);
  }
}

TEST_F(ButtonFeedbackTest, MouseEventsCarryTheButtonsArguments) {
  control.ButtonMouseDown(1, 2, 10.5f, 20.25f);
  control.ButtonMouseMove(0, 1, 11.0f, 21.0f);
  control.ButtonMouseUp(2, 4, 12.0f, 22.0f);
  ASSERT_EQ(container.events.size(), 3u);
  const auto& down = container.events[0];
  EXPECT_EQ(down.name, "MouseDown");
  EXPECT_EQ(std::tuple(down.button, down.shift, down.x, down.y), std::tuple(1, 2, 10.5f, 20.25f));
  EXPECT_EQ(container.events[1].name, "MouseMove");
  EXPECT_EQ(container.events[2].name, "MouseUp");
  EXPECT_EQ(container.events[2].shift, 4);
}

TEST_F(ButtonFeedbackTest, EscapeAndLosingTheFocusAskToCancel) {
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

TEST_F(ButtonFeedbackTest, ClickRunsACycleRestoresTheCaptionAndRaisesClickLast) {
  control.Caption("Go");
  control.BackColor(Rgb(255, 0, 0));
  std::string captionDuringRead;
  host.After(0.5, [&] { captionDuringRead = control.Caption(); });
  control.ButtonClick();
  EXPECT_EQ(captionDuringRead, "Reading");
  EXPECT_EQ(control.Caption(), "Go");
  EXPECT_EQ(control.BackColor(), kButtonFace);
  ASSERT_EQ(container.events.size(), 2u);
  EXPECT_EQ(container.events[0].name, "TravimoError");  // nothing came: no scan
  EXPECT_EQ(container.events[1].name, "Click");
}

TEST_F(ButtonFeedbackTest, DisabledButtonIgnoresClicks) {
  control.Enabled(false);
  control.ButtonClick();
  EXPECT_EQ(serial.OpenCount(), 0);
  EXPECT_EQ(container.CountOf("Click"), 0);
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
  VirtualHost host;
  ScriptedSerial serial(host);
  FailingContainer container;
  MemoryFileSystem files;
  Travimo control(ControlSite{container, host, files, serial});
  EXPECT_EQ(control.ScanDataElement(5, 1), 0.0f);
  const double before = host.MonotonicSeconds();
  control.BKWait(1);
  EXPECT_GE(host.MonotonicSeconds() - before, 1.0);
  EXPECT_NO_THROW(control.ButtonMouseDown(1, 0, 0, 0));
  control.Caption("Go");
  EXPECT_NO_THROW(control.ButtonClick());
  EXPECT_EQ(control.Caption(), "Go");
  EXPECT_TRUE(control.fraButton().Enabled());
  EXPECT_EQ(container.ErrorNumbers(), (std::vector<int32_t>{DataAccessError, ComportReadError}));
}

}  // namespace
}  // namespace travimo::testing
