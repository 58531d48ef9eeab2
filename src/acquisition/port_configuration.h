#pragma once
// The serial component's fixed properties for an instrument type.
#include <cstdint>

#include <travimo/platform/ms_comm.h>

namespace travimo {

// Type 1 raises DTR, reports EOF and uses no handshaking; every other type
// uses RTS/CTS with XON/XOFF. Errors of the component go to the caller.
void ConfigurePort(MSComm& comm, int32_t travimoType);

}  // namespace travimo
