// SPDX-License-Identifier: GPL-3.0-or-later
// Replies ended on their last byte (ReplyEnd=length) against replies ended by
// the silence after them (the default), in one run against flowdesk-unit at
// 9600 baud:
// 1. the download of 2,000 records of a 9-parameter logger. Goal: the
//    length rule takes at most 0.70 of the time.
// 2. a measurement poll cycle (the two live blocks), median of 30.
//
//   bench_reply_end [--records N] [--unit PATH]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchSupport.h"
#include "DownloadBench.h"
#include "base/FileNames.h"

int main(int argc, char** argv) {
  using namespace flowdesk;
  long records = 2000;
  std::string unitPath;
  if (!bench::downloadOptions(argc, argv, records, unitPath)) {
    std::fprintf(stderr, "usage: bench_reply_end [--records N] [--unit PATH]\n");
    return 2;
  }

  const std::string folder = bench::scratchFolder("flowdesk-replyend");
  if (folder.empty()) return 2;
  const std::string link = folder + "/unit";
  const std::string filled = std::to_string(records + 1);  // the download starts at record 1
  bench::BenchUnit unit(unitPath, link,
                        {"--configs", "18", "--logger-type", "9", "--logger-size", filled,
                         "--logger-records", filled});
  if (!unit.started()) {
    std::fprintf(stderr, "bench_reply_end: %s did not start\n", unitPath.c_str());
    return 2;
  }
  DeviceImage image;
  AppContext app(systemClock(), image);
  bench::useUnitAt9600(app, link);

  double download[2] = {};
  double poll[2] = {};
  long long downloaded[2] = {};
  for (const ReplyEndRule rule : {ReplyEndRule::kSilence, ReplyEndRule::kLength}) {
    const auto i = static_cast<std::size_t>(rule);
    app.settings.ReplyEnd = static_cast<std::int32_t>(rule);
    download[i] =
        bench::timedDownload(app, folder + "/bench" + std::to_string(i) + ".log", &downloaded[i]);
    poll[i] = bench::medianPollMs(app, 30);
    if (download[i] < 0 || poll[i] < 0) {
      std::fprintf(stderr, "bench_reply_end: the %s run failed\n", replyEndWord(rule));
      return 1;
    }
  }
  const bool same = downloaded[0] == downloaded[1] &&
                    bench::sameFile(folder + "/bench0.log", folder + "/bench1.log");
  unit.stop();
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);

  const double downloadRatio = download[1] / download[0];
  std::printf("logger download, %lld records of 9 parameters at 9600 baud\n", downloaded[0]);
  std::printf("  silence %.2f s, length %.2f s, the files %s\n", download[0], download[1],
              same ? "identical" : "DIFFERENT");
  std::printf("  ratio %.3f (goal: at most 0.70) -> %s\n", downloadRatio,
              downloadRatio <= 0.70 ? "met" : "NOT met");
  std::printf("measurement poll cycle (median of 30)\n");
  std::printf("  silence %.1f ms, length %.1f ms, ratio %.3f\n", poll[0], poll[1],
              poll[1] / poll[0]);
  return downloadRatio <= 0.70 && same ? 0 : 1;
}
