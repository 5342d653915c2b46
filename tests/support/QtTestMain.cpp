// SPDX-License-Identifier: GPL-3.0-or-later
// The main() of every Qt test binary: the tests need a QApplication, and none
// of them may read or write the real user's settings or data folders.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Must be set before the first QSettings: Qt reads the per-user folder once.
  QTemporaryDir home;
  if (!home.isValid()) return 2;
  const QByteArray root = home.path().toLocal8Bit();
  setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
  setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
  // A first run makes its data folder in the documents folder of HOME.
  QDir().mkpath(home.path() + QStringLiteral("/home"));
  QDir().mkpath(home.path() + QStringLiteral("/config"));
  setenv("HOME", (root + "/home").constData(), 1);
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
