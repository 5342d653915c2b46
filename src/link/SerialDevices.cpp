#include "link/SerialDevices.h"

#include <grp.h>
#include <sys/stat.h>
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

DeviceAccess checkDeviceAccess(const std::string& path) {
  DeviceAccess access;
  struct stat info {};
  if (::stat(path.c_str(), &info) != 0) return access;
  access.exists = true;
  access.gid = info.st_gid;
  access.readWrite = ::access(path.c_str(), R_OK | W_OK) == 0;

  std::vector<char> buffer(4096);
  for (;;) {
    group entry{};
    group* result = nullptr;
    const int rc = ::getgrgid_r(info.st_gid, &entry, buffer.data(), buffer.size(), &result);
    if (rc == ERANGE && buffer.size() < (1u << 20)) {
      buffer.resize(buffer.size() * 2);
      continue;
    }
    if (rc == 0 && result != nullptr && result->gr_name != nullptr) {
      access.group = result->gr_name;
    } else {
      access.group = std::to_string(info.st_gid);
    }
    break;
  }
  return access;
}

std::string groupAccessCommand(const std::string& group) {
  return "sudo usermod -aG " + group + " $USER";
}

}  // namespace flowdesk
