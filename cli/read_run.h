#pragma once
// One read as `read` and `demo` run it: properties loaded, settings applied,
// the button pressed, progress shown, properties saved, results written.
#include <string>

#include "cli/console.h"
#include "cli/control_settings.h"
#include "cli/emit.h"
#include "cli/session.h"

namespace travimo::cli {

struct ReadRequest {
  ControlSettings settings;
  std::string propsFile;  // empty: a control placed afresh, nothing saved
  bool showProgress = true;
};

// The exit status (see exit_status.h).
int RunRead(ControlSession& session, const ReadRequest& request, const OutputOptions& output,
            Console& console);

}  // namespace travimo::cli
