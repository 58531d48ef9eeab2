// The Ostrel parser on any bytes, under the settings a read may run with, as
// the control's forced decode hands them over. A RuntimeError is the parser's
// way to refuse a transfer; anything else escaping it is a finding.
#include <cstddef>
#include <cstdint>

#include "formats/ostrel_parser.h"
#include "fuzz_support.h"
#include "support/fake_parse_context.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace travimo;
  fuzzing::Input input = fuzzing::Split(data, size);
  testing::FakeParseContext context;
  context.state.travimoType = Ostrel;
  fuzzing::ApplyOptions(input.options, context.state);
  context.regional = fuzzing::RegionalFor(input.options);
  try {
    ParseOstrelData(input.text, context);
  } catch (const RuntimeError&) {
  }
  fuzzing::Consume(fuzzing::WalkState(context.state));
  return 0;
}
