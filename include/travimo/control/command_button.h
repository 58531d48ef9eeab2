#pragma once
// The control's constituent button and frame. They hold the properties a
// command button has; a host renders them and observes their changes.
#include <cstdint>
#include <functional>
#include <string>

#include <travimo/model/colour.h>
#include <travimo/platform/display_objects.h>

namespace travimo {

struct Rect {
  int32_t left = 0;
  int32_t top = 0;
  int32_t width = 0;
  int32_t height = 0;
  bool operator==(const Rect&) const = default;
};

enum class ButtonChange { Caption, BackColor, Enabled, Font, Picture, Geometry };

class Frame {
 public:
  bool Enabled() const { return enabled_; }
  void Enabled(bool value) { enabled_ = value; }
  const Rect& Bounds() const { return bounds_; }
  void Move(const Rect& bounds) { bounds_ = bounds; }

 private:
  bool enabled_ = true;
  Rect bounds_;
};

class CommandButton {
 public:
  CommandButton();

  const std::string& Caption() const { return caption_; }
  void Caption(const std::string& value);
  bool Enabled() const { return enabled_; }
  void Enabled(bool value);
  Colour BackColor() const { return backColor_; }
  void BackColor(Colour value);
  FontPtr Font() const { return font_; }
  void Font(FontPtr value);
  PicturePtr MouseIcon() const { return mouseIcon_; }
  void MouseIcon(PicturePtr value) { mouseIcon_ = std::move(value); }
  int16_t MousePointer() const { return mousePointer_; }
  void MousePointer(int16_t value) { mousePointer_ = value; }
  PicturePtr Picture() const { return picture_; }
  void Picture(PicturePtr value);
  PicturePtr DisabledPicture() const { return disabledPicture_; }
  void DisabledPicture(PicturePtr value);
  PicturePtr DownPicture() const { return downPicture_; }
  void DownPicture(PicturePtr value);
  int16_t Style() const { return style_; }  // 1: graphical, the style that shows BackColor
  bool Value() const { return value_; }
  // True presses the button: the click handler runs, then Value is false again.
  void Value(bool value);
  int32_t hWnd() const { return hWnd_; }

  const Rect& Bounds() const { return bounds_; }
  void Move(const Rect& bounds);

  void OnClick(std::function<void()> handler) { onClick_ = std::move(handler); }
  void OnChanged(std::function<void(ButtonChange)> observer) { onChanged_ = std::move(observer); }

 private:
  void Changed(ButtonChange what);

  std::string caption_ = "Travimo";
  bool enabled_ = true;
  Colour backColor_ = kButtonFace;
  FontPtr font_;
  PicturePtr mouseIcon_;
  int16_t mousePointer_ = 0;
  PicturePtr picture_;
  PicturePtr disabledPicture_;
  PicturePtr downPicture_;
  int16_t style_ = 1;
  bool value_ = false;
  int32_t hWnd_;
  Rect bounds_;
  std::function<void()> onClick_;
  std::function<void(ButtonChange)> onChanged_;
};

}  // namespace travimo
