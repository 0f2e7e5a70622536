// The serial layer's settings as the machine settings choose them: port,
// speed, parity, flow control, data and stop bits, output timeout, receive buffer, and the
// device of each port from the machine file.
#pragma once

#include <string>

#include "comm/comm_port_driver.h"

namespace tolva {

class MachineSettings;

// A group with no button on leaves its property as it was. The output
// timeout is the "Output Timeout" setting in seconds (0: none). The receive
// buffer is the "Com Buffer" setting in K when above 1. The devices come
// from section "Com Port", keys "Device1".."Device4", of the machine file in
// use; a port without one keeps /dev/ttyS0../dev/ttyS3.
void ConfigurePort(TCommPortDriver& driver, const MachineSettings& settings);

// The port number 1..4 of the driver's port.
inline int PortNumber(const TCommPortDriver& driver) { return static_cast<int>(driver.ComPort()) + 1; }

// The status text of a failed connect, followed by the system's reason.
std::string ConnectFailureText(const TCommPortDriver& driver);

inline constexpr const char* kConnectFailed =
    "Error: could not connect. Check COM port settings in \"Setup\" and try again.";
inline constexpr const char* kTimeoutCaption = "TimeOut Err Close Comm and try Again";

}  // namespace tolva
