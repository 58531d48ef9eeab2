#pragma once
// The tool's container: a running form (user mode), a default ambient font,
// and an event sink that keeps the TravimoError numbers for the tool to report.
#include <cstdint>
#include <vector>

#include <travimo/platform/container.h>

namespace travimo::cli {

class CliContainer : public Container, private TravimoEvents {
 public:
  bool UserMode() const override { return true; }
  FontPtr AmbientFont() const override { return font_; }
  void PropertyChanged(std::string_view /*name*/) override {}
  TravimoEvents& Events() override { return *this; }

  const std::vector<int32_t>& Errors() const { return errors_; }
  void ClearErrors() { errors_.clear(); }

 private:
  void TravimoError(int32_t& ReadError) override { errors_.push_back(ReadError); }

  FontPtr font_ = std::make_shared<StdFont>();
  std::vector<int32_t> errors_;
};

}  // namespace travimo::cli
