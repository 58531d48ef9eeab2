// The Lorvex parser on any bytes, under the settings a read may run with, as
// the control's forced decode hands them over. A RuntimeError is the parser's
// way to refuse a transfer; anything else escaping it is a finding.
#include <cstddef>
#include <cstdint>
#include <string>

#include "formats/lorvex_parser.h"
#include "fuzz_support.h"
#include "support/fake_parse_context.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace travimo;
  fuzzing::Input input = fuzzing::Split(data, size);
  testing::FakeParseContext context;
  context.state.travimoType = Lorvex;
  fuzzing::ApplyOptions(input.options, context.state);
  context.regional = fuzzing::RegionalFor(input.options);
  const std::string original = input.text;
  try {
    ParseLorvexData(input.text, context);
  } catch (const RuntimeError&) {
  }
  // What the parser keeps is always the unread end of the transfer.
  if (input.text.size() > original.size() ||
      original.compare(original.size() - input.text.size(), input.text.size(), input.text) != 0) {
    __builtin_trap();
  }
  fuzzing::Consume(fuzzing::WalkState(context.state));
  return 0;
}
