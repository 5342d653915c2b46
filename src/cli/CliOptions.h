// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <vector>

#include "base/BilingualText.h"

namespace flowdesk {

// The options every command shares, wherever they stand on the line, and the
// command with its own words and options in their order.
struct CliOptions {
  std::optional<std::string> device;  // --device PATH: this run's device for the port
  std::optional<int> port;            // --port 1..4
  std::optional<int> baudIndex;       // --baud 300..9600, as an index of the baud table
  std::optional<int> address;         // --address 0..255
  std::optional<Language> language;   // --lang fr|en
  std::optional<int> replyEnd;        // --reply-end length|silence: a ReplyEndRule
  bool factory = false;               // --factory: factory-settings files and commands
  bool maker = false;                 // --maker: maker files (implies --factory)
  bool trace = false;                 // --trace: every frame in hex on standard error
  bool help = false;
  bool version = false;

  std::string command;            // the first word that is not a common option
  std::vector<std::string> args;  // everything after it that is not a common option
};

// Parses the arguments after the program's name. Returns an empty text, or
// one line saying what is wrong.
std::string parseCliOptions(const std::vector<std::string>& arguments, CliOptions& out);

// The options a command accepts of its own: "--name VALUE", "--name=VALUE" or
// a bare "--flag"; other words are positional. Unknown options and missing
// values are usage errors.
class CommandArgs {
 public:
  struct OptionRule {
    const char* name;  // "--polls"
    bool takesValue;
  };
  CommandArgs(std::vector<OptionRule> rules) : rules_(std::move(rules)) {}

  // An empty text, or what is wrong.
  std::string parse(const std::vector<std::string>& args);

  const std::vector<std::string>& positional() const { return positional_; }
  bool has(const std::string& name) const;
  std::optional<std::string> value(const std::string& name) const;

 private:
  std::vector<OptionRule> rules_;
  std::vector<std::string> positional_;
  std::vector<std::pair<std::string, std::string>> given_;
};

// A whole decimal number in [min, max], or nothing.
std::optional<long> parseWholeNumber(const std::string& text, long min, long max);

// Comma-separated whole numbers ("1,3"), each in [min, max], at most
// `maxCount` of them; nothing when any is not.
std::optional<std::vector<long>> parseNumberList(
    const std::string& text, long min, long max,
    std::size_t maxCount = std::numeric_limits<std::size_t>::max());

}  // namespace flowdesk
