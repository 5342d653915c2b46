// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

namespace flowdesk::unit {

// A pseudo-terminal pair. The unit talks on the master side; masters open the
// slave by its path. The unit keeps a descriptor of its own on the slave for
// its whole life (it never reads it): without it the master would see a hang-up
// whenever the last master closes the port, and poll() would spin.
class PtyLink {
 public:
  PtyLink() = default;
  PtyLink(const PtyLink&) = delete;
  PtyLink& operator=(const PtyLink&) = delete;
  ~PtyLink();

  // Opens the pair with the slave raw, 8 data bits, 2 stop bits, at `baud`.
  bool open(int baud, std::string& error);

  int masterFd() const { return master_; }
  const std::string& slavePath() const { return slavePath_; }

  // The rate the other side last set on the line (termios of the slave, as
  // the master sees it), or 0 when it cannot be read.
  int lineBaud() const;

  // A symbolic link to the slave. An old link in the way is replaced; any
  // other file is left alone and reported.
  bool makeLink(const std::string& path, std::string& error);
  // Removes the link if it still points to this terminal.
  void removeLink();

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string slavePath_;
  std::string linkPath_;
};

int baudFromSpeed(unsigned speed);
unsigned speedFromBaud(int baud);

}  // namespace flowdesk::unit
