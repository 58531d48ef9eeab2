#pragma once
// A container that records: property changes by name and every event with its
// arguments.
#include <string>
#include <vector>

#include <travimo/platform/container.h>

namespace travimo::testing {

struct RecordedEvent {
  std::string name;    // "MouseDown", "MouseMove", "MouseUp", "Click", "TravimoError"
  int32_t number = 0;  // ReadError of TravimoError
  int16_t button = 0;
  int16_t shift = 0;
  float x = 0;
  float y = 0;
};

class RecordingContainer : public Container, public TravimoEvents {
 public:
  bool UserMode() const override { return userMode; }
  FontPtr AmbientFont() const override { return ambientFont; }
  void PropertyChanged(std::string_view name) override { changes.emplace_back(name); }
  TravimoEvents& Events() override { return *this; }

  void MouseDown(int16_t& Button, int16_t& Shift, float& X, float& Y) override {
    events.push_back({"MouseDown", 0, Button, Shift, X, Y});
  }
  void MouseMove(int16_t& Button, int16_t& Shift, float& X, float& Y) override {
    events.push_back({"MouseMove", 0, Button, Shift, X, Y});
  }
  void MouseUp(int16_t& Button, int16_t& Shift, float& X, float& Y) override {
    events.push_back({"MouseUp", 0, Button, Shift, X, Y});
  }
  void Click() override { events.push_back({.name = "Click"}); }
  void TravimoError(int32_t& ReadError) override {
    events.push_back({.name = "TravimoError", .number = ReadError});
  }

  // The numbers of every TravimoError so far.
  std::vector<int32_t> ErrorNumbers() const;

  bool userMode = true;
  FontPtr ambientFont = std::make_shared<StdFont>();
  std::vector<std::string> changes;
  std::vector<RecordedEvent> events;
};

}  // namespace travimo::testing
