// A property file with any content: loading either fails with a RuntimeError
// naming the file, or gives a bag from which a control reads every key. What
// that control then saves must load and read again, so a file the control
// wrote can never lock the user out of their settings.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <travimo/control/travimo.h>
#include <travimo/model/error.h>
#include <travimo/platform/posix/json_property_bag.h>
#include "support/memory_file_system.h"
#include "support/recording_container.h"
#include "support/scripted_serial.h"
#include "support/virtual_host.h"

namespace {

using namespace travimo;

struct Rig {
  testing::RecordingContainer container;
  testing::VirtualHost host;
  testing::ScriptedSerial serial{host};
  testing::MemoryFileSystem files;
  Travimo control{ControlSite{container, host, files, serial}};
};

std::optional<JsonPropertyBag> Load(std::string_view text) {
  try {
    return JsonPropertyBag::FromText(text, "fuzz.json");
  } catch (const RuntimeError&) {
    return std::nullopt;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  std::optional<JsonPropertyBag> bag = Load(text);
  if (!bag) return 0;
  Rig first;
  first.control.InitProperties();
  try {
    first.control.ReadProperties(*bag);
  } catch (const RuntimeError&) {
    return 0;
  }
  JsonPropertyBag saved;
  first.control.WriteProperties(saved);
  const std::string written = saved.ToText();

  std::optional<JsonPropertyBag> again = Load(written);
  if (!again) __builtin_trap();
  Rig second;
  second.control.InitProperties();
  try {
    second.control.ReadProperties(*again);
  } catch (const RuntimeError&) {
    __builtin_trap();
  }
  // Saving what was read back changes nothing.
  JsonPropertyBag resaved;
  second.control.WriteProperties(resaved);
  if (resaved.ToText() != written) __builtin_trap();
  return 0;
}
