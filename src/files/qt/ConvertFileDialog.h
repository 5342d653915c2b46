// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>
#include <string>

#include "base/BinaryFile.h"
#include "base/qt/Bindings.h"
#include "files/SpreadsheetConversion.h"
#include "link/qt/Screen.h"

namespace Ui {
class ConvertFileDialog;
}

namespace flowdesk {

class AppContext;

// The conversion screen ("Convertir Fichier"): a recorded file made into tab-separated text for a
// spreadsheet, record by record, with its counters and a progress bar; then the spreadsheet program
// of the settings is started on the text. The kind of file is the source's business, so the same
// screen serves every recorded file kind.
class ConvertFileDialog : public Screen {
  Q_OBJECT
 public:
  // The progress display is drawn at most this many times a second.
  static constexpr int kRefreshesPerSecond = 30;
  static constexpr int kStartMs = 100;

  // Opened on the file to convert.
  ConvertFileDialog(AppContext& context, std::unique_ptr<ConversionSource> source,
                    QWidget* parent = nullptr);
  ~ConvertFileDialog() override;

  // TABLEUR: the save dialog, then the screen (a cancel converts nothing).
  static void run(AppContext& context, const std::string& inputPath,
                  std::unique_ptr<ConversionSource> source, QWidget* parent);

  const BindingRows& bindings() const { return rows_; }

  // The conversion, as the timer tick runs it: every record, then the
  // spreadsheet program. True when the program was started (the screen then
  // closes).
  bool convert();

  const std::string& outputPath() const { return outputPath_; }
  // Why the last conversion stopped short, if it did.
  const FileResult& fileResult() const { return result_; }
  bool running() const { return running_; }

 protected:
  // The save dialog with the proposed name: false when the operator
  // cancelled (the screen is then not run). On a choice the conversion
  // starts at the screen's first timer tick.
  bool load() override;
  void tick() override { convert(); }

 private:
  void showCounters(const ConversionCounters& counters);

  std::unique_ptr<ConversionSource> source_;
  const BindingRows rows_;
  std::unique_ptr<Ui::ConvertFileDialog> ui_;
  std::string outputPath_;
  FileResult result_;
  bool running_ = false;
};

}  // namespace flowdesk
