// SPDX-License-Identifier: GPL-3.0-or-later
// The logger download through a serial device server against the same
// download on the local terminal, in one run: flowdesk-unit at 9600 baud on
// its pseudo-terminal, ser2net on localhost in front of it with RFC 2217.
// Goal: at most 1.05 of the local time.
//
//   bench_device_server [--records N] [--reply-end silence|length] [--raw] [--unit PATH]
//
// --raw serves the terminal as raw TCP (tcp://) instead. Needs ser2net
// (Debian package ser2net).
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
  ReplyEndRule rule = ReplyEndRule::kSilence;
  bool raw = false;
  if (!bench::downloadOptions(argc, argv, records, unitPath, [&](int& i) {
        const std::string a = argv[i];
        if (a == "--reply-end" && i + 1 < argc && parseReplyEndWord(argv[i + 1], rule)) {
          ++i;
          return true;
        }
        raw = raw || a == "--raw";
        return a == "--raw";
      })) {
    std::fprintf(stderr,
                 "usage: bench_device_server [--records N] [--reply-end silence|length] [--raw] "
                 "[--unit PATH]\n");
    return 2;
  }

  const std::string folder = bench::scratchFolder("flowdesk-devserver");
  if (folder.empty()) return 2;
  const std::string link = folder + "/unit";
  const std::string filled = std::to_string(records + 1);
  bench::BenchUnit unit(unitPath, link,
                        {"--configs", "18", "--logger-type", "9", "--logger-size", filled,
                         "--logger-records", filled});
  if (!unit.started()) {
    std::fprintf(stderr, "bench_device_server: %s did not start\n", unitPath.c_str());
    return 2;
  }
  bench::Ser2net server(folder, unit.device(), !raw);
  if (!server.listening()) {
    std::fprintf(stderr, "bench_device_server: ser2net did not start (is it installed?)\n");
    return 2;
  }
  const std::string network =
      std::string(raw ? "tcp" : "rfc2217") + "://localhost:" + std::to_string(server.port());

  DeviceImage image;
  AppContext app(systemClock(), image);
  bench::useUnitAt9600(app, link);
  app.settings.ReplyEnd = static_cast<std::int32_t>(rule);
  long long downloaded = 0;
  const double local = bench::timedDownload(app, folder + "/local.log", &downloaded);
  app.deviceOverride[0] = network;
  const double remote = bench::timedDownload(app, folder + "/remote.log");
  const bool same = bench::sameFile(folder + "/local.log", folder + "/remote.log");
  unit.stop();
  std::error_code ec;
  std::filesystem::remove_all(folder, ec);
  if (local < 0 || remote < 0) {
    std::fprintf(stderr, "bench_device_server: the %s download failed\n",
                 local < 0 ? "local" : "network");
    return 1;
  }
  const double ratio = remote / local;
  std::printf("logger download, %lld records of 9 parameters at 9600 baud, reply end: %s\n",
              downloaded, replyEndWord(rule));
  std::printf("  local terminal %.2f s, %s %.2f s, the files %s\n", local, network.c_str(), remote,
              same ? "identical" : "DIFFERENT");
  std::printf("  ratio %.3f (goal: at most 1.05) -> %s\n", ratio,
              ratio <= 1.05 ? "met" : "NOT met");
  return ratio <= 1.05 && same ? 0 : 1;
}
