// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/SerialDevices.h"

#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <set>
#include <system_error>
#include <tuple>

namespace flowdesk {

namespace {

namespace fs = std::filesystem;

struct Candidate {
  std::string name;
  std::string path;
};

// Names with a numeric suffix sort by number (ttyS2 before ttyS10); anything
// else a udev rule may have made goes after them, by name.
bool numericOrder(const Candidate& a, const Candidate& b, std::size_t prefixLength) {
  const auto key = [prefixLength](const std::string& name) {
    const std::string tail = name.substr(prefixLength);
    const bool numeric =
        !tail.empty() && tail.size() <= 9 &&
        std::all_of(tail.begin(), tail.end(), [](char c) { return c >= '0' && c <= '9'; });
    return std::make_tuple(!numeric, numeric ? std::stol(tail) : 0L, name);
  };
  return key(a.name) < key(b.name);
}

std::string resolved(const fs::path& p) {
  std::error_code ec;
  const fs::path canonical = fs::canonical(p, ec);
  return ec ? std::string() : canonical.string();
}

std::vector<Candidate> entriesWithPrefix(const fs::path& folder, const std::string& prefix) {
  std::vector<Candidate> out;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) continue;
    std::error_code typeError;
    if (fs::is_directory(it->path(), typeError)) continue;
    out.push_back({name, it->path().string()});
  }
  std::sort(out.begin(), out.end(), [&prefix](const Candidate& a, const Candidate& b) {
    return numericOrder(a, b, prefix.size());
  });
  return out;
}

}  // namespace

std::vector<std::string> findSerialDevices(const std::string& devRoot) {
  const fs::path root(devRoot);
  std::vector<std::string> found;
  std::set<std::string> named;  // resolved targets of the by-id links

  std::vector<Candidate> byId;
  std::error_code ec;
  for (fs::directory_iterator it(root / "serial" / "by-id", ec), end; !ec && it != end;
       it.increment(ec)) {
    const std::string target = resolved(it->path());
    if (target.empty()) continue;  // dangling
    named.insert(target);
    byId.push_back({it->path().filename().string(), it->path().string()});
  }
  std::sort(byId.begin(), byId.end(),
            [](const Candidate& a, const Candidate& b) { return a.name < b.name; });
  for (const auto& c : byId) found.push_back(c.path);

  for (const char* prefix : {"ttyUSB", "ttyACM", "ttyS"}) {
    for (const auto& c : entriesWithPrefix(root, prefix)) {
      const std::string target = resolved(c.path);
      if (target.empty() || named.count(target) != 0) continue;
      found.push_back(c.path);
    }
  }
  return found;
}

std::string devicePathForPort(int portIndex, const std::array<std::string, 4>& operatorDevices,
                              const std::vector<std::string>& found) {
  if (portIndex < 0 || portIndex >= static_cast<int>(operatorDevices.size())) return {};
  const auto index = static_cast<std::size_t>(portIndex);
  if (!operatorDevices[index].empty()) return operatorDevices[index];
  if (index < found.size()) return found[index];
  return {};
}

namespace {

// Unix 98 pseudo-terminal slaves: the kernel gives them these majors, and
// sysfs does not list them in the tty class.
constexpr unsigned kFirstPtyMajor = 136;
constexpr unsigned kLastPtyMajor = 143;

template <typename Entry, typename Lookup>
std::string nameOf(unsigned id, Lookup lookup, char* Entry::*field) {
  std::vector<char> buffer(4096);
  for (;;) {
    Entry entry{};
    Entry* result = nullptr;
    const int rc = lookup(id, &entry, buffer.data(), buffer.size(), &result);
    if (rc == ERANGE && buffer.size() < (1u << 20)) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (rc == 0 && result != nullptr && result->*field != nullptr) return result->*field;
    return std::to_string(id);
  }
}

bool isTerminalDevice(const struct stat& info, const std::string& name,
                      const std::string& sysRoot) {
  const unsigned major = ::major(info.st_rdev);
  if (major >= kFirstPtyMajor && major <= kLastPtyMajor) return true;
  const fs::path ttyClass = fs::path(sysRoot) / "class" / "tty";
  std::error_code ec;
  if (!fs::is_directory(ttyClass, ec)) return true;
  return fs::exists(ttyClass / fs::path(name).filename(), ec);
}

}  // namespace

DeviceAccess checkDeviceAccess(const std::string& path, const std::string& sysRoot) {
  DeviceAccess access;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return access;
  access.exists = true;
  access.gid = info.st_gid;
  access.mode = static_cast<unsigned>(info.st_mode & 07777);
  access.readWrite = ::access(path.c_str(), R_OK | W_OK) == 0;
  access.groupReadWrite =
      (info.st_mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP) && info.st_gid != 0;
  access.group = nameOf<group>(info.st_gid, ::getgrgid_r, &group::gr_name);
  access.owner = nameOf<passwd>(info.st_uid, ::getpwuid_r, &passwd::pw_name);

  const std::string target = resolved(path);
  const std::string whole = target.empty() ? path : target;
  access.kernelName =
      whole.rfind("/dev/", 0) == 0 ? whole.substr(5) : fs::path(whole).filename().string();
  if (S_ISREG(info.st_mode)) {
    access.kind = DeviceKind::kRegularFile;
  } else if (S_ISDIR(info.st_mode)) {
    access.kind = DeviceKind::kDirectory;
  } else if (S_ISCHR(info.st_mode)) {
    access.kind = isTerminalDevice(info, access.kernelName, sysRoot) ? DeviceKind::kSerial
                                                                     : DeviceKind::kNotATerminal;
  } else {
    access.kind = DeviceKind::kOther;
  }
  return access;
}

std::string groupAccessCommand(const std::string& group) {
  return "sudo usermod -aG " + group + " $USER";
}

std::string serialGroup() {
  for (const char* name : {"dialout", "uucp"}) {
    if (::getgrnam(name) != nullptr) return name;
  }
  return "dialout";
}

std::string udevRuleFor(const std::string& kernelName, const std::string& group) {
  std::string pattern = kernelName;
  const std::size_t digits = pattern.find_last_not_of("0123456789") + 1;
  if (digits < pattern.size()) pattern = pattern.substr(0, digits) + "[0-9]*";
  return "SUBSYSTEM==\"tty\", KERNEL==\"" + pattern + "\", GROUP=\"" + group + "\", MODE=\"0660\"";
}

}  // namespace flowdesk
