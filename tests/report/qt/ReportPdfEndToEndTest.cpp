// SPDX-License-Identifier: GPL-3.0-or-later
// The report's PDF read back as text by pdftotext, as a search or a reader
// for the blind would read it: every section, in each language, and a long
// table carried over to the next page with its head.
#include <gtest/gtest.h>

#include <QProcess>
#include <QStandardPaths>
#include <string>

#include "report/ReportChecks.h"
#include "report/ReportDocument.h"
#include "report/qt/core/ReportPdf.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

std::string pdfText(const std::string& path) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QString::fromStdString(path), QStringLiteral("-")});
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return {};
  return p.readAllStandardOutput().toStdString();
}

TEST(ReportPdf, EverySectionIsSearchableTextInEachLanguage) {
  if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
    GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
  ReportFigures figures;
  for (int i = 0; i < 5; ++i) {
    MeasurementRegion m;
    m.chordsInUse = 6;
    for (auto& c : m.chords) c = {40, 10, 100, 1.0F + 0.01F * static_cast<float>(i), 1480};
    m.temperature1 = 20;
    m.soundVelocity = 1482;
    figures.addSample(m);
  }
  ReportBaseline baseline;
  for (int k = 1; k <= 6; ++k) baseline.chords.push_back({k, 1.0, 1480, 40, 0.5});
  const ReportSummary summary = summarize(figures, ReportLimits{}, baseline);
  // Enough identification rows to run over a page.
  std::vector<std::pair<std::string, std::string>> identification;
  for (int i = 0; i < 80; ++i) identification.emplace_back("row " + std::to_string(i), "value");
  EchoImage picture{};
  const std::vector<ChordEcho> echoes = {{1, 1, picture}, {2, 5, std::nullopt}};
  testing::TempDir dir;
  for (const Language language : {kFrench, kEnglish}) {
    SCOPED_TRACE(languageIndex(language));
    ReportHeader header;
    header.language = language;
    header.site = "Usine Nord";
    const ReportDocument d =
        reportDocument(header, identification, figures, summary, {1, 2}, RegionalSettings{});
    const std::string path = dir.file("report.pdf");
    ASSERT_TRUE(writeReportPdf(path, d, echoes).ok());
    const std::string text = pdfText(path);
    ASSERT_FALSE(text.empty());
    // pdftotext writes "fi" as one ligature character: each title is
    // looked for by its last letters.
    for (const ReportSection& section : d.tables) {
      EXPECT_NE(text.find(section.title.substr(section.title.size() - 4)), std::string::npos)
          << section.title;
    }
    EXPECT_NE(text.find("Usine Nord"), std::string::npos);
    EXPECT_NE(text.find(d.verdict), std::string::npos);
    EXPECT_NE(text.find(d.echoCaptions.back()), std::string::npos);
    EXPECT_NE(text.find("row 79"), std::string::npos);
    EXPECT_NE(text.find(language == kFrench ? "Page 1 sur " : "Page 1 of "), std::string::npos);
    EXPECT_NE(text.find(language == kFrench ? "Page 2 sur " : "Page 2 of "), std::string::npos);
    EXPECT_NE(text.find("(\xE2\x80\xA6)"), std::string::npos);  // the table carried over
  }
}

}  // namespace
}  // namespace flowdesk
