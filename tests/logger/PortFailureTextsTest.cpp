// SPDX-License-Identifier: GPL-3.0-or-later
// What the logger screens say when the port does not open: the reason the
// connection page gives; a unit that stays silent still closes them without
// a word.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "base/BilingualText.h"
#include "logger/LoggerConfigurationSession.h"
#include "logger/LoggerViewerSession.h"
#include "support/RegisterUnit.h"

namespace flowdesk {
namespace {

struct LoggerUnit : testing::RegisterLine {
  DeviceImage image{};
  AppContext context{clock, image};
  LoggerUnit() {
    serve(context.master);
    context.settings.Language = languageIndex(kEnglish);
    registers[0x000A] = 0x0001;  // a logger is fitted
    registers[0x0010] = 1000;
  }
};

TEST(PortFailureTexts, TheLoggerScreensSayWhyThePortDidNotOpen) {
  const std::string missing = "Com1: memory does not exist (adapter unplugged?).";
  const std::string unplugged =
      "Com1: memory has gone since it was last used (adapter unplugged?).";
  enum class Line { kMissing, kSilent, kGoneAfterOpening };
  struct Case {
    const char* name;
    Line line;
    std::function<std::string(LoggerUnit&)> run;
    std::string text;  // before the devices present; empty: nothing is said
  };
  const auto configuration = [](LoggerUnit& u) {
    LoggerConfigurationSession s(u.context);
    return loggerOpenText(s.open(), kEnglish);
  };
  const auto viewer = [](LoggerUnit& u) {
    LoggerViewerSession s(u.context, {});
    EXPECT_FALSE(s.openUnit());
    return s.openFailureText(kEnglish);
  };
  const Case cases[] = {
      {"settings, missing", Line::kMissing, configuration, missing},
      {"settings, silent", Line::kSilent, configuration, ""},
      {"settings TRANSFERT", Line::kGoneAfterOpening,
       [](LoggerUnit& u) {
         LoggerConfigurationSession s(u.context);
         EXPECT_TRUE(s.open().ok);
         u.line->openStatus = kPortNoDevice;
         return loggerUploadText(s.upload(), kEnglish);
       },
       "Upload Failure\n" + unplugged},
      {"viewer, missing", Line::kMissing, viewer, missing},
      {"viewer, silent", Line::kSilent, viewer, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    LoggerUnit u;
    if (c.line == Line::kMissing) u.line->openStatus = kPortNoDevice;
    if (c.line == Line::kSilent) u.refuse = [](const Bytes&) { return true; };
    const std::string text = c.run(u);
    EXPECT_EQ(text.substr(0, c.text.size()), c.text);
    EXPECT_EQ(text.empty(), c.text.empty()) << text;
  }
}

}  // namespace
}  // namespace flowdesk
