// SPDX-License-Identifier: GPL-3.0-or-later
// Every number edit of the settings pages on four desktops: what an edit
// shows reads back to the same bytes, and a decimal typed with a comma or a
// point changes that field alone.
#include <gtest/gtest.h>

#include <QTemporaryDir>
#include <string>

#include "base/Clock.h"
#include "config/ConfigurationSession.h"
#include "config/FactoryFile.h"
#include "config/MakerFile.h"
#include "config/qt/FactorySettingsDialog.h"
#include "config/qt/InputsOutputsPage.h"
#include "config/qt/MakerSettingsDialog.h"
#include "config/qt/MeasurementPointPage.h"
#include "config/qt/SpecialProbeDialog.h"
#include "link/AppContext.h"
#include "support/FakeUserInterface.h"
#include "support/NumberFields.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

struct Rig {
  QTemporaryDir folder;
  DeviceImage image;
  AppContext context{systemClock(), image};
  testing::FakeUserInterface ui;
  Rig() {
    context.modeFlags.factory = true;
    context.modeFlags.maker = true;
    context.settings.probes[5] = {"T45", 4500};
    image.configuration.chordPairs = 6;  // every chord's edits in use
  }
  std::string file(const char* name) const { return folder.filePath(name).toStdString(); }
};

TEST(NumberFields, CalibrationPagesReadBackAsShown) {
  Rig rig;
  ConfigurationSession session(rig.context);
  MeasurementPointPage point(rig.context, session);
  point.activate();
  testing::expectNumbersReadBackAsShown("measurement point", point, point.bindings().fields);
  InputsOutputsPage io(rig.context, session);
  io.activate();
  testing::expectNumbersReadBackAsShown("inputs/outputs", io, io.bindings().fields);
}

TEST(NumberFields, SettingsDialogsReadBackAsShown) {
  Rig rig;
  ASSERT_TRUE(writeFactoryFile(rig.file("f.rus"), defaultFactoryFile()).ok());
  FactorySettingsDialog factory(rig.context);
  ASSERT_TRUE(factory.open(ScreenSource::file(rig.file("f.rus"))));
  testing::expectNumbersReadBackAsShown("factory", factory, factory.bindings().fields);

  ASSERT_TRUE(writeMakerFile(rig.file("m.nvd"), defaultMakerFile()).ok());
  MakerSettingsDialog maker(rig.context);
  ASSERT_TRUE(maker.open(ScreenSource::file(rig.file("m.nvd"))));
  testing::expectNumbersReadBackAsShown("maker", maker, maker.bindings().fields);

  // "Probe", 45.50°, frequency 2, T0 12.3 µs.
  testing::putFile(rig.file("p.csp540"), {'P', 'r', 'o', 'b', 'e', 0, 0x11, 0xC6, 2, 123});
  SpecialProbeDialog probe(rig.context);
  ASSERT_TRUE(probe.open(ScreenSource::file(rig.file("p.csp540"))));
  testing::expectNumbersReadBackAsShown("special probe", probe, probe.bindings().fields);
}

}  // namespace
}  // namespace flowdesk
