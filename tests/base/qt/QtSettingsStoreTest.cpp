// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <memory>

#include "base/AppSettings.h"
#include "base/BuiltinProbeCatalogue.h"
#include "base/qt/core/QtSettingsStore.h"

namespace flowdesk {
namespace {

// The test main points XDG_CONFIG_HOME at a temporary folder; each test uses
// an application name of its own, so each has its own file.
QString configHome() {
  return qEnvironmentVariable("XDG_CONFIG_HOME");
}

// A first run makes its data folder in the documents folder: a home of the
// test's own keeps it out of the real one.
EnvironmentLookup noEnv() {
  return [](const std::string& name) -> std::optional<std::string> {
    if (name == "HOME") return (configHome() + QStringLiteral("/home")).toStdString();
    return std::nullopt;
  };
}

TEST(QtSettingsStore, SettingsSurviveANewStore) {
  const QString app = QStringLiteral("roundtrip");
  const std::string longPath = "/" + std::string(300, 'L') + "/";
  AppSettings saved;
  saved.Language = 1;
  saved.Com = 2;
  saved.Bauds = 4;
  saved.Jbus = 12.9f;
  saved.Device1 = "/dev/serial/by-id/usb-FTDI_FT232R-if00-port0";
  saved.LastPathName = longPath;
  saved.LastFileSpName = "/opt/office, tools/calc";  // a comma needs quoting in INI
  saved.LastPathPrnFileName = "/home/opérateur/prn=1;[x]/";
  saved.Unit = 4;
  saved.T0Sp2 = -1;
  saved.probes = builtinProbeCatalogue();
  saved.probes[0] = {"SP N°1", -1};
  saved.probes[28] = {"  spaced  ", 32767};
  {
    QtSettingsStore store(app);
    EXPECT_EQ(store.fileName(), configHome() + "/flowdesk/roundtrip.ini");
    EXPECT_TRUE(saveSettings(store, saved));
  }
  ASSERT_TRUE(QFileInfo::exists(configHome() + "/flowdesk/roundtrip.ini"));

  QtSettingsStore again(app);
  AppSettings loaded;
  EXPECT_FALSE(loadSettings(again, loaded, noEnv()).firstRun);
  EXPECT_EQ(loaded.Language, 1);
  EXPECT_EQ(loaded.Com, 2);
  EXPECT_EQ(loaded.Bauds, 4);
  EXPECT_EQ(loaded.Jbus, 12.0f);
  EXPECT_EQ(loaded.Device1, saved.Device1);
  EXPECT_EQ(loaded.Device2, "");
  EXPECT_EQ(loaded.LastPathName, longPath);
  EXPECT_EQ(loaded.LastFileSpName, saved.LastFileSpName);
  EXPECT_EQ(loaded.LastPathPrnFileName, saved.LastPathPrnFileName);
  EXPECT_EQ(loaded.Unit, 4);
  EXPECT_EQ(loaded.T0Sp2, -1);
  EXPECT_EQ(loaded.probes, saved.probes);
}

TEST(QtSettingsStore, LayoutOfTheFile) {
  {
    QtSettingsStore store(QStringLiteral("layout"));
    AppSettings s;
    s.probes[7] = {"T210-I", 5980};
    s.FSp1 = -1;
    saveSettings(store, s);
  }
  // What another program (or an operator's editor) finds in the file.
  QFile raw(configHome() + "/flowdesk/layout.ini");
  ASSERT_TRUE(raw.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(raw.readAll());
  for (const char* line :
       {"[General]", "FSp1=-1", "Bauds=5", "Jbus=1", "[Probe]", "7=T210-I", "[Angle]", "7=5980"}) {
    EXPECT_TRUE(text.contains(QLatin1String(line) + QLatin1Char('\n'))) << line;
  }

  QSettings ini(configHome() + "/flowdesk/layout.ini", QSettings::IniFormat);
  EXPECT_EQ(ini.value("Probe/7").toString(), "T210-I");
  EXPECT_EQ(ini.value("Angle/7").toString(), "5980");
  EXPECT_EQ(ini.value("FSp1").toString(), "-1");  // sign-extended, not 65535
  EXPECT_EQ(ini.value("Bauds").toString(), "5");
  EXPECT_TRUE(ini.childGroups().contains("Probe"));
  EXPECT_TRUE(ini.childGroups().contains("Angle"));
}

TEST(QtSettingsStore, HandEditedNumbers) {
  const QString path = configHome() + "/flowdesk/edited.ini";
  QDir().mkpath(QFileInfo(path).path());
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  file.write(
      "[General]\n"
      "Com=abc\n"
      "Jbus=12.9\n"
      "Language= 1 \n"
      "Bauds=5000000000\n"
      "Unit=70000\n"
      "FSp1=4294967295\n"
      "FSp2=-32769\n"
      "LastPathName=/a, b/\n"
      "[Probe]\n"
      "3=P\n");
  file.close();

  QtSettingsStore store(QStringLiteral("edited"));
  AppSettings s;
  loadSettings(store, s, noEnv());
  EXPECT_EQ(s.Com, 0);      // not a number: default
  EXPECT_EQ(s.Jbus, 1.0f);  // not a whole number: default
  EXPECT_EQ(s.Language, 1);
  EXPECT_EQ(s.Bauds, 5);    // beyond 32 bits: default
  EXPECT_EQ(s.Unit, 4464);  // low 16 bits
  EXPECT_EQ(s.FSp1, -1);    // the 32-bit word 0xFFFFFFFF
  EXPECT_EQ(s.FSp2, 32767);
  EXPECT_EQ(s.LastPathName, "/a, b/");
  EXPECT_EQ(s.probes[3].name, "P");
}

TEST(QtSettingsStore, MissingFileGivesDefaultsAndAnUnwritableOneIsReported) {
  {
    QtSettingsStore store(QStringLiteral("absent"));
    AppSettings s;
    s.Bauds = 0;
    EXPECT_TRUE(loadSettings(store, s, noEnv()).firstRun);
    EXPECT_EQ(s.Bauds, 5);
    EXPECT_EQ(s.probes, builtinProbeCatalogue());
  }
  EXPECT_FALSE(QFileInfo::exists(configHome() + "/flowdesk/absent.ini"));

  // A folder where the file should be: the save cannot succeed.
  ASSERT_TRUE(QDir().mkpath(configHome() + "/flowdesk/blocked.ini"));
  QtSettingsStore store(QStringLiteral("blocked"));
  EXPECT_FALSE(saveSettings(store, AppSettings{}));
}

// The first run's data folder is where the desktop's file dialogs say the
// documents are.
TEST(QtSettingsStore, DocumentsFolderAgreesWithTheDesktop) {
  QFile dirs(configHome() + QStringLiteral("/user-dirs.dirs"));
  for (const char* line : {"XDG_DOCUMENTS_DIR=\"$HOME/Mes documents\"\n", "\n"}) {
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly | QIODevice::Truncate));
    dirs.write(line);
    dirs.close();
    EXPECT_EQ(documentsFolder(processEnvironment()),
              QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation).toStdString())
        << line;
  }
  dirs.remove();
}

}  // namespace
}  // namespace flowdesk
