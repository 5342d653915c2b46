#include "link/qt/PortMessages.h"

#include <cerrno>

#include "base/BilingualText.h"
#include "link/SerialDevices.h"
#include "link/SerialPort.h"

namespace flowdesk {

namespace {

// These sentences have no place in the unit's own texts: they speak of the
// Linux device behind a port.
constexpr BilingualText kTxtPermission{
    "Accès refusé à %1 : ce périphérique appartient au groupe « %2 ».\n"
    "Pour y accéder, ajoutez votre compte à ce groupe :\n    %3\n"
    "puis fermez la session et reconnectez-vous.",
    "Access to %1 was refused: the device belongs to the group \"%2\".\n"
    "To get access, add your account to that group:\n    %3\n"
    "then log out and log in again."};
constexpr BilingualText kTxtBusy{"%1 est déjà utilisé par un autre programme.",
                                 "%1 is in use by another program."};
constexpr BilingualText kTxtMissing{"%1 n'existe pas (adaptateur débranché ?).",
                                    "%1 does not exist (adapter unplugged?)."};

QString tr(const BilingualText& text, int language) {
  return QString::fromUtf8(text.text(language));
}

QString permissionText(const std::string& device, int language) {
  const DeviceAccess access = checkDeviceAccess(device);
  const std::string group = access.group.empty() ? "dialout" : access.group;
  return tr(kTxtPermission, language)
      .arg(QString::fromStdString(device), QString::fromStdString(group),
           QString::fromStdString(groupAccessCommand(group)));
}

}  // namespace

QString portFailureText(int portStatus, const std::string& device, int systemError, int language) {
  if (device.empty()) return QString();
  if (systemError == EACCES || systemError == EPERM) return permissionText(device, language);
  if (systemError == EBUSY || (portStatus == kPortInUse && systemError == 0)) {
    return tr(kTxtBusy, language).arg(QString::fromStdString(device));
  }
  if (systemError == ENOENT || systemError == ENODEV || systemError == ENXIO) {
    return tr(kTxtMissing, language).arg(QString::fromStdString(device));
  }
  return QString();
}

QString deviceAccessText(const std::string& device, int language) {
  if (device.empty()) return QString();
  const DeviceAccess access = checkDeviceAccess(device);
  if (!access.exists) return tr(kTxtMissing, language).arg(QString::fromStdString(device));
  if (!access.readWrite) return permissionText(device, language);
  return QString();
}

}  // namespace flowdesk
