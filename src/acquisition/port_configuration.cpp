#include "acquisition/port_configuration.h"

#include <travimo/model/enums.h>

namespace travimo {

void ConfigurePort(MSComm& comm, int32_t travimoType) {
  const bool lorvex = travimoType == Lorvex;
  comm.DTREnable(lorvex);
  comm.EOFEnable(lorvex);
  comm.Handshaking(lorvex ? 0 : 3);
  comm.InBufferSize(9096);
  comm.InputLen(0);
  comm.InputMode(0);
  comm.NullDiscard(false);
  comm.OutBufferSize(512);
  comm.ParityReplace("?");
  comm.RThreshold(100);
  comm.RTSEnable(false);
  comm.SThreshold(0);
}

}  // namespace travimo
