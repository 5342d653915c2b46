// SPDX-License-Identifier: GPL-3.0-or-later
// What goes over the wire, byte for byte and millisecond for millisecond, for
// three sequences against the virtual unit in-process on an in-memory line: a
// measurement recording, a logger download and a configuration upload. The
// frame trace of each is compared with the one committed under data/; a
// change to the master or to a session that moves a byte or a pause shows
// here. FLOWDESK_WRITE_TRACES=1 writes the files anew from the code as it is.
#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "config/ConfigurationSession.h"
#include "link/AppContext.h"
#include "link/FrameTrace.h"
#include "link/MemorySerialDriver.h"
#include "logger/LoggerViewerSession.h"
#include "measure/MeasurementSession.h"
#include "support/TestFiles.h"
#include "unit/VirtualUnit.h"

namespace flowdesk {
namespace {

using testing::TempDir;

// The program and a unit with a logger on one line; the unit's time stands
// still, so that every run sends and receives the same bytes.
struct TraceRig {
  ManualClock clock;
  DeviceImage image;
  AppContext app{clock, image};
  std::shared_ptr<MemoryLine> line = std::make_shared<MemoryLine>(clock);
  unit::VirtualUnit unit{settings(), [] { return 1.7e9 + 12.25; }};
  bool silent = false;
  TempDir dir;

  TraceRig() {
    line->onWrite = [this](MemoryLine& l) {
      const Bytes request = l.takeRequest();
      if (request.empty() || silent) return;
      if (auto reply = unit.handle(request)) l.deliverAtBaud(*reply, 9600, 5);
    };
    app.master.setPortOpener(memoryPortOpener(line));
    app.settings.Com = 0;
    app.settings.Jbus = 1;
    app.settings.Bauds = 5;
  }
  static unit::UnitSettings settings() {
    unit::UnitSettings s;
    s.configs = 18;
    s.loggerType = 4;
    s.loggerRecords = 40;
    return s;
  }
};

void recordMeasurement(TraceRig& rig) {
  MeasurementSession s(rig.app, {});
  s.openLive();
  ASSERT_TRUE(s.startRecording(rig.dir.file("r.mes")));
  for (const bool answers : {true, true, false, true}) {
    rig.silent = !answers;
    s.tick();
  }
  s.close();
}

void downloadLogger(TraceRig& rig) {
  LoggerViewerSession s(rig.app, {});
  ASSERT_TRUE(s.openUnit());
  for (int limit = 100; s.timerMs() != LoggerViewerSession::kTimerStopped && limit > 0; --limit) {
    s.tick();
  }
  ASSERT_TRUE(s.startDownload(rig.dir.file("a.log")));
  for (int limit = 100; s.timerMs() != LoggerViewerSession::kTimerStopped && limit > 0; --limit) {
    s.tick();
  }
  EXPECT_EQ(s.recordsDownloaded(), 40);
}

void uploadConfiguration(TraceRig& rig) {
  ConfigurationSession s(rig.app);
  s.localTime = [] { return LocalDateTime{2004, 3, 5, 14, 7, 9}; };
  ASSERT_TRUE(s.openUnit().ok);
  s.selectRead(3);
  rig.image.configuration.maximumFlow += 1.5f;
  s.requests.setClock = true;
  ASSERT_TRUE(s.upload().ok);
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(WireTrace, EveryByteAndPauseIsAsCommitted) {
  const struct {
    const char* file;
    void (*run)(TraceRig&);
  } cases[] = {
      {"trace_measurement_recording.txt", recordMeasurement},
      {"trace_logger_download.txt", downloadLogger},
      {"trace_configuration_upload.txt", uploadConfiguration},
  };
  const char* write = std::getenv("FLOWDESK_WRITE_TRACES");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    std::string trace;
    frameTrace().setSink([&trace](const std::string& line) { trace += line + "\n"; });
    frameTrace().setEnabled(true);
    {
      TraceRig rig;
      c.run(rig);
    }
    frameTrace().setEnabled(false);
    frameTrace().setSink({});
    const std::string path = std::string(FLOWDESK_SOURCE_DIR "/tests/cli/data/") + c.file;
    if (write != nullptr && std::string(write) == "1")
      std::ofstream(path, std::ios::binary) << trace;
    EXPECT_GT(trace.size(), 1000u) << "the sequence hardly ran";
    EXPECT_TRUE(trace == readText(path)) << "the wire differs from " << path << "; now:\n" << trace;
  }
}

}  // namespace
}  // namespace flowdesk
