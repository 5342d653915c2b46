// SPDX-License-Identifier: GPL-3.0-or-later
#include <ctime>
#include <span>
#include <string>

#include "cli/CliSession.h"
#include "config/UnitWrites.h"
#include "report/ReportChecks.h"
#include "report/ReportDocument.h"
#include "report/ReportIdentification.h"
#include "report/ReportJson.h"
#include "report/ReportLimits.h"
#include "report/VerificationSession.h"

namespace flowdesk {

namespace {

constexpr long kMaxSeconds = 24 * 3600;
constexpr long long kMaxSideFile = 1 << 20;  // a limits file or a baseline JSON

// Exit status of a report that was written and has a failed check.
constexpr int kExitCheckFailed = 4;

// A small text file read whole: a limits file, a baseline.
std::optional<std::string> readSideFile(CliSession& s, const std::string& path, int& status) {
  Bytes bytes;
  const FileResult r = readWholeFile(path, bytes, kMaxSideFile);
  if (!r.ok()) {
    status = s.fileFailure(r);
    return std::nullopt;
  }
  return std::string(bytes.begin(), bytes.end());
}

}  // namespace

int runReport(CliSession& s) {
  CommandArgs args({{"--seconds", true},
                    {"--limits", true},
                    {"--baseline", true},
                    {"--operator", true},
                    {"--site", true},
                    {"--tag", true},
                    {"--no-echo", false}});
  if (const auto refused = s.readArgs(args)) return *refused;
  if (args.positional().size() != 1) return s.wantsOneFile("report");
  const std::string pdf = args.positional().front();
  if (pdf.size() <= 4 || !pdf.ends_with(".pdf")) return s.usage(s.text(kTxtCliReportWrites) + pdf);
  const std::string json = pdf.substr(0, pdf.size() - 4) + ".json";
  if (!s.writeReportPdf) return s.usage(s.text(kTxtCliReportNoPdf));

  VerificationRequest request;
  if (auto given = args.value("--seconds")) {
    const auto n = parseWholeNumber(*given, 1, kMaxSeconds);
    if (!n) return s.wantsNumber("--seconds", 1, kMaxSeconds);
    request.seconds = static_cast<double>(*n);
  }
  request.echo = !args.has("--no-echo");
  int status = kExitDone;
  ReportLimits limits;
  if (auto path = args.value("--limits")) {
    const auto text = readSideFile(s, *path, status);
    if (!text) return status;
    std::string error;
    const auto read = parseReportLimits(*text, s.language, error);
    if (!read) return s.usage(*path + ": " + error);
    limits = *read;
  }
  std::optional<ReportBaseline> baseline;
  if (auto path = args.value("--baseline")) {
    const auto text = readSideFile(s, *path, status);
    if (!text) return status;
    std::string error;
    baseline = readReportBaseline(*text, s.language, error);
    if (!baseline) return s.usage(*path + ": " + error);
  }

  // The measurement screen's pace: a poll at every tick of its timer, the
  // next tick waiting for the rest of the period when a poll was quicker.
  VerificationSession session(s.app, s.regional);
  const std::time_t started = std::time(nullptr);
  Clock& clock = s.app.master.clock();
  session.start(request);
  LocalDateTime pcAtLastSample = systemLocalTime();
  long long lastShown = -1;
  bool echoSaid = false;
  while (!session.finished()) {
    const std::int64_t tickStart = clock.nowMs();
    const VerificationTick tick = session.tick();
    if (tick == VerificationTick::kSampled) pcAtLastSample = systemLocalTime();
    const ReportFigures& f = session.figures();
    if (session.sampling()) {
      const auto left = static_cast<long long>(session.secondsLeft() + 0.999);
      if (left != lastShown) {
        lastShown = left;
        s.err << textWithNumbers(s.text(kTxtCliReportProgress),
                                 {left, f.samples(), f.failedPolls()})
              << "\n";
      }
    } else if (!echoSaid && !session.finished()) {
      echoSaid = true;
      s.err << s.text(kTxtCliReportEchoes) << "\n";
    }
    const int period = session.timerMs();
    const std::int64_t wait = tickStart + period - clock.nowMs();
    if (period > 0 && wait > 0) clock.waitReadable(-1, static_cast<int>(wait));
  }
  if (session.echoStopFailed())
    s.err << "flowdesk-cli: " << s.text(kTxtCliReportEchoStopFailed) << "\n";

  const ReportFigures& figures = session.figures();
  if (figures.samples() == 0)
    return s.fail(kExitNoUnit, s.text(kTxtCliReportNoSample), session.lastRead());

  const ReportSummary summary = summarize(figures, limits, baseline);
  ReportHeader header = reportHeader(s.app, session, started, request.seconds, s.language);
  header.operatorName = args.value("--operator").value_or("");
  header.site = args.value("--site").value_or("");
  header.tag = args.value("--tag").value_or("");
  std::vector<int> echoChords;
  for (const ChordEcho& e : session.echoes()) echoChords.push_back(e.chord);
  const ReportDocument document = reportDocument(
      header, reportIdentification(s.app, session, pcAtLastSample, s.language, s.regional), figures,
      summary, echoChords, s.regional);
  if (const FileResult r = s.writeReportPdf(pdf, document, session.echoes()); !r.ok())
    return s.fileFailure(r);
  const std::string text = reportJson(header, figures, summary);
  if (const FileResult r = writeFileAtomic(
          json, std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(text.data()),
                                              text.size()));
      !r.ok())
    return s.fileFailure(r);
  s.out << pdf << "\n" << json << "\n";
  if (summary.pass) return kExitDone;
  std::string failed;
  for (const ReportCheck& c : summary.checks) {
    if (c.pass) continue;
    if (!failed.empty()) failed += ", ";
    failed += c.name + (c.chord > 0 ? " " + std::to_string(c.chord) : "");
  }
  return s.fail(kExitCheckFailed, s.text(kTxtCliReportFailed) + failed);
}

}  // namespace flowdesk
