// flowdesk-cli keeps its settings in the GUI's file without Qt: what one
// writes, the other must read back unchanged, both ways.
#include <gtest/gtest.h>

#include "base/AppSettings.h"
#include "base/IniSettingsStore.h"
#include "base/qt/core/QtSettingsStore.h"

namespace flowdesk {
namespace {

EnvironmentLookup realEnvironment() {
  return processEnvironment();
}

AppSettings awkwardSettings() {
  AppSettings s;
  s.LastPathName = "/home/é x/Data, old; new=1/";
  s.LastFileSpName = " /opt/calc \"x\"\\bin ";
  s.LastPathPrnFileName = "@home/\ttab/";
  s.Com = 3;
  s.Jbus = 254.7f;
  s.Language = 1;
  s.Bauds = 2;
  s.Unit = -2;
  s.FSp1 = 32767;
  s.FSp2 = -32768;
  s.T0Sp1 = 123;
  s.T0Sp2 = 0;
  s.Device1 = "/dev/serial/by-id/usb-FTDI_FT232R_A1b2-if00-port0";
  s.Device4 = "/dev/ttyS10";
  for (int i = 0; i < kProbeCount; ++i) {
    s.probes[static_cast<std::size_t>(i)] = {"P" + std::to_string(i) + (i % 3 ? "°" : ", x"),
                                             static_cast<std::int16_t>(i * 1000 - 15000)};
  }
  s.probes[7].name = "";
  return s;
}

void expectSame(const AppSettings& a, const AppSettings& b) {
  EXPECT_EQ(a.LastPathName, b.LastPathName);
  EXPECT_EQ(a.LastFileSpName, b.LastFileSpName);
  EXPECT_EQ(a.LastPathPrnFileName, b.LastPathPrnFileName);
  EXPECT_EQ(a.Com, b.Com);
  EXPECT_EQ(static_cast<int>(a.Jbus), static_cast<int>(b.Jbus));
  EXPECT_EQ(a.Language, b.Language);
  EXPECT_EQ(a.Bauds, b.Bauds);
  EXPECT_EQ(a.Unit, b.Unit);
  EXPECT_EQ(a.FSp1, b.FSp1);
  EXPECT_EQ(a.FSp2, b.FSp2);
  EXPECT_EQ(a.T0Sp1, b.T0Sp1);
  EXPECT_EQ(a.T0Sp2, b.T0Sp2);
  EXPECT_EQ(a.devices(), b.devices());
  EXPECT_EQ(a.probes, b.probes);
}

TEST(IniQtCompatibility, QtWritesTheCliReads) {
  const AppSettings written = awkwardSettings();
  {
    QtSettingsStore qt(QStringLiteral("flowdesk-qt-first"));
    ASSERT_TRUE(saveSettings(qt, written));
  }
  IniSettingsStore ini(IniSettingsStore::userFilePath("flowdesk-qt-first", realEnvironment()));
  AppSettings read;
  loadSettings(ini, read, "/nonexistent/", realEnvironment());
  expectSame(read, written);
}

TEST(IniQtCompatibility, TheCliWritesQtReads) {
  const AppSettings written = awkwardSettings();
  {
    IniSettingsStore ini(IniSettingsStore::userFilePath("flowdesk-cli-first", realEnvironment()));
    ASSERT_TRUE(saveSettings(ini, written));
  }
  QtSettingsStore qt(QStringLiteral("flowdesk-cli-first"));
  AppSettings read;
  loadSettings(qt, read, "/nonexistent/", realEnvironment());
  expectSame(read, written);
}

}  // namespace
}  // namespace flowdesk
