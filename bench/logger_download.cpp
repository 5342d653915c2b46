// SPDX-License-Identifier: GPL-3.0-or-later
// Logger download speed: 2,000 records of a 4-parameter logger downloaded
// from flowdesk-unit at 9600 baud by the viewer's own sequence, against the
// wire time of every frame plus the silence that ends each reply. The bar:
// the download takes at most 5 % more than that.
//
//   bench_logger_download [--records N] [--unit PATH]
//
// The unit program is looked up beside the build's programs unless --unit
// (or FLOWDESK_UNIT_BIN) names it.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "base/Environment.h"
#include "base/FileNames.h"
#include "link/AppContext.h"
#include "link/FrameTrace.h"
#include "link/LinkTimings.h"
#include "logger/LoggerViewerSession.h"

namespace {

using namespace flowdesk;
using Steady = std::chrono::steady_clock;

}  // namespace

int main(int argc, char** argv) {
  long records = 2000;
  std::string unitPath;
  if (!bench::downloadOptions(argc, argv, records, unitPath)) {
    std::fprintf(stderr, "usage: bench_logger_download [--records N] [--unit PATH]\n");
    return 2;
  }

  const std::string folder = bench::scratchFolder("flowdesk-logbench");
  if (folder.empty()) return 2;
  const std::string link = folder + "/unit";
  // The download starts at record 1: one more record than is downloaded.
  const std::string filled = std::to_string(records + 1);
  bench::BenchUnit unit(unitPath, link,
                        {"--configs", "18", "--logger-size", filled, "--logger-records", filled});
  if (!unit.started()) {
    std::fprintf(stderr, "bench_logger_download: %s did not start\n", unitPath.c_str());
    return 2;
  }

  DeviceImage image;
  AppContext app(systemClock(), image);
  bench::useUnitAt9600(app, link);

  int status = 0;
  LoggerViewerSession session(app, {});
  if (!session.openUnit()) {
    std::fprintf(stderr, "bench_logger_download: the unit did not open its logger\n");
    status = 1;
  }
  while (status == 0 && session.timerMs() != LoggerViewerSession::kTimerStopped) session.tick();

  // Every request of the download and its answer, as they went on the wire.
  long requests = 0;
  std::size_t wireBytes = 0;
  frameTrace().setSink([&](const std::string& line) {
    // "[      12 ms] TX   8: 01 04 ...": the direction, then the byte count.
    const bool sent = line.find("] TX ") != std::string::npos;
    const auto at = line.find(sent ? "] TX " : "] RX ");
    if (at == std::string::npos) return;
    if (sent) ++requests;
    wireBytes += std::strtoul(line.c_str() + at + 5, nullptr, 10);
  });
  frameTrace().setEnabled(true);

  const std::string file = folder + "/bench.log";
  const auto start = Steady::now();
  if (status == 0 && !session.startDownload(file)) status = 1;
  while (status == 0 && session.recording() != Recording::kOff) {
    const LoggerTick t = session.tick();
    if (t == LoggerTick::kDownloadFailed) status = 2;
  }
  const double measured = std::chrono::duration<double>(Steady::now() - start).count();
  frameTrace().setEnabled(false);
  frameTrace().setSink({});

  unit.stop();
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  if (status != 0) return status;

  const double wire = static_cast<double>(link_timings::wireTime(9600, wireBytes).count()) * 1e-6;
  const double silences = static_cast<double>(requests) *
                          std::chrono::duration<double>(link_timings::interByteLimit(5)).count();
  const double expected = wire + silences;
  std::printf("records downloaded  %lld\n", session.recordsDownloaded());
  std::printf("transactions        %ld (%zu bytes on the wire)\n", requests, wireBytes);
  std::printf("wire time           %.2f s\n", wire);
  std::printf("reply silences      %.2f s\n", silences);
  std::printf("expected            %.2f s\n", expected);
  std::printf("measured            %.2f s\n", measured);
  std::printf("ratio               %.3f (bar: 1.050)\n", measured / expected);
  return measured <= expected * 1.05 ? 0 : 1;
}
