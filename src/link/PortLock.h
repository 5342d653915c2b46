// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace flowdesk {

// The UUCP lock files that other serial programs (minicom, picocom, most
// Modbus tools) take and honour: <lock folder>/LCK..<device name>, holding
// the owner's pid as ten right-aligned characters and a newline. TIOCEXCL
// does not stop root and flock is only seen by programs that use it too;
// the lock file is what the rest of the machine looks at.

// Where lock files go: the folder set here, else FLOWDESK_LOCK_DIR, else
// /var/lock. Tests set their own folder.
std::string lockDirectory();
// Empty returns to the default; hands back the previous setting.
std::string setLockDirectory(std::string folder);

// <lock folder>/LCK..<name>, the name being the device's file name once its
// links are followed (a by-id link locks the ttyUSB it points to); empty for
// a device that cannot be found.
std::string lockFilePath(const std::string& device);

// The pid a lock file names, or 0 when there is none to read.
int lockFilePid(const std::string& lockPath);
// The process exists (its /proc entry does).
bool processAlive(int pid);
// What /proc says the process runs ("minicom"), or "?".
std::string programName(int pid);

// Takes the device's lock for this process. 0 with `lockPath` set when it
// was taken, 0 with `lockPath` empty when the lock folder is missing or not
// ours to write (nothing to take there), or EBUSY with `holder` set when a
// live process holds it. A lock left by a process that is gone is removed
// and taken.
int takePortLock(const std::string& device, std::string& lockPath, int& holder);
// Removes a lock this process took (a lock another process holds by now is
// left alone, and so is one kept below).
void releasePortLock(const std::string& lockPath);

// An operation of several exchanges closes the device between them, as the
// unit wants, but must not let another program in between: the device's
// lock is kept from its first exchange to its last. While kept, closing the
// port leaves the lock file, and the next open of the device finds it ours.
// Takes the lock when the port's open did not (a driver without lock
// files); hands back the lock file now kept, or empty when there is none to
// keep (no lock folder, not a device, another program's lock).
std::string keepPortLock(const std::string& device);
// Ends one keep of `lockPath`; the last one removes the lock.
void endKeptPortLock(const std::string& lockPath);

struct DeviceHolder {
  int pid = 0;
  std::string program;
};

// Who keeps the device busy: the live process its lock file names, else the
// other processes that have it open (those /proc lets us look at), at most
// `limit` of them, lowest pid first.
std::vector<DeviceHolder> deviceHolders(const std::string& device, std::size_t limit = 3);

}  // namespace flowdesk
