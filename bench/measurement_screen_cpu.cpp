// SPDX-License-Identifier: GPL-3.0-or-later
// FLOWDESK_BENCH_QT
// The measurement screen polling flowdesk-unit at 9600 baud.
//   bench_measurement_screen_cpu [SECONDS] [--unit PATH]
// 1. CPU time of this process (the screen, its timer and the link) over
//    SECONDS of live polling (default 60). Target: at most 3 % of one core.
// 2. Wall time of poll cycles against their wire time plus the silence that
//    ends every reply (T2). Target: at most 10 ms more.
// The unit is started with no turnaround of its own, so what is left over is
// the program's. Run it under Xvfb or with QT_QPA_PLATFORM=offscreen.
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "link/AppContext.h"
#include "link/Blocks.h"
#include "link/LinkTimings.h"
#include "measure/MeasurementSession.h"
#include "measure/qt/MeasurementDialog.h"

namespace {

using namespace flowdesk;

constexpr long kBaud = 9600;
constexpr int kBaudIndex = 5;
constexpr int kRequestBytes = 8;

double cpuSeconds() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  const auto seconds = [](const timeval& t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  return seconds(r.ru_utime) + seconds(r.ru_stime);
}

// One block read on a real line: the request, the reply (address, function,
// count, data, CRC) and the silence that tells the reply has ended.
double blockMs(const RegisterBlock& block, bool countRequest) {
  const auto reply = static_cast<std::size_t>(5 + block.byteCount());
  const auto wire =
      link_timings::wireTime(kBaud, reply) +
      (countRequest ? link_timings::wireTime(kBaud, kRequestBytes) : std::chrono::microseconds(0));
  return static_cast<double>(wire.count()) / 1000.0 +
         static_cast<double>(link_timings::interByteLimit(kBaudIndex).count());
}

double cycleMs(bool staticBlocks, bool countRequest) {
  double ms = blockMs(kM1Block, countRequest) + blockMs(kM2Block, countRequest);
  if (staticBlocks) ms += blockMs(kS1Block, countRequest) + blockMs(kS2Block, countRequest);
  return ms;
}

void prepare(AppContext& context, const std::string& device) {
  context.deviceOverride = {device, "", "", ""};
  context.settings.Com = 0;
  context.settings.Bauds = kBaudIndex;
  context.settings.Jbus = 1;
  context.master.markIdentified();
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  int seconds = 60;
  std::string unitPath;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--unit") == 0 && i + 1 < argc) {
      unitPath = argv[++i];
    } else {
      seconds = std::max(1, std::atoi(argv[i]));
    }
  }
  unitPath = bench::buildProgram(unitPath, "FLOWDESK_UNIT_BIN", "flowdesk-unit");

  const std::string folder = bench::scratchFolder("flowdesk-screenbench");
  if (folder.empty()) return 2;
  const std::string link = folder + "/unit";
  bench::BenchUnit unit(unitPath, link, {"--baud", "9600", "--turnaround", "0"});
  if (!unit.started()) {
    std::fprintf(stderr, "cannot start the unit: %s\n", unitPath.c_str());
    std::filesystem::remove_all(folder);
    return 2;
  }
  const std::string device = unit.device();
  // The unit and its link go however the run ends.
  struct Cleanup {
    bench::BenchUnit& unit;
    std::string folder;
    ~Cleanup() {
      unit.stop();
      std::error_code ec;
      std::filesystem::remove_all(folder, ec);
    }
  } cleanup{unit, folder};

  // 1. The screen as the operator has it open.
  double cpuShare = 0;
  {
    AppContext context;
    prepare(context, device);
    MeasurementDialog screen(context);
    // Opened on the unit as the main window opens it: a screen talks to
    // the unit only once opened.
    if (!screen.open(ScreenSource::unit())) {
      std::fprintf(stderr, "the measurement screen did not open\n");
      return 2;
    }
    screen.show();
    QElapsedTimer wait;
    wait.start();
    while (!screen.session().hasDisplay() && wait.elapsed() < 5000) {
      QApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    if (!screen.session().hasDisplay()) {
      std::fprintf(stderr, "the unit did not answer\n");
      return 2;
    }
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QEventLoop loop;
    QTimer::singleShot(seconds * 1000, &loop, &QEventLoop::quit);
    loop.exec();
    const double cpu = cpuSeconds() - cpuBefore;
    const double elapsed = static_cast<double>(wall.nsecsElapsed()) / 1e9;
    cpuShare = 100.0 * cpu / elapsed;
    std::printf(
        "measurement screen, %.1f s of polling at 9600 baud: CPU %.2f s = %.2f %% of one "
        "core\n",
        elapsed, cpu, cpuShare);
    std::printf("target: at most 3 %% -> %s\n", cpuShare <= 3.0 ? "met" : "NOT met");
    screen.reject();
  }

  // 2. Poll cycles one after another through the screen's session.
  AppContext context;
  prepare(context, device);
  MeasurementSession session(context, {});
  session.openLive();
  struct Cycle {
    bool staticBlocks;
    double ms;
  };
  std::vector<Cycle> cycles;
  constexpr int kCycles = 30;
  for (int i = 0; i < kCycles; ++i) {
    const bool staticBlocks = session.rereadStatic() != 0;
    QElapsedTimer t;
    t.start();
    if (session.poll() != 0) {
      std::fprintf(stderr, "poll %d failed\n", i);
      return 2;
    }
    cycles.push_back({staticBlocks, static_cast<double>(t.nsecsElapsed()) / 1e6});
  }
  // Two verdicts. Per cycle against the wire time of requests and replies
  // plus T2, as on a real line. Per transaction against the replies alone:
  // a pseudo-terminal passes a request at once, so this is the stricter
  // reading of what the program itself adds.
  double cycleOver = -1e9, transactionOver = -1e9;
  for (const bool staticBlocks : {true, false}) {
    std::vector<double> ms;
    for (const Cycle& c : cycles) {
      if (c.staticBlocks == staticBlocks) ms.push_back(c.ms);
    }
    if (ms.empty()) continue;
    std::sort(ms.begin(), ms.end());
    const int transactions = staticBlocks ? 4 : 2;
    const double line = cycleMs(staticBlocks, true);
    const double replies = cycleMs(staticBlocks, false);
    const double median = ms[ms.size() / 2];
    std::printf("poll cycle with %s: %zu cycles, median %.1f ms, worst %.1f ms\n",
                staticBlocks ? "S1 S2 M1 M2" : "M1 M2", ms.size(), median, ms.back());
    std::printf("  wire + T2 %.1f ms: worst cycle %+.1f ms\n", line, ms.back() - line);
    std::printf("  replies' wire + T2 %.1f ms: worst %+.1f ms per transaction (median %+.1f)\n",
                replies, (ms.back() - replies) / transactions, (median - replies) / transactions);
    cycleOver = std::max(cycleOver, ms.back() - line);
    transactionOver = std::max(transactionOver, (ms.back() - replies) / transactions);
  }
  std::printf("target: at most 10 ms more -> per cycle %s, per transaction %s\n",
              cycleOver <= 10.0 ? "met" : "NOT met", transactionOver <= 10.0 ? "met" : "NOT met");
  return 0;
}
