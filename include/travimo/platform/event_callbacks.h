#pragma once
// The control's events as one std::function per event, for hosts that would
// rather set a lambda than subclass TravimoEvents. An empty callback ignores
// its event; the arguments arrive by value.
#include <cstdint>
#include <functional>

#include <travimo/platform/container.h>

namespace travimo {

class EventCallbacks : public TravimoEvents {
 public:
  using Mouse = std::function<void(int16_t button, int16_t shift, float x, float y)>;

  Mouse onMouseDown;
  Mouse onMouseMove;
  Mouse onMouseUp;
  std::function<void()> onClick;
  std::function<void(int32_t readError)> onError;

  void MouseDown(int16_t& Button, int16_t& Shift, float& X, float& Y) override {
    if (onMouseDown) onMouseDown(Button, Shift, X, Y);
  }
  void MouseMove(int16_t& Button, int16_t& Shift, float& X, float& Y) override {
    if (onMouseMove) onMouseMove(Button, Shift, X, Y);
  }
  void MouseUp(int16_t& Button, int16_t& Shift, float& X, float& Y) override {
    if (onMouseUp) onMouseUp(Button, Shift, X, Y);
  }
  void Click() override {
    if (onClick) onClick();
  }
  void TravimoError(int32_t& ReadError) override {
    if (onError) onError(ReadError);
  }
};

}  // namespace travimo
