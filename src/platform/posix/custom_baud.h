#pragma once
// Rates without a Bxxx constant need the kernel's termios2 interface, whose
// headers cannot share a translation unit with <termios.h>.
#include <cstdint>

namespace travimo::posix {

// Sets both speeds of an open tty to any rate; false when the driver refuses.
bool SetCustomBaud(int fd, int32_t baud);

}  // namespace travimo::posix
