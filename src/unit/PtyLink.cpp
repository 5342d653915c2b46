// SPDX-License-Identifier: GPL-3.0-or-later
#include "unit/PtyLink.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace flowdesk::unit {

namespace {

struct SpeedPair {
  speed_t speed;
  int baud;
};
constexpr SpeedPair kSpeeds[] = {
    {B50, 50},       {B75, 75},        {B110, 110},   {B134, 134},     {B150, 150},
    {B200, 200},     {B300, 300},      {B600, 600},   {B1200, 1200},   {B1800, 1800},
    {B2400, 2400},   {B4800, 4800},    {B9600, 9600}, {B19200, 19200}, {B38400, 38400},
    {B57600, 57600}, {B115200, 115200}};

std::string errorText(const char* what) {
  return std::string(what) + ": " + std::strerror(errno);
}

}  // namespace

int baudFromSpeed(unsigned speed) {
  for (const auto& s : kSpeeds) {
    if (s.speed == speed) return s.baud;
  }
  return 0;
}

unsigned speedFromBaud(int baud) {
  for (const auto& s : kSpeeds) {
    if (s.baud == baud) return s.speed;
  }
  return B9600;
}

PtyLink::~PtyLink() {
  removeLink();
  if (slave_ >= 0) ::close(slave_);
  if (master_ >= 0) ::close(master_);
}

bool PtyLink::open(int baud, std::string& error) {
  master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (master_ < 0) {
    error = errorText("posix_openpt");
    return false;
  }
  if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) {
    error = errorText("grantpt/unlockpt");
    return false;
  }
  char name[256];
  if (::ptsname_r(master_, name, sizeof name) != 0) {
    error = errorText("ptsname");
    return false;
  }
  slavePath_ = name;
  slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave_ < 0) {
    error = errorText(name);
    return false;
  }
  termios tio{};
  if (::tcgetattr(slave_, &tio) != 0) {
    error = errorText("tcgetattr");
    return false;
  }
  ::cfmakeraw(&tio);
  tio.c_cflag |= CSTOPB | CREAD | CLOCAL;
  ::cfsetispeed(&tio, speedFromBaud(baud));
  ::cfsetospeed(&tio, speedFromBaud(baud));
  if (::tcsetattr(slave_, TCSANOW, &tio) != 0) {
    error = errorText("tcsetattr");
    return false;
  }
  return true;
}

int PtyLink::lineBaud() const {
  termios tio{};
  // On Linux the master's terminal settings are those of its slave.
  if (::tcgetattr(master_, &tio) != 0) return 0;
  return baudFromSpeed(::cfgetospeed(&tio));
}

bool PtyLink::makeLink(const std::string& path, std::string& error) {
  if (::symlink(slavePath_.c_str(), path.c_str()) != 0) {
    struct stat st {};
    if (errno != EEXIST || ::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
      error =
          errno == EEXIST ? path + ": exists and is not a symbolic link" : errorText(path.c_str());
      return false;
    }
    if (::unlink(path.c_str()) != 0 || ::symlink(slavePath_.c_str(), path.c_str()) != 0) {
      error = errorText(path.c_str());
      return false;
    }
  }
  linkPath_ = path;
  return true;
}

void PtyLink::removeLink() {
  if (linkPath_.empty()) return;
  char target[512];
  const ssize_t n = ::readlink(linkPath_.c_str(), target, sizeof target - 1);
  if (n > 0 && slavePath_ == std::string(target, static_cast<std::size_t>(n))) {
    ::unlink(linkPath_.c_str());
  }
  linkPath_.clear();
}

}  // namespace flowdesk::unit
