// Line speeds that termios has no constant for (14400, 56000 bit/s) are set
// through the kernel's arbitrary-rate interface. Kept apart because its
// header cannot share a translation unit with <termios.h>.
#pragma once

namespace tolva {

// Sets both directions of the open device `fd` to `rate` bit/s. False when
// the device refuses (the caller keeps the rate termios set).
bool SetArbitrarySpeed(int fd, int rate);

}  // namespace tolva
