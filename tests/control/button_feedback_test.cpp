#include <stdexcept>

#include "control_fixture.h"

namespace travimo::testing {
namespace {

constexpr Colour F = kButtonFace;
constexpr Colour X = kDefaultFlashColour;

class ButtonFeedbackTest : public ControlTest {
 protected:
  // The back colour after each of `ticks` flash ticks.
  std::vector<Colour> FlashColours(const std::string& caption, int ticks) {
    control.Caption(caption);
    std::vector<Colour> colours;
    control.cmdReadData().OnChanged([&](ButtonChange change) {
      if (change == ButtonChange::BackColor) colours.push_back(control.cmdReadData().BackColor());
    });
    control.Timer2().Enabled(true);
    host.RunFor(0.2 * ticks + 0.05);
    control.Timer2().Enabled(false);
    return colours;
  }
};

TEST_F(ButtonFeedbackTest, FlashAlternatesOnAnEvenCaption) {
  EXPECT_EQ(FlashColours("Waiting!", 10), (std::vector<Colour>{F, X, F, X, F, X, F, X, F, X}));
}

TEST_F(ButtonFeedbackTest, FlashShowsTheFaceTwiceAtTheWrapOfAnOddCaption) {
  EXPECT_EQ(FlashColours("Reading", 9), (std::vector<Colour>{F, X, F, X, F, X, F, F, X}));
}

TEST_F(ButtonFeedbackTest, FlashNeverShowsTheFlashColourOnAnEmptyCaption) {
  EXPECT_EQ(FlashColours("", 4), (std::vector<Colour>{F, F, F, F}));
}

TEST_F(ButtonFeedbackTest, FlashUsesTheChosenColourAndLeavesTheCaption) {
  control.FlashColor(Rgb(255, 0, 0));
  EXPECT_EQ(FlashColours("ab", 2), (std::vector<Colour>{F, Rgb(255, 0, 0)}));
  EXPECT_EQ(control.Caption(), "ab");
}

TEST_F(ButtonFeedbackTest, ResizeLaysFrameAndButtonOverTheWholeControl) {
  control.Resize(3000, 600);
  const Rect whole{0, 0, 3000, 600};
  EXPECT_EQ(control.fraButton().Bounds(), whole);
  EXPECT_EQ(control.cmdReadData().Bounds(), whole);
}

TEST_F(ButtonFeedbackTest, MouseEventsCarryTheButtonsArguments) {
  control.ButtonMouseDown(1, 2, 10.5f, 20.25f);
  control.ButtonMouseMove(0, 1, 11.0f, 21.0f);
  control.ButtonMouseUp(2, 4, 12.0f, 22.0f);
  ASSERT_EQ(container.events.size(), 3u);
  const auto& down = container.events[0];
  EXPECT_EQ(down.name, "MouseDown");
  EXPECT_EQ(down.button, 1);
  EXPECT_EQ(down.shift, 2);
  EXPECT_EQ(down.x, 10.5f);
  EXPECT_EQ(down.y, 20.25f);
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

TEST_F(ButtonFeedbackTest, ClickDuringAReadIsIgnored) {
  host.After(0.5, [&] { control.ButtonClick(); });
  control.ButtonClick();
  EXPECT_EQ(container.CountOf("Click"), 1);
  EXPECT_EQ(serial.OpenCount(), 1);
}

TEST_F(ButtonFeedbackTest, DisabledButtonIgnoresClicks) {
  control.Enabled(false);
  control.ButtonClick();
  EXPECT_EQ(serial.OpenCount(), 0);
  EXPECT_EQ(container.CountOf("Click"), 0);
}

TEST_F(ButtonFeedbackTest, EscapeDuringTheQuietWaitEndsWithUserCancel) {
  control.TravimoType(Ostrel);
  host.After(3.0, [&] { control.KeyPress(27); });
  control.ReadTravimo();
  EXPECT_EQ(container.ErrorNumbers(), std::vector<int32_t>{UserCancel});
  EXPECT_LT(host.MonotonicSeconds(), 10.0);
}

// A host whose handlers fail: the failure stays with the host.
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
  int32_t scan = 5, point = 1;
  EXPECT_EQ(control.ScanDataElement(scan, point), 0.0f);
  EXPECT_NO_THROW(control.ButtonMouseDown(1, 0, 0, 0));
  control.Caption("Go");
  EXPECT_NO_THROW(control.ButtonClick());
  EXPECT_EQ(control.Caption(), "Go");
  EXPECT_TRUE(control.fraButton().Enabled());
  EXPECT_EQ(container.ErrorNumbers(), (std::vector<int32_t>{DataAccessError, ComportReadError}));
}

}  // namespace
}  // namespace travimo::testing
