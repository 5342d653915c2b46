// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/qt/CommandLineHelp.h"
#include "app/qt/Startup.h"
#include "base/ModeFlags.h"

namespace flowdesk {
namespace {

TEST(CommandLineHelp, AnswersHelpAndVersionButNotTheUnitsWords) {
  const struct {
    std::vector<std::string> arguments;
    EarlyRequest request;
  } cases[] = {
      {{"flowdesk"}, EarlyRequest::kNone},
      {{"flowdesk", "--help"}, EarlyRequest::kHelp},
      {{"flowdesk", "-h"}, EarlyRequest::kHelp},
      {{"flowdesk", "--version"}, EarlyRequest::kVersion},
      {{"flowdesk", "-q", "-kRwT", "--help"}, EarlyRequest::kHelp},
      {{"flowdesk", "--version", "--help"}, EarlyRequest::kVersion},
      // The program's own path is no switch, whatever its folder is called.
      {{"--help"}, EarlyRequest::kNone},
      // What follows --unit-args is the virtual unit's.
      {{"flowdesk", "--virtual-unit", "--unit-args", "--help"}, EarlyRequest::kNone},
      {{"flowdesk", "--unit-args=--help"}, EarlyRequest::kNone},
      {{"flowdesk", "--unit-args", "--version", "-h"}, EarlyRequest::kHelp},
      // A dangling --unit-args leaves nothing to skip.
      {{"flowdesk", "--unit-args"}, EarlyRequest::kNone},
      {{"flowdesk", "--helpful"}, EarlyRequest::kNone},
  };
  for (const auto& c : cases) {
    std::string line;
    for (const std::string& a : c.arguments) line += a + " ";
    EXPECT_EQ(earlyRequestOf(c.arguments), c.request) << line;
  }
}

// The man page is this text: every switch the program reads must be in it.
TEST(CommandLineHelp, NamesEverySwitchTheProgramReads) {
  const std::string help = guiHelpText();
  for (const std::string& word :
       {std::string(kVirtualUnitSwitch), std::string(kUnitArgsSwitch), std::string("-q"),
        std::string("-kRwT"), std::string("boot"), std::string(kUnitTypeSelectorVariable),
        std::string("FLOWDESK_TRACE"), std::string("--version")}) {
    EXPECT_NE(help.find(word), std::string::npos) << word;
  }
}

}  // namespace
}  // namespace flowdesk
