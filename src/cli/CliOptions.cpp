// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CliOptions.h"

#include <algorithm>
#include <charconv>

#include "base/AppSettings.h"
#include "link/JbusMaster.h"

namespace flowdesk {

std::optional<long> parseWholeNumber(const std::string& text, long min, long max) {
  long value = 0;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(first, last, value, 10);
  if (text.empty() || ec != std::errc() || ptr != last || value < min || value > max) {
    return std::nullopt;
  }
  return value;
}

std::optional<std::vector<long>> parseNumberList(const std::string& text, long min, long max,
                                                 std::size_t maxCount) {
  std::vector<long> numbers;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(',', start), text.size());
    const auto n = parseWholeNumber(text.substr(start, end - start), min, max);
    if (!n || numbers.size() == maxCount) return std::nullopt;
    numbers.push_back(*n);
    start = end + 1;
  }
  return numbers;
}

std::string parseCliOptions(const std::vector<std::string>& arguments, CliOptions& out) {
  out = {};
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    std::string name = arguments[i];
    if (name == "--") {
      // The end of the options: the rest are the command and its names,
      // even "-x.eta". The command's own parser sees the "--" too.
      std::size_t rest = i + 1;
      if (out.command.empty() && rest < arguments.size()) out.command = arguments[rest++];
      out.args.emplace_back("--");
      out.args.insert(out.args.end(), arguments.begin() + static_cast<std::ptrdiff_t>(rest),
                      arguments.end());
      break;
    }
    std::optional<std::string> inlineValue;
    if (name.starts_with("--")) {
      if (const auto eq = name.find('='); eq != std::string::npos) {
        inlineValue = name.substr(eq + 1);
        name.erase(eq);
      }
    }
    const bool valued = name == "--device" || name == "--port" || name == "--baud" ||
                        name == "--address" || name == "--lang" || name == "--reply-end";
    const bool flag = name == "--factory" || name == "--maker" || name == "--trace" ||
                      name == "--help" || name == "-h" || name == "--version";
    if (!valued && !flag) {
      // Not ours: the command word, or one of the command's own arguments.
      if (out.command.empty() && !arguments[i].starts_with("-")) {
        out.command = arguments[i];
      } else if (out.command.empty()) {
        return "unknown option " + arguments[i];
      } else {
        out.args.push_back(arguments[i]);
      }
      continue;
    }
    if (flag) {
      if (inlineValue) return name + " takes no value";
      if (name == "--factory") out.factory = true;
      if (name == "--maker") out.maker = true;
      if (name == "--trace") out.trace = true;
      if (name == "--help" || name == "-h") out.help = true;
      if (name == "--version") out.version = true;
      continue;
    }
    std::string value;
    if (inlineValue) {
      value = *inlineValue;
    } else if (i + 1 < arguments.size()) {
      value = arguments[++i];
    } else {
      return name + " needs a value";
    }
    if (name == "--device") {
      if (value.empty()) return "--device needs a path";
      out.device = value;
    } else if (name == "--port") {
      auto n = parseWholeNumber(value, 1, 4);
      if (!n) return "--port wants 1, 2, 3 or 4";
      out.port = static_cast<int>(*n);
    } else if (name == "--baud") {
      auto n = parseWholeNumber(value, 0, 1000000);
      int index = -1;
      for (std::size_t b = 0; n && b < kBaudTable.size(); ++b) {
        if (kBaudTable[b] == *n) index = static_cast<int>(b);
      }
      if (index < 0) return "--baud wants 300, 600, 1200, 2400, 4800 or 9600";
      out.baudIndex = index;
    } else if (name == "--address") {
      auto n = parseWholeNumber(value, 0, 255);
      if (!n) return "--address wants a number from 0 to 255";
      out.address = static_cast<int>(*n);
    } else if (name == "--reply-end") {
      ReplyEndRule rule = ReplyEndRule::kSilence;
      if (!parseReplyEndWord(value, rule)) return "--reply-end wants length or silence";
      out.replyEnd = static_cast<int>(rule);
    } else if (name == "--lang") {
      if (value == "fr") {
        out.language = kFrench;
      } else if (value == "en") {
        out.language = kEnglish;
      } else {
        return "--lang wants fr or en";
      }
    }
  }
  if (out.maker) out.factory = true;
  return {};
}

std::string CommandArgs::parse(const std::vector<std::string>& args) {
  positional_.clear();
  given_.clear();
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--") {
      positional_.insert(positional_.end(), args.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                         args.end());
      break;
    }
    if (!arg.starts_with("-") || arg == "-") {
      positional_.push_back(arg);
      continue;
    }
    std::string name = arg;
    std::optional<std::string> inlineValue;
    if (const auto eq = name.find('='); eq != std::string::npos && name.starts_with("--")) {
      inlineValue = name.substr(eq + 1);
      name.erase(eq);
    }
    const OptionRule* rule = nullptr;
    for (const OptionRule& r : rules_) {
      if (name == r.name) rule = &r;
    }
    if (rule == nullptr) return "unknown option " + name;
    std::string value;
    if (rule->takesValue) {
      if (inlineValue) {
        value = *inlineValue;
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        return name + " needs a value";
      }
    } else if (inlineValue) {
      return name + " takes no value";
    }
    given_.emplace_back(name, value);
  }
  return {};
}

bool CommandArgs::has(const std::string& name) const {
  for (const auto& g : given_) {
    if (g.first == name) return true;
  }
  return false;
}

std::optional<std::string> CommandArgs::value(const std::string& name) const {
  std::optional<std::string> found;
  for (const auto& g : given_) {
    if (g.first == name) found = g.second;  // the last one given wins
  }
  return found;
}

}  // namespace flowdesk
