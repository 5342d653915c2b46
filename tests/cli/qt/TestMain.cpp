// The one main() of tests_cli_qt: QSettings reads the per-user folder once,
// so it points at a private folder before anything else runs.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <cstdlib>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  QTemporaryDir home;
  if (!home.isValid()) return 2;
  const QByteArray root = home.path().toLocal8Bit();
  setenv("XDG_CONFIG_HOME", (root + "/config").constData(), 1);
  setenv("XDG_DATA_HOME", (root + "/data").constData(), 1);
  QCoreApplication app(argc, argv);
  return RUN_ALL_TESTS();
}
