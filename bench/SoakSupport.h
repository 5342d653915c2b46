// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// What the soaks share: the unit's own account of what it served (its
// --trace), flowdesk-cli run as a child that can be killed at any moment,
// and the checks that a recording or a logger file holds whole records.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "BenchSupport.h"
#include "base/AppSettings.h"
#include "base/BinaryFile.h"
#include "link/Crc16.h"
#include "logger/LoggerFile.h"
#include "logger/LoggerRecord.h"
#include "measure/MeasurementFile.h"
#include "unit/FaultPlan.h"

namespace flowdesk::bench {

// A soak's command line: "--name VALUE" pairs, each handed to
// `take(name, value, number)`, `number` being the value as a whole number
// from 0, or -1 when it is not one. False, a usage error, when a name has no
// value or `take` refuses it.
inline bool parseNamedValues(
    int argc, char** argv,
    const std::function<bool(const std::string& name, const std::string& value, long number)>&
        take) {
  for (int i = 1; i < argc; i += 2) {
    if (i + 1 >= argc) return false;
    const std::string value = argv[i + 1];
    char* end = nullptr;
    const long n = std::strtol(value.c_str(), &end, 10);
    const bool number = !value.empty() && *end == '\0' && n >= 0;
    if (!take(argv[i], value, number ? n : -1)) return false;
  }
  return true;
}

inline double secondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

inline void sleepSeconds(double s) {
  if (s <= 0) return;
  timespec t{};
  t.tv_sec = static_cast<time_t>(s);
  t.tv_nsec = static_cast<long>((s - static_cast<double>(t.tv_sec)) * 1e9);
  while (::nanosleep(&t, &t) != 0) {
  }
}

// ---------------------------------------------------------------------------
// Fault rules

inline constexpr std::array<const char*, 7> kFaultKinds{"drop",      "crc",  "short", "long",
                                                        "exception", "late", "pause"};
inline constexpr double kFaultPercent = 10;

// Every kind on `share` percent of the requests, drawn by the unit.
inline std::string percentRules(double share = kFaultPercent) {
  std::string rules;
  char percent[16];
  std::snprintf(percent, sizeof percent, "%g", share);
  for (const char* kind : kFaultKinds) {
    rules += (rules.empty() ? "" : ";") + std::string(kind) + "%" + percent;
  }
  return rules;
}

// The same draw made here for the requests numbered `from` to `to`, and
// written as request lists: from 1 they are the very faults percentRules()
// gives a unit with this seed. A part that needs the unit fault-free first
// lists its faults from a later request.
inline std::string listedRules(long from, long to, std::uint32_t seed,
                               double share = kFaultPercent) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> percent(0.0, 100.0);
  std::array<std::vector<long>, kFaultKinds.size()> lists;
  for (long n = from; n <= to; ++n) {
    int chosen = -1;
    // Every kind draws on every request, as the unit's own rules do.
    for (std::size_t k = 0; k < kFaultKinds.size(); ++k) {
      if (percent(random) < share && chosen < 0) chosen = static_cast<int>(k);
    }
    if (chosen >= 0) lists[static_cast<std::size_t>(chosen)].push_back(n);
  }
  std::string rules;
  for (std::size_t k = 0; k < kFaultKinds.size(); ++k) {
    const std::vector<long>& list = lists[k];
    if (list.empty()) continue;
    std::string items;
    for (std::size_t i = 0; i < list.size();) {
      std::size_t j = i;
      while (j + 1 < list.size() && list[j + 1] == list[j] + 1) ++j;
      items += (items.empty() ? "" : ",") + std::to_string(list[i]);
      if (j > i) items += "-" + std::to_string(list[j]);
      i = j + 1;
    }
    rules += (rules.empty() ? "" : ";") + std::string(kFaultKinds[k]) + "@" + items;
  }
  return rules;
}

// The fault the unit's own parser gives each request from 1 to `count` ("" for
// none); empty when it refuses the rules.
inline std::vector<std::string> plannedFaults(const std::string& rules, std::uint32_t seed,
                                              long count) {
  std::string error;
  std::optional<unit::FaultPlan> plan = unit::FaultPlan::parse(rules, seed, error);
  std::vector<std::string> faults;
  if (!plan) return faults;
  for (long n = 1; n <= count; ++n) {
    const auto action = plan->next(n);
    faults.push_back(action ? unit::faultKindName(action->kind) : "");
  }
  return faults;
}

// ---------------------------------------------------------------------------
// The unit's trace

// One reply as the unit put it on the line, with the request it answered and
// the fault it was given ("" for none).
struct ServedReply {
  Bytes request;
  std::string fault;
  Bytes reply;
};

// What flowdesk-unit --trace says it did: every reply it sent, the faults it
// injected by kind, and how many requests it accepted (the numbers its
// fault rules count).
struct UnitTrace {
  std::vector<ServedReply> replies;
  std::map<std::string, long> faults;
  long faultCount = 0;
  long firstFaultRequest = 0;  // 0: none
  long requests = 0;
};

inline Bytes hexBytes(const std::string& text) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < text.size();) {
    if (text[i] == ' ') {
      ++i;
      continue;
    }
    out.push_back(static_cast<std::uint8_t>(std::strtoul(text.substr(i, 2).c_str(), nullptr, 16)));
    i += 2;
  }
  return out;
}

inline bool isHexDigit(char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
}

// Reads the trace as far as the unit has written it ("[  1.234] rx 01 03 ...",
// "[  1.240] request 7: fault crc", "[  1.300] tx 01 03 ..."). A frame the
// unit refused (another address, a bad CRC, another rate) is not a request.
inline UnitTrace readUnitTrace(const std::string& path) {
  UnitTrace trace;
  std::ifstream in(path);
  std::string line;
  Bytes request;
  std::string fault;
  bool pending = false;
  while (std::getline(in, line)) {
    const auto close = line.find("] ");
    if (line.empty() || line[0] != '[' || close == std::string::npos) continue;
    const std::string text = line.substr(close + 2);
    if (text.size() > 3 && text.compare(0, 3, "rx ") == 0 && isHexDigit(text[3])) {
      request = hexBytes(text.substr(3));
      fault.clear();
      pending = true;
      ++trace.requests;
    } else if (text.compare(0, 8, "request ") == 0) {
      const auto at = text.find(": fault ");
      if (at == std::string::npos) continue;
      fault = text.substr(at + 8);
      ++trace.faults[fault];
      ++trace.faultCount;
      if (trace.firstFaultRequest == 0) {
        trace.firstFaultRequest = std::strtol(text.c_str() + 8, nullptr, 10);
      }
    } else if (text.compare(0, 9, "no answer") == 0 || text.compare(0, 8, "ignored:") == 0) {
      if (pending) --trace.requests;
      pending = false;
    } else if (text.size() > 3 && text.compare(0, 3, "tx ") == 0) {
      if (pending) trace.replies.push_back({request, fault, hexBytes(text.substr(3))});
      pending = false;
    }
  }
  return trace;
}

// A fault that leaves the reply's bytes as the unit meant them.
inline bool keepsBytes(const std::string& fault) {
  return fault.empty() || fault == "late" || fault == "pause";
}

inline std::string faultSummary(const std::map<std::string, long>& faults) {
  std::string out;
  for (const auto& [kind, n] : faults) {
    out += (out.empty() ? "" : " ") + kind + " " + std::to_string(n);
  }
  return out.empty() ? "none" : out;
}

// ---------------------------------------------------------------------------
// Frames and files

// A whole reply to function 3 or 4 as the master accepts one: the function,
// the byte count filling the frame, and the CRC.
inline bool wholeReadReply(std::span<const std::uint8_t> f, std::uint8_t function) {
  if (f.size() < 5 || f[1] != function || std::size_t{f[2]} != f.size() - 5) return false;
  const auto body = static_cast<std::uint16_t>(f.size() - 2);
  return crc16(f.data(), body) == static_cast<std::uint16_t>(f[body] | (f[body + 1] << 8));
}

// What a killed or interrupted writer left in a recording or a logger file.
struct RecordFileCheck {
  bool exists = false;
  bool whole = false;  // header and whole records only, every record decodes
  long long records = 0;
  std::string problem;
};

inline long long fileSize(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 ? static_cast<long long>(st.st_size) : -1;
}

inline Bytes fileBytes(const std::string& path) {
  Bytes out;
  if (!readWholeFile(path, out, std::numeric_limits<long long>::max()).ok()) out.clear();
  return out;
}

inline bool writeBytes(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

// A measurement file: its header, then records of the four whole replies,
// each with its CRC.
inline RecordFileCheck checkMeasurementFile(const std::string& path) {
  RecordFileCheck c;
  const long long size = fileSize(path);
  c.exists = size >= 0;
  if (!c.exists) return c;
  MeasurementFileReader reader;
  if (FileResult r = reader.open(path); !r.ok()) {
    c.problem = "header: " + r.message();
    return c;
  }
  const MeasurementFileInfo& info = reader.info();
  c.records = info.recordCount;
  if (info.frameSizes != kMeasurementFrameSizes) {
    c.problem = "frame sizes in the header are not the unit's";
    return c;
  }
  const long long expected =
      info.dataOffset + info.recordCount * static_cast<long long>(info.recordSize);
  if (size != expected) {
    c.problem = std::to_string(size) + " bytes: header + " + std::to_string(info.recordCount) +
                " records + " + std::to_string(size - expected) + " bytes";
    return c;
  }
  MeasurementRecord record;
  for (long long i = 0; i < info.recordCount; ++i) {
    if (FileResult r = reader.readRecord(i, record); !r.ok()) {
      c.problem = "record " + std::to_string(i) + ": " + r.message();
      return c;
    }
    for (const Bytes& frame : record.frames) {
      if (!wholeReadReply(frame, 3)) {
        c.problem = "record " + std::to_string(i) + " holds a frame that does not decode";
        return c;
      }
    }
  }
  c.whole = true;
  return c;
}

// A logger file: its size word, then stored records of the one size, each a
// record of the unit (prefix address, 4, size; a date that is one; not the
// empty mark).
inline RecordFileCheck checkLoggerFile(const std::string& path) {
  RecordFileCheck c;
  const long long size = fileSize(path);
  c.exists = size >= 0;
  if (!c.exists) return c;
  LoggerFileReader reader;
  if (FileResult r = reader.open(path); !r.ok()) {
    c.problem = "header: " + r.message();
    return c;
  }
  const LoggerFileInfo& info = reader.info();
  c.records = info.recordCount;
  const long long expected = 2 + info.recordCount * static_cast<long long>(info.storedRecordSize);
  if (size != expected) {
    c.problem = std::to_string(size) + " bytes: header + " + std::to_string(info.recordCount) +
                " records + " + std::to_string(size - expected) + " bytes";
    return c;
  }
  Bytes stored;
  for (long long i = 0; i < info.recordCount; ++i) {
    if (FileResult r = reader.readStoredRecord(i, stored); !r.ok()) {
      c.problem = "record " + std::to_string(i) + ": " + r.message();
      return c;
    }
    const LoggerRecord rec = decodeLoggerRecord(loggerRecordBytes(stored));
    const bool prefix =
        stored.size() == info.storedRecordSize && stored[1] == 4 && stored[2] == info.recordSize();
    if (!prefix || rec.empty || rec.month < 1 || rec.month > 12 || rec.day < 1 || rec.day > 31 ||
        rec.hour > 23 || rec.minute > 59 || rec.second > 59) {
      c.problem = "record " + std::to_string(i) + " does not decode";
      return c;
    }
  }
  c.whole = true;
  return c;
}

// The logger file the units served (their traces, in the order they ran):
// record i from the last reply that carried it, up to the first empty one,
// stored as a download stores it, at `scratch`.
inline Bytes servedLoggerFile(const std::vector<std::string>& traces, const std::string& scratch) {
  std::map<long, Bytes> records;
  std::uint8_t address = 1;
  for (const std::string& path : traces) {
    for (const ServedReply& r : readUnitTrace(path).replies) {
      if (r.request.size() < 6 || r.request[1] != 4 || !wholeReadReply(r.reply, 4)) continue;
      const long first = r.request[2] << 8 | r.request[3];
      const std::size_t n = r.reply[2] / kLoggerRecordSize4;
      address = r.reply[0];
      for (std::size_t j = 0; j < n; ++j) {
        const auto at = r.reply.begin() + static_cast<std::ptrdiff_t>(3 + j * kLoggerRecordSize4);
        records[first + static_cast<long>(j)] =
            Bytes(at, at + static_cast<std::ptrdiff_t>(kLoggerRecordSize4));
      }
    }
  }
  if (!createLoggerFile(scratch, kLoggerRecordSize4).ok()) return {};
  for (long i = 0;; ++i) {
    const auto found = records.find(i);
    if (found == records.end() || isEmptyLoggerRecord(found->second)) break;
    int written = 0;
    if (!appendLoggerRecords(scratch, address, kLoggerRecordSize4, found->second, 1, written)
             .ok()) {
      return {};
    }
  }
  return fileBytes(scratch);
}

// The hidden temporaries a whole-file writer makes beside its target
// (".NAME.XXXXXX"), left in `folder`.
inline std::vector<std::string> strayTemporaries(const std::string& folder) {
  std::vector<std::string> found;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return found;
  while (const dirent* e = ::readdir(dir)) {
    const std::string name = e->d_name;
    if (name.size() < 9 || name[0] != '.' || name == "." || name == "..") continue;
    const std::size_t dot = name.size() - 7;
    if (name[dot] != '.') continue;
    bool suffix = true;
    for (std::size_t i = dot + 1; i < name.size(); ++i) {
      const char ch = name[i];
      suffix = suffix &&
               ((ch >= '0' && ch <= '9') || (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z'));
    }
    if (suffix) found.push_back(name);
  }
  ::closedir(dir);
  return found;
}

// ---------------------------------------------------------------------------
// flowdesk-cli as a child

// flowdesk-cli started in the folder `cwd`, with its settings and its
// output in `home` (files there, so that nothing blocks it).
class CliChild {
 public:
  CliChild(const std::string& program, const std::string& cwd, const std::string& home,
           const std::vector<std::string>& args) {
    pid_ = ::fork();
    if (pid_ != 0) return;
    if (::chdir(cwd.c_str()) != 0) ::_exit(127);
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
    ::setenv("HOME", home.c_str(), 1);
    ::unsetenv("FLOWDESK_TRACE");
    const int out = ::open((home + "/cli-out").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = ::open((home + "/cli-err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    ::dup2(out, 1);
    ::dup2(err, 2);
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
  }
  ~CliChild() { kill(SIGKILL); }
  CliChild(const CliChild&) = delete;
  CliChild& operator=(const CliChild&) = delete;

  bool started() const { return pid_ > 0; }
  // True once the child has ended; `status` is its exit status, -1 when a
  // signal ended it.
  bool finished(int& status) {
    if (pid_ <= 0) {
      status = status_;
      return true;
    }
    int raw = 0;
    if (::waitpid(pid_, &raw, WNOHANG) != pid_) return false;
    pid_ = -1;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    status = status_;
    return true;
  }
  // Waits up to `seconds`; false when it still runs.
  bool wait(double seconds, int& status) {
    const auto start = std::chrono::steady_clock::now();
    while (!finished(status)) {
      if (secondsSince(start) >= seconds) return false;
      sleepSeconds(0.005);
    }
    return true;
  }
  // Sends `signal` and reaps the child; false when it had already ended.
  bool kill(int signal) {
    int status = 0;
    if (finished(status)) return false;
    ::kill(pid_, signal);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
    status_ = -1;
    return true;
  }

 private:
  pid_t pid_ = -1;
  int status_ = -1;
};

// Runs flowdesk-cli to its end (at most `timeout` seconds); its exit status,
// or -1.
inline int runCli(const std::string& program, const std::string& cwd, const std::string& home,
                  const std::vector<std::string>& args, double timeout = 600) {
  CliChild child(program, cwd, home, args);
  int status = -1;
  if (!child.wait(timeout, status)) child.kill(SIGKILL);
  return status;
}

// The last line flowdesk-cli wrote on its standard error: the reason it
// gives (progress lines come before it).
inline std::string cliReason(const std::string& home) {
  const Bytes b = fileBytes(home + "/cli-err");
  std::string text(b.begin(), b.end());
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  const auto nl = text.find_last_of("\r\n");
  return nl == std::string::npos ? text : text.substr(nl + 1);
}

}  // namespace flowdesk::bench
