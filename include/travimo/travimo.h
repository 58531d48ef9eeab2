#pragma once
// Everything a host of the Travimo control uses, in one include: the control
// and its site, the records and series, errors and enumerations, the platform
// interfaces a host implements, and the ready POSIX host.
//
//   #include <travimo/travimo.h>
//   const travimo::ReadResults results = travimo::Read({.device = "/dev/ttyUSB0"});

#include <travimo/control/command_button.h>
#include <travimo/control/read_progress.h>
#include <travimo/control/read_results.h>
#include <travimo/control/travimo.h>
#include <travimo/control/type_info.h>
#include <travimo/model/brevane_record.h>
#include <travimo/model/colour.h>
#include <travimo/model/date.h>
#include <travimo/model/enums.h>
#include <travimo/model/error.h>
#include <travimo/model/field_table.h>
#include <travimo/model/keyed_collection.h>
#include <travimo/model/lorvex_record.h>
#include <travimo/model/ostrel_record.h>
#include <travimo/model/scan_data.h>
#include <travimo/model/scan_data_collection.h>
#include <travimo/model/scan_state.h>
#include <travimo/model/single_array.h>
#include <travimo/model/transfer_kind.h>
#include <travimo/model/type_letters.h>
#include <travimo/platform/container.h>
#include <travimo/platform/display_objects.h>
#include <travimo/platform/event_callbacks.h>
#include <travimo/platform/event_loop.h>
#include <travimo/platform/file_system.h>
#include <travimo/platform/host_services.h>
#include <travimo/platform/line_settings.h>
#include <travimo/platform/ms_comm.h>
#include <travimo/platform/property_value.h>
#include <travimo/platform/regional_settings.h>
#include <travimo/platform/serial_backend.h>
#include <travimo/platform/serial_trace.h>
#include <travimo/platform/simple_container.h>
#include <travimo/platform/version.h>

#if !defined(_WIN32)
#include <travimo/platform/posix/json_property_bag.h>
#include <travimo/platform/posix/posix_file_system.h>
#include <travimo/platform/posix/posix_host.h>
#include <travimo/platform/posix/read.h>
#include <travimo/platform/posix/site.h>
#endif
