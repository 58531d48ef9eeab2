#pragma once
// One read as `read` and `demo` run it: properties loaded, settings applied,
// the button pressed, progress shown, properties saved, results written.
#include <string>

#include "cli/console.h"
#include "cli/control_settings.h"
#include "cli/emit.h"
#include "cli/session.h"
#ifndef TRAVIMO_NO_ARCHIVE
#include "cli/archive_commands.h"
#endif

namespace travimo::cli {

struct ReadRequest {
  ControlSettings settings;
  std::string propsFile;  // empty: a control placed afresh, nothing saved
  bool showProgress = true;
#ifndef TRAVIMO_NO_ARCHIVE
  ArchiveOptions archive;
  std::string source = "read";  // how the archive names where the read came from
#endif
  std::string device;  // the device path, as the user gave it
  std::string rememberDevice;  // saved in the property file: the device as the user named it
};

// The exit status (see exit_status.h).
int RunRead(ControlSession& session, const ReadRequest& request, const OutputOptions& output,
            Console& console);

}  // namespace travimo::cli
