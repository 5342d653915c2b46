// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test helpers for the serial link: a pseudo-terminal pair whose slave stands
// in for a serial device, a scripted Jbus slave on its master side, and a
// resolver that maps port indexes to paths for the duration of a test.

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "base/Bytes.h"
#include "link/SerialPort.h"
#include "support/Frames.h"

namespace flowdesk::testing {

using flowdesk::Bytes;

class PtyPair {
 public:
  PtyPair() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    const char* name = ::ptsname(master_);
    if (name == nullptr) return;
    path_ = name;
    // Our own descriptor on the slave keeps the master from seeing a hangup
    // whenever the port under test closes (as the virtual unit does).
    slave_ = ::open(path_.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    if (slave_ >= 0 && ::tcgetattr(slave_, &t) == 0) {
      ::cfmakeraw(&t);
      ::tcsetattr(slave_, TCSANOW, &t);
    }
  }
  ~PtyPair() {
    closeMaster();
    if (slave_ >= 0) ::close(slave_);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return master_ >= 0 && slave_ >= 0; }
  const std::string& path() const { return path_; }
  int master() const { return master_; }
  int slave() const { return slave_; }
  void closeMaster() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
  }

  void send(const Bytes& bytes) const {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t r = ::write(master_, bytes.data() + done, bytes.size() - done);
      if (r <= 0) return;
      done += static_cast<std::size_t>(r);
    }
  }

  // What the port wrote, collected until `n` bytes came or a second passed.
  Bytes receive(std::size_t n) const {
    Bytes got;
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(1);
    while (got.size() < n && std::chrono::steady_clock::now() < end) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, 20) <= 0) continue;
      std::uint8_t buf[4096];
      const ssize_t r = ::read(master_, buf, sizeof buf);
      if (r <= 0) break;
      got.insert(got.end(), buf, buf + r);
    }
    return got;
  }

 private:
  int master_ = -1;
  int slave_ = -1;
  std::string path_;
};

// Port index to path for one test.
class ResolverScope {
 public:
  explicit ResolverScope(std::map<int, std::string> paths)
      : previous_(setPortResolver([paths = std::move(paths)](int index) {
          const auto it = paths.find(index);
          return it == paths.end() ? std::string() : it->second;
        })) {}
  ~ResolverScope() { setPortResolver(std::move(previous_)); }
  ResolverScope(const ResolverScope&) = delete;
  ResolverScope& operator=(const ResolverScope&) = delete;

 private:
  PortResolver previous_;
};

// A Jbus slave on the master side of a pty: answers the n-th complete request
// with the n-th scripted reply (an empty reply, or running out of script,
// means silence) and keeps every request it saw.
class ScriptedPeer {
 public:
  ScriptedPeer(int fd, std::vector<Bytes> replies)
      : fd_(fd), replies_(std::move(replies)), thread_([this] { run(); }) {}
  ~ScriptedPeer() {
    stop_ = true;
    thread_.join();
  }
  ScriptedPeer(const ScriptedPeer&) = delete;
  ScriptedPeer& operator=(const ScriptedPeer&) = delete;

  std::vector<Bytes> requests() const {
    std::lock_guard lock(mutex_);
    return requests_;
  }

 private:
  static std::size_t requestLength(const Bytes& b) {
    if (b.size() < 2) return 0;
    if (b[1] == 16) return b.size() < 7 ? 0 : 9u + b[6];
    return 8;
  }

  void run() {
    Bytes pending;
    while (!stop_) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 10) <= 0 || (p.revents & POLLIN) == 0) continue;
      std::uint8_t buf[1024];
      const ssize_t r = ::read(fd_, buf, sizeof buf);
      if (r <= 0) continue;
      pending.insert(pending.end(), buf, buf + r);
      for (std::size_t n = requestLength(pending); n != 0 && pending.size() >= n;
           n = requestLength(pending)) {
        Bytes request(pending.begin(), pending.begin() + static_cast<long>(n));
        pending.erase(pending.begin(), pending.begin() + static_cast<long>(n));
        std::size_t index;
        {
          std::lock_guard lock(mutex_);
          index = requests_.size();
          requests_.push_back(request);
        }
        if (index < replies_.size() && !replies_[index].empty()) {
          const Bytes& reply = replies_[index];
          std::size_t done = 0;
          while (done < reply.size()) {
            const ssize_t w = ::write(fd_, reply.data() + done, reply.size() - done);
            if (w <= 0) break;
            done += static_cast<std::size_t>(w);
          }
        }
      }
    }
  }

  int fd_;
  std::vector<Bytes> replies_;
  mutable std::mutex mutex_;
  std::vector<Bytes> requests_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

}  // namespace flowdesk::testing
