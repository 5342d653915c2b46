// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/FileNames.h"
#include "base/Texts.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

namespace fs = std::filesystem;

std::string slashed(const testing::TempDir& folder) {
  return folder.path() + "/";
}

TEST(FileNames, ForceExtension) {
  const struct {
    const char* path;
    const char* extension;
    const char* expected;
  } cases[] = {
      {"/home/op/report", "eta", "/home/op/report.eta"},
      {"/home/op/report.txt", "eta", "/home/op/report.eta"},
      {"/home/op/Old.dir/report", "eta", "/home/op/Old.dir/report.eta"},
      {"/home/op/Old.dir/x.old.eta", "eta", "/home/op/Old.dir/x.eta"},
      {"x.old.eta", "eta", "x.eta"},
      {"report", "rus", "report.rus"},
      {"/opt/office.7/soffice.bin", "exe", "/opt/office.7/soffice.exe"},
      {"/home/op/.hidden", "eta", "/home/op/.eta"},
  };
  for (const auto& c : cases) EXPECT_EQ(forceExtension(c.path, c.extension), c.expected);
}

TEST(FileNames, LastPathNameEndsWithTheSlash) {
  const struct {
    const char* path;
    const char* expected;
  } cases[] = {{"/home/op/Data/x.eta", "/home/op/Data/"},
               {"/x.eta", "/"},
               {"x.eta", ""},
               {"/home/op/Old.dir/", "/home/op/Old.dir/"}};
  for (const auto& c : cases) EXPECT_EQ(lastPathName(c.path), c.expected) << c.path;
}

TEST(FileNames, NextFreeName) {
  const struct {
    std::vector<std::string> present;
    const char* base;
    const char* extension;
    const char* expected;
  } cases[] = {
      {{}, "Nouveau", "eta", "Nouveau.eta"},
      {{"Nouveau.eta"}, "Nouveau", "eta", "Nouveau1.eta"},
      {{"Nouveau.eta", "Nouveau1.eta"}, "Nouveau", "eta", "Nouveau2.eta"},
      {{"Nouveau.eta", "Nouveau7.eta"}, "Nouveau", "eta", "Nouveau8.eta"},
      {{"Nouveau3.eta", "NouveauX.eta", "Nouveau.eta"}, "Nouveau", "eta", "Nouveau4.eta"},
      {{"Nouveau5.rus", "Nouveau.txt"}, "Nouveau", "eta", "Nouveau.eta"},  // other extensions
      {{"Nouveau5.old.eta"}, "Nouveau", "eta", "Nouveau6.eta"},  // number ends at the first dot
      {{"ANouveau9.eta"}, "Nouveau", "eta", "Nouveau.eta"},      // must start with the base
      {{"Nouveau.etab"}, "Nouveau", "eta", "Nouveau.eta"},
      {{"NOUVEAU2.ETA"}, "Nouveau", "eta", "Nouveau3.eta"},  // safe on case-blind disks
      {{"New.eta", "New1.eta"}, "New", "eta", "New2.eta"},
      {{"Ecart.prn"}, "Ecart", "prn", "Ecart1.prn"},
      // A number too large to count on: the lowest free one instead of an overflow.
      {{"Nouveau.eta", "Nouveau1.eta", "Nouveau99999999999999999999.eta"},
       "Nouveau",
       "eta",
       "Nouveau2.eta"},
      {{"Nouveau999999999.eta", "Nouveau1.eta"}, "Nouveau", "eta", "Nouveau2.eta"},
      {{"Nouveau999999998.eta"}, "Nouveau", "eta", "Nouveau999999999.eta"},
  };
  for (const auto& c : cases) {
    testing::TempDir folder;
    for (const auto& name : c.present) std::ofstream(folder.file(name)) << "x";
    const std::string result = nextFreeName(slashed(folder), c.base, c.extension);
    EXPECT_EQ(result, slashed(folder) + c.expected);
    EXPECT_FALSE(fs::exists(result)) << result;  // nothing is ever overwritten
    EXPECT_EQ(fs::exists(folder.file(c.expected)),
              std::find(c.present.begin(), c.present.end(), c.expected) != c.present.end());
  }
}

TEST(FileNames, NextFreeNameFolderForms) {
  testing::TempDir folder;
  std::ofstream(folder.file("New.eta")) << "x";
  // The base in the current language.
  EXPECT_EQ(nextFreeName(slashed(folder), kTxtNewFileBase, kEnglish, "eta"),
            slashed(folder) + "New1.eta");
  EXPECT_EQ(nextFreeName(slashed(folder), kTxtNewFileBase, kFrench, "eta"),
            slashed(folder) + "Nouveau.eta");
  // A folder given without its final slash still gets one.
  EXPECT_EQ(nextFreeName(folder.path(), "New", "eta"), slashed(folder) + "New1.eta");
  // A folder that does not exist counts as empty.
  EXPECT_EQ(nextFreeName(slashed(folder) + "missing/", "New", "eta"),
            slashed(folder) + "missing/New.eta");

  // An empty folder text means the current directory.
  const fs::path before = fs::current_path();
  fs::current_path(folder.path());
  const std::string relative = nextFreeName("", "New", "eta");
  fs::current_path(before);
  EXPECT_EQ(relative, "New1.eta");
}

TEST(FileNames, SpreadsheetNameDropsEveryDot) {
  EXPECT_EQ(prnNameFor("/home/op/Data/x.log"), "xlog.prn");
  EXPECT_EQ(prnNameFor("a.b/Nouveau1.v2.mes"), "Nouveau1v2mes.prn");
  EXPECT_EQ(prnNameFor("plain"), "plain.prn");
}

}  // namespace
}  // namespace flowdesk
