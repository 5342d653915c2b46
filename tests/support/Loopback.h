// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A listening socket on the loopback, on a port the system picks: the
// device servers the tests play stand on one.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>

namespace flowdesk::testing {

// The listening descriptor; `port` is set to the port it got.
inline int listenOnLoopback(int& port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof a;
  ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
  ::listen(fd, 4);
  port = ntohs(a.sin_port);
  return fd;
}

}  // namespace flowdesk::testing
