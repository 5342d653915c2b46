// SPDX-License-Identifier: GPL-3.0-or-later
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "cli/CliSession.h"
#include "cli/FileShow.h"
#include "echo/EchoFile.h"
#include "files/FileKinds.h"

namespace flowdesk {

namespace {

// Each picture of an echo file as DIR/<name>-0001.png, -0002.png ... (the
// file's name without its extension), numbered from 1 as the screen counts.
FileResult writeEchoPictures(CliSession& s, const std::string& path, const std::string& dir) {
  EchoFileReader reader;
  FileResult r = reader.open(path);
  if (!r.ok()) return r;
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  if (ec) return FileResult::failure(FileStatus::kCannotCreate, dir, ec.value());
  const std::string stem = std::filesystem::path(path).stem().string();
  for (long long i = 0; i < reader.info().recordCount; ++i) {
    EchoImage image{};
    r = reader.readImage(i, image);
    if (!r.ok()) return r;
    char number[32];
    std::snprintf(number, sizeof number, "-%04lld.png", i + 1);
    const std::string png = (std::filesystem::path(dir) / (stem + number)).string();
    r = s.writeEchoPicture(png, image);
    if (!r.ok()) return r;
    s.out << png << "\n";
  }
  return {};
}

}  // namespace

int runShow(CliSession& s) {
  CommandArgs args({{"--png", true}});
  if (const auto refused = s.readArgs(args)) return *refused;
  if (args.positional().size() != 1) return s.wantsOneFile("show");
  const std::string& path = args.positional().front();
  const auto png = args.value("--png");
  if (png) {
    const FileKindInfo* kind = fileKindOfPath(path);
    if (kind == nullptr || kind->kind != FileKind::kEcho) {
      return s.usage(s.text(kTxtCliPngForEch) + path);
    }
    if (!s.writeEchoPicture) return s.usage(s.text(kTxtCliPngUnavailable));
  }
  FileResult r = showFile(path, s.language, s.regional, s.out);
  if (!r.ok()) return s.fileFailure(r);
  if (png) {
    r = writeEchoPictures(s, path, *png);
    if (!r.ok()) return s.fileFailure(r);
  }
  return kExitDone;
}

}  // namespace flowdesk
