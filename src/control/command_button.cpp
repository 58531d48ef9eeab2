#include <travimo/control/command_button.h>

#include <cstdint>

namespace travimo {

// A window handle only has to be stable and distinct while the button lives.
CommandButton::CommandButton()
    : hWnd_(static_cast<int32_t>((reinterpret_cast<uintptr_t>(this) >> 4) & 0x7FFFFFFF)) {}

void CommandButton::Caption(const std::string& value) {
  caption_ = value;
  Changed(ButtonChange::Caption);
}

void CommandButton::Enabled(bool value) {
  enabled_ = value;
  Changed(ButtonChange::Enabled);
}

void CommandButton::BackColor(Colour value) {
  backColor_ = value;
  Changed(ButtonChange::BackColor);
}

void CommandButton::Font(FontPtr value) {
  font_ = std::move(value);
  Changed(ButtonChange::Font);
}

void CommandButton::Picture(PicturePtr value) {
  picture_ = std::move(value);
  Changed(ButtonChange::Picture);
}

void CommandButton::DisabledPicture(PicturePtr value) {
  disabledPicture_ = std::move(value);
  Changed(ButtonChange::Picture);
}

void CommandButton::DownPicture(PicturePtr value) {
  downPicture_ = std::move(value);
  Changed(ButtonChange::Picture);
}

void CommandButton::Value(bool value) {
  if (!value) {
    value_ = false;
    return;
  }
  value_ = true;
  if (onClick_) onClick_();
  value_ = false;
}

void CommandButton::Move(const Rect& bounds) {
  bounds_ = bounds;
  Changed(ButtonChange::Geometry);
}

void CommandButton::Changed(ButtonChange what) {
  if (onChanged_) onChanged_(what);
}

}  // namespace travimo
