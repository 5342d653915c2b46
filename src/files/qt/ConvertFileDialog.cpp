// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/qt/ConvertFileDialog.h"

#include <QLabel>
#include <QProgressBar>
#include <limits>

#include "base/Clock.h"
#include "base/FileFilters.h"
#include "base/FileNames.h"
#include "base/Texts.h"
#include "base/qt/ProgramLauncher.h"
#include "base/qt/UserInterface.h"
#include "link/AppContext.h"
#include "ui_ConvertFileDialog.h"

namespace flowdesk {

namespace {

QString qt(const std::string& text) {
  return QString::fromStdString(text);
}

// A progress bar counts in int: a larger total is shown in proportion.
int barValue(long long value, long long total) {
  constexpr long long kMax = std::numeric_limits<int>::max();
  if (total <= kMax) return static_cast<int>(value);
  return static_cast<int>(value * kMax / total);
}

}  // namespace

ConvertFileDialog::ConvertFileDialog(AppContext& context, std::unique_ptr<ConversionSource> source,
                                     QWidget* parent)
    : Screen(context, parent),
      source_(std::move(source)),
      // Every control the screen binds, declared here once.
      rows_{.labels = {{"labelFileIn", kTxtFileIn},
                       {"labelFileOut", kTxtFileOut},
                       {"labelTotalRecord", kTxtTotalRecord},
                       {"labelCurrentRecord", kTxtCurrentRecord},
                       {"labelFirstDate", kTxtFirstDate},
                       {"labelLastDate", kTxtLastDate}}},
      ui_(std::make_unique<Ui::ConvertFileDialog>()) {
  ui_->setupUi(this);
  const Language language = context_.settings.language();
  setWindowTitle(QString::fromUtf8(kTxtConvertFile.text(language)));
  setLabels(*this, rows_.labels, language);
}

ConvertFileDialog::~ConvertFileDialog() = default;

bool ConvertFileDialog::load() {
  const Language language = context_.settings.language();
  ui_->valueFileIn->setText(qt(source().filePath));
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::kSave;
  // A file path as the folder: the dialog opens in it with the name proposed.
  request.folder = qt(context_.settings.LastPathPrnFileName + prnNameFor(source().filePath));
  for (const std::string& f : qtFilters(filterText(kTxtFileOut.text(language), "prn"))) {
    request.filters << qt(f);
  }
  const QString chosen = userInterface().chooseFile(this, request);
  if (chosen.isEmpty()) return false;
  outputPath_ = chosen.toStdString();
  context_.settings.LastPathPrnFileName = lastPathName(outputPath_);
  ui_->valueFileOut->setText(chosen);
  running_ = false;
  runTimer(kStartMs);
  return true;
}

void ConvertFileDialog::showCounters(const ConversionCounters& c) {
  ui_->valueTotalRecord->setText(QString::number(c.total));
  ui_->valueCurrentRecord->setText(QString::number(c.converted));
  ui_->valueFirstDate->setText(qt(c.firstDate));
  ui_->valueLastDate->setText(qt(c.lastDate));
  ui_->progressBar->setRange(0, barValue(c.total, c.total));
  ui_->progressBar->setValue(barValue(c.converted, c.total));
  repaint();
}

bool ConvertFileDialog::convert() {
  if (running_ || outputPath_.empty()) return false;
  runTimer(kTimerStopped);
  running_ = true;
  SpreadsheetConversion conversion(*source_, source().filePath, outputPath_,
                                   context_.settings.language());
  result_ = conversion.run(
      systemClock(), [this](const ConversionCounters& c) { showCounters(c); }, kRefreshesPerSecond);
  showCounters(conversion.counters());
  running_ = false;
  if (!result_.ok()) {
    const Language language = context_.settings.language();
    userInterface().message(this, UserInterface::Icon::kCritical,
                            QString::fromUtf8(kTxtConvertFile.text(language)),
                            qt(result_.message(language)));
    return false;
  }
  // Without a spreadsheet program, or when it cannot start, the screen
  // stays open on its counts.
  const std::string& program = context_.settings.LastFileSpName;
  if (program.empty() || !startProgram(qt(program), qt(outputPath_))) return false;
  accept();
  return true;
}

void ConvertFileDialog::run(AppContext& context, const std::string& inputPath,
                            std::unique_ptr<ConversionSource> source, QWidget* parent) {
  ConvertFileDialog convert(context, std::move(source), parent);
  if (convert.open(ScreenSource::file(inputPath))) userInterface().runDialog(convert);
}

}  // namespace flowdesk
