// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "base/Texts.h"
#include "base/qt/FilePrompts.h"
#include "base/qt/QtPrint.h"
#include "support/FakeUserInterface.h"

namespace flowdesk {
namespace {

// The fake answers the file dialog with `chosen` (an empty text cancels)
// and a replace question, should one come, with `replace`.
void queue(testing::FakeUserInterface& ui, const QString& chosen, bool replace) {
  ui.files.push_back(chosen);
  ui.answers.push_back(replace);
}

void touch(const QString& path) {
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
}

TEST(FilePrompts, SaveForcesTheExtensionAndUpdatesThePaths) {
  QTemporaryDir dir;
  const QString old = dir.filePath("Old.dir");
  QDir().mkpath(old);
  touch(old + "/taken.eta");
  const struct {
    QString typed;  // "" = cancel
    bool replace;   // the answer to a second replace question
    bool confirmed;
    QString path;
    bool asked;
  } cases[] = {
      {old + "/report", false, true, old + "/report.eta", false},
      {old + "/report.txt", false, true, old + "/report.eta", false},
      {old + "/x.old.eta", false, true, old + "/x.eta", false},
      {old + "/report.eta", false, true, old + "/report.eta", false},
      // forcing lands on another existing file: asked again, "no" cancels
      {old + "/taken", false, false, "", true},
      {old + "/taken.bak", true, true, old + "/taken.eta", true},
      {"", false, false, "", false},
  };
  for (const auto& c : cases) {
    std::string last = "/start/";
    testing::FakeUserInterface ui;
    queue(ui, c.typed, c.replace);
    const std::optional<std::string> path =
        askSaveFile(nullptr, last, kTxtCalibrationFile, "eta", kFrench);
    EXPECT_EQ(path.has_value(), c.confirmed) << c.typed.toStdString();
    if (c.asked) {
      // asked about the name the file would really get
      EXPECT_EQ(ui.questions, std::vector<QString>{"Le fichier " + old + "/taken.eta" +
                                                   " existe déjà.\nVoulez-vous le remplacer ?"});
    } else {
      EXPECT_TRUE(ui.questions.empty()) << c.typed.toStdString();
    }
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].mode, FileDialogRequest::Mode::kSave);
    EXPECT_EQ(ui.fileRequests[0].folder, "/start/");
    EXPECT_EQ(ui.fileRequests[0].filters, QStringList{"Fichier Etalonnage (*.eta)"});
    if (c.confirmed) {
      EXPECT_EQ(QString::fromStdString(path.value_or("")), c.path);
      EXPECT_EQ(QString::fromStdString(last), old + "/");
    } else {
      EXPECT_EQ(last, "/start/");
    }
  }
}

TEST(FilePrompts, OpenHandsBackThePathWithTheExtension) {
  const struct {
    QString chosen;
    Language language;
    bool confirmed;
    const char* path;
    const char* filter;
  } cases[] = {
      {"/data/a.rus", kFrench, true, "/data/a.rus", "Fichier Réglage Usine (*.rus)"},
      {"/data/v1.2/a.txt", kEnglish, true, "/data/v1.2/a.rus", "Factory Settings File (*.rus)"},
      {"", kEnglish, false, "unchanged", "Factory Settings File (*.rus)"},
  };
  for (const auto& c : cases) {
    std::string last = "/start/";
    testing::FakeUserInterface ui;
    queue(ui, c.chosen, true);
    const std::optional<std::string> path =
        askOpenFile(nullptr, last, kTxtFactorySettingsFile, "rus", c.language);
    EXPECT_EQ(path.has_value(), c.confirmed);
    EXPECT_TRUE(ui.questions.empty());  // an open replaces nothing
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].mode, FileDialogRequest::Mode::kOpen);
    EXPECT_EQ(ui.fileRequests[0].filters, QStringList{c.filter});
    EXPECT_EQ(path.value_or("unchanged"), c.path);
    EXPECT_EQ(last, c.confirmed ? std::string(c.path).substr(0, std::string(c.path).rfind('/') + 1)
                                : "/start/");
  }
}

}  // namespace
}  // namespace flowdesk
