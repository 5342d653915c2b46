#pragma once
#include <QString>
#include <string>

namespace flowdesk {

// Why a serial device could not be used, in words the operator can act on:
// for a refused open, which device, which group owns it and the command that
// gives access (followed by a new login); for a busy device, that another
// program holds it; for a missing one, that it is not there. Empty when the
// open did not fail for one of these reasons.
QString portFailureText(int portStatus, const std::string& device, int systemError, int language);

// The same judged from the device itself before any open: a device this
// user may not open, or one that does not exist. Empty when it looks usable
// (or for an empty path).
QString deviceAccessText(const std::string& device, int language);

}  // namespace flowdesk
