// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <termios.h>

#include <string>

#include "link/SerialPort.h"

namespace flowdesk {

// Platform driver over termios. Fills `port` (already allocated and linked by
// openPort) for the device at `path`: takes its UUCP lock file (PortLock.h;
// a live lock of another program refuses with -3 and EBUSY), opens it
// non-blocking and exclusive, sets raw mode and then the requested line. On
// failure the port keeps its base operations and the mapped error in
// `status`; `systemError` keeps errno. Closing removes the lock file.
void openPosixDevice(SerialPort& port, const std::string& path, long baud, char parity,
                     int dataBits, int stopBits);

// errno of a failed open or device call to a port status. Line settings map
// EINVAL themselves, where the refused setting is known.
int mapErrno(int err);

// Puts a checked line format into `t`: speed, character size, parity (mark
// and space through CMSPAR) and stop bits. False when the baud rate or the
// data-bit count is not one termios has.
bool setTermiosLine(termios& t, const LineFormat& format);

// The baud rates the driver knows (300 to 115200); others are refused (-25).
bool isSupportedBaud(long baud);

}  // namespace flowdesk
