// SPDX-License-Identifier: GPL-3.0-or-later
// FLOWDESK_BENCH_QT
// The work of a verification report after its sampling window: SAMPLES
// samples (default 600, a minute at the measurement screen's pace) of a
// six-chord unit summed up, checked, worded, written as a PDF with six echo
// pictures and as JSON. Goals: under 1 s, and a PDF under 2 MB. Prints the
// time of each part and the PDF's size.
// Usage: bench_report_pdf [SAMPLES]
#include <QGuiApplication>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "report/ReportChecks.h"
#include "report/ReportDocument.h"
#include "report/ReportJson.h"
#include "report/qt/core/ReportPdf.h"
#include "unit/EchoPicture.h"

using namespace flowdesk;

namespace {

double msSince(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t).count();
}

}  // namespace

int main(int argc, char** argv) {
  const long samples = argc > 1 ? std::atol(argv[1]) : 600;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QGuiApplication app(argc, argv);

  // The samples are made before the clock starts: the unit's polls are the
  // window's, not the report's.
  std::vector<MeasurementRegion> polls(static_cast<std::size_t>(samples));
  for (long i = 0; i < samples; ++i) {
    MeasurementRegion& m = polls[static_cast<std::size_t>(i)];
    m.chordsInUse = 6;
    for (int k = 0; k < 6; ++k) {
      const double wobble = std::sin(0.37 * static_cast<double>(i) + k);
      m.chords[static_cast<std::size_t>(k)] = {static_cast<float>(45 + k), 600, 180.5F,
                                               static_cast<float>(3.5 + 0.05 * wobble),
                                               static_cast<float>(1550 + 0.3 * wobble)};
    }
    m.temperature1 = 60;
    m.soundVelocity = 1550;
    m.flow = 7;
  }
  std::vector<ChordEcho> echoes;
  unit::Snapshot snapshot;
  snapshot.chords = 6;
  for (int k = 1; k <= 6; ++k) {
    const unit::EchoImage picture = unit::renderEcho(4 * (k - 1) + 1, snapshot, 0.1 * k);
    EchoImage image{};
    std::copy(picture.begin(), picture.end(), image.begin());
    echoes.push_back({k, 4 * (k - 1) + 1, image});
  }

  const auto start = std::chrono::steady_clock::now();
  ReportFigures figures;
  for (const MeasurementRegion& m : polls) figures.addSample(m);
  const ReportSummary summary = summarize(figures, ReportLimits{}, std::nullopt);
  const double statsMs = msSince(start);
  ReportHeader header;
  header.site = "Bench";
  const std::string json = reportJson(header, figures, summary);
  std::vector<std::pair<std::string, std::string>> identification = {{"Unit code", "1"}};
  const ReportDocument document = reportDocument(header, identification, figures, summary,
                                                 {1, 2, 3, 4, 5, 6}, RegionalSettings{});
  const double wordsMs = msSince(start);
  const std::vector<std::uint8_t> pdf = reportPdfBytes(document, echoes);
  const double totalMs = msSince(start);
  std::printf(
      "samples %ld: statistics and checks %.1f ms, JSON and texts %.1f ms, PDF %.1f ms, "
      "total %.1f ms (goal 1000)\n",
      samples, statsMs, wordsMs - statsMs, totalMs - wordsMs, totalMs);
  std::printf("PDF %zu bytes (goal under 2 MB), JSON %zu bytes\n", pdf.size(), json.size());
  return totalMs < 1000 && pdf.size() < 2u * 1024 * 1024 ? 0 : 1;
}
