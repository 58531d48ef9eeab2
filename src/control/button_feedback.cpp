// The read button: layout, click handling, the flash while a read waits, the
// colours, and the mouse, focus and key input that reaches the control.
#include <travimo/control/travimo.h>

#include "control/control_link.h"

namespace travimo {

namespace {
constexpr int16_t kEscape = 27;
}  // namespace

void Travimo::Resize(int32_t width, int32_t height) {
  fraButton_.Move({.left = 0, .top = 0, .width = width, .height = height});
  const Rect& frame = fraButton_.Bounds();
  cmdReadData_.Move({.left = 0, .top = 0, .width = frame.width, .height = frame.height});
}

void Travimo::ButtonClick() {
  // A disabled frame is what keeps a second read from starting during a read.
  if (!fraButton_.Enabled() || !cmdReadData_.Enabled()) return;
  cmdReadData_.Value(true);
}

void Travimo::ClickHandling() {
  // Value = True from a host handler inside a running read: leave that read alone.
  if (link_->Cycle().Running()) return;
  const std::string caption = cmdReadData_.Caption();
  m_FlashChar.clear();
  cmdReadData_.Caption("Reading");
  link_->Cycle().AcquireData();
  cmdReadData_.Caption(caption);
  RaiseEvent([](TravimoEvents& events) { events.Click(); });
}

// The remembered character walks along the caption; its position's parity
// picks the colour, so an odd-length caption shows the face twice at the wrap.
void Travimo::FlashTick() {
  try {
    const std::string caption = cmdReadData_.Caption();
    if (m_FlashChar.empty()) {
      m_FlashPos = 1;
      m_FlashChar = caption.substr(0, 1);
      cmdReadData_.BackColor(kButtonFace);
    } else {
      const auto length = static_cast<int32_t>(caption.size());
      ++m_FlashPos;
      if (m_FlashPos > length) m_FlashPos = 1;
      m_FlashChar = m_FlashPos <= length ? caption.substr(static_cast<size_t>(m_FlashPos - 1), 1)
                                         : std::string();
      cmdReadData_.BackColor(m_FlashPos % 2 == 0 ? m_FlashColor : kButtonFace);
    }
    site_.host.Yield();
  } catch (...) {
    // A flash that fails only leaves the colour as it was.
  }
}

void Travimo::ResetFlash() {
  m_FlashChar.clear();
  m_FlashPos = 0;
}

Colour Travimo::BackColor() const {
  return cmdReadData_.BackColor();
}

void Travimo::BackColor(Colour New_BackColor) {
  cmdReadData_.BackColor(New_BackColor);
  PropertyChanged("BackColor");
}

Colour Travimo::FlashColor() const {
  return m_FlashColor;
}

void Travimo::FlashColor(Colour New_FlashColor) {
  m_FlashColor = New_FlashColor;
  PropertyChanged("FlashColor");
}

void Travimo::ButtonMouseDown(int16_t Button, int16_t Shift, float X, float Y) {
  RaiseEvent([&](TravimoEvents& events) { events.MouseDown(Button, Shift, X, Y); });
}

void Travimo::ButtonMouseMove(int16_t Button, int16_t Shift, float X, float Y) {
  RaiseEvent([&](TravimoEvents& events) { events.MouseMove(Button, Shift, X, Y); });
}

void Travimo::ButtonMouseUp(int16_t Button, int16_t Shift, float X, float Y) {
  RaiseEvent([&](TravimoEvents& events) { events.MouseUp(Button, Shift, X, Y); });
}

void Travimo::GotFocus() {
  site_.host.Yield();
}

// Leaving the control, like Escape, asks a running read to stop.
void Travimo::LostFocus() {
  m_CancelTransfer = true;
}

void Travimo::KeyPress(int16_t keyAscii) {
  if (keyAscii == kEscape) m_CancelTransfer = true;
}

}  // namespace travimo
