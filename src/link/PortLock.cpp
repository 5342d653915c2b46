// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/PortLock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <system_error>
#include <utility>

namespace flowdesk {

namespace {

namespace fs = std::filesystem;

constexpr const char* kDefaultLockDirectory = "/var/lock";

std::mutex gLockMutex;
std::string gLockDirectory;
// The lock files kept across opens, with how many holds keep each.
std::map<std::string, int> gKeptLocks;

bool kept(const std::string& lockPath) {
  std::lock_guard lock(gLockMutex);
  return gKeptLocks.count(lockPath) != 0;
}

int ownPid() {
  return static_cast<int>(::getpid());
}

std::string resolvedPath(const std::string& device) {
  if (device.empty()) return {};
  std::error_code ec;
  const fs::path canonical = fs::canonical(device, ec);
  return ec ? std::string() : canonical.string();
}

}  // namespace

std::string lockDirectory() {
  {
    std::lock_guard lock(gLockMutex);
    if (!gLockDirectory.empty()) return gLockDirectory;
  }
  const char* env = std::getenv("FLOWDESK_LOCK_DIR");
  return env != nullptr && *env != '\0' ? std::string(env) : std::string(kDefaultLockDirectory);
}

std::string setLockDirectory(std::string folder) {
  std::lock_guard lock(gLockMutex);
  return std::exchange(gLockDirectory, std::move(folder));
}

std::string lockFilePath(const std::string& device) {
  const std::string target = resolvedPath(device);
  if (target.empty()) return {};
  const std::string name = fs::path(target).filename().string();
  if (name.empty()) return {};
  return (fs::path(lockDirectory()) / ("LCK.." + name)).string();
}

int lockFilePid(const std::string& lockPath) {
  std::ifstream in(lockPath);
  long pid = 0;
  // Ten characters, right-aligned: the stream skips the leading blanks.
  if (!(in >> pid) || pid <= 0 || pid > 0x7FFFFFFF) return 0;
  return static_cast<int>(pid);
}

bool processAlive(int pid) {
  if (pid <= 0) return false;
  std::error_code ec;
  return fs::exists("/proc/" + std::to_string(pid), ec);
}

std::string programName(int pid) {
  std::ifstream in("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  if (!std::getline(in, name) || name.empty()) return "?";
  return name;
}

int takePortLock(const std::string& device, std::string& lockPath, int& holder) {
  lockPath.clear();
  holder = 0;
  const std::string path = lockFilePath(device);
  if (path.empty()) return 0;
  // Only a device is anybody else's business; a plain file given by
  // mistake fails its open anyway.
  struct stat info {};
  if (::stat(device.c_str(), &info) != 0 || !S_ISCHR(info.st_mode)) return 0;
  // A machine without the folder, or one where only a group we are not in
  // may write there, has no lock files we could take: go on without.
  const std::string folder = fs::path(path).parent_path().string();
  if (::access(folder.c_str(), W_OK | X_OK) != 0) return 0;

  // Twice at most: once more after removing a stale lock, in case another
  // program took it in between.
  for (int attempt = 0; attempt < 2; ++attempt) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      char content[16];
      const int n = std::snprintf(content, sizeof content, "%10d\n", static_cast<int>(::getpid()));
      const bool written = ::write(fd, content, static_cast<std::size_t>(n)) == n;
      ::close(fd);
      if (!written) {
        ::unlink(path.c_str());
        return 0;
      }
      lockPath = path;
      return 0;
    }
    if (errno != EEXIST) return 0;
    const int pid = lockFilePid(path);
    if (pid == ownPid() && kept(path)) {
      lockPath = path;  // an operation of ours keeps it between its exchanges
      return 0;
    }
    if (processAlive(pid)) {
      holder = pid;
      return EBUSY;
    }
    ::unlink(path.c_str());  // its owner is gone
  }
  return 0;
}

void releasePortLock(const std::string& lockPath) {
  if (lockPath.empty() || kept(lockPath)) return;
  if (lockFilePid(lockPath) == ownPid()) ::unlink(lockPath.c_str());
}

std::string keepPortLock(const std::string& device) {
  std::string path = lockFilePath(device);
  if (path.empty()) return {};
  if (lockFilePid(path) != ownPid()) {
    int holder = 0;
    if (takePortLock(device, path, holder) != 0 || path.empty()) return {};
  }
  std::lock_guard lock(gLockMutex);
  ++gKeptLocks[path];
  return path;
}

void endKeptPortLock(const std::string& lockPath) {
  {
    std::lock_guard lock(gLockMutex);
    const auto it = gKeptLocks.find(lockPath);
    if (it == gKeptLocks.end()) return;
    if (--it->second > 0) return;
    gKeptLocks.erase(it);
  }
  releasePortLock(lockPath);
}

std::vector<DeviceHolder> deviceHolders(const std::string& device, std::size_t limit) {
  std::vector<DeviceHolder> holders;
  const int locker = lockFilePid(lockFilePath(device));
  if (processAlive(locker)) {
    holders.push_back({locker, programName(locker)});
    return holders;
  }
  const std::string target = resolvedPath(device);
  if (target.empty() || limit == 0) return holders;
  std::vector<int> pids;
  std::error_code ec;
  for (fs::directory_iterator it("/proc", ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.empty() ||
        !std::all_of(name.begin(), name.end(), [](char c) { return c >= '0' && c <= '9'; })) {
      continue;
    }
    const int pid = std::atoi(name.c_str());
    // Ourselves: a port of our own is not "another program".
    if (pid != static_cast<int>(::getpid())) pids.push_back(pid);
  }
  std::sort(pids.begin(), pids.end());
  for (const int pid : pids) {
    std::error_code fdError;
    // Other users' descriptors stay closed to us unless we are root.
    for (fs::directory_iterator fd("/proc/" + std::to_string(pid) + "/fd", fdError), end;
         !fdError && fd != end; fd.increment(fdError)) {
      std::error_code linkError;
      const fs::path to = fs::read_symlink(fd->path(), linkError);
      if (!linkError && to.string() == target) {
        holders.push_back({pid, programName(pid)});
        break;
      }
    }
    if (holders.size() >= limit) break;
  }
  return holders;
}

}  // namespace flowdesk
