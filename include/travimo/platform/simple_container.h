#pragma once
// A container for hosts without a form (benchmarks, small programs): the
// control runs at run time with a default ambient font, property changes are
// not kept, and the last TravimoError is remembered for the caller.
#include <cstdint>
#include <memory>
#include <string_view>

#include <travimo/platform/container.h>

namespace travimo {

class SimpleContainer : public Container, public TravimoEvents {
 public:
  bool UserMode() const override { return true; }
  FontPtr AmbientFont() const override { return font_; }
  void PropertyChanged(std::string_view) override {}
  TravimoEvents& Events() override { return *this; }
  void TravimoError(int32_t& ReadError) override {
    lastError = ReadError;
    ++errors;
  }

  int32_t lastError = 0;  // 0 until an error arrives; reset it before a read
  long errors = 0;

 private:
  FontPtr font_ = std::make_shared<StdFont>();
};

}  // namespace travimo
