// SPDX-License-Identifier: GPL-3.0-or-later
#include "measure/qt/MeasurementDialog.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QTableWidget>
#include <algorithm>

#include "base/Texts.h"
#include "base/qt/Bindings.h"
#include "base/qt/PictureButton.h"
#include "base/qt/UserInterface.h"
#include "base/qt/WindowPrinter.h"
#include "base/qt/core/SystemRegionalSettings.h"
#include "files/qt/ConvertFileDialog.h"
#include "files/qt/KindPrompts.h"
#include "files/qt/PlotDialog.h"
#include "link/AppContext.h"
#include "measure/MeasurementConversion.h"
#include "measure/MeasurementPlot.h"
#include "measure/qt/TrendGraphView.h"
#include "ui_MeasurementDialog.h"

namespace flowdesk {

namespace {

constexpr PictureRole kRoles[] = {
    PictureRole::kSaveDisk, PictureRole::kArretDisk, PictureRole::kPgd, PictureRole::kPgu,
    PictureRole::kPrint,    PictureRole::kHome,      PictureRole::kEnd, PictureRole::kTableur};
static_assert(std::size(kRoles) == kMeasurementButtons);
static_assert(static_cast<std::size_t>(MeasurementButton::kTableur) == 7);

// Each chord column is wide enough for eight digits and the cell margins.
constexpr const char* kColumnWidthSample = "00000000";
constexpr int kCellMargin = 10;

constexpr const char* kPrintTitle = "Measurement";  // the same in both languages

QString qt(const std::string& text) {
  return QString::fromStdString(text);
}

QTableWidgetItem* cell(const std::string& text, Qt::Alignment alignment) {
  auto* item = new QTableWidgetItem(qt(text));
  item->setTextAlignment(alignment | Qt::AlignVCenter);
  return item;
}

}  // namespace

// What the controls show, from the labels and the display of a refresh.
struct MeasurementDialog::Controls {
  struct Label {
    QWidget* control;  // a label, or a group's title
    std::string MeasurementLabels::*text;
  };
  struct Value {
    QLabel* control;
    std::string MeasurementDisplay::*text;
  };
  // The columns of one totalizer row, in the order T1, T2, T3, Vol., T.(1-2).
  struct Totalizer {
    QLabel* label;
    QLabel* mode;
    QLabel* whole;
    QLabel* fraction;
  };

  explicit Controls(const Ui::MeasurementDialog& u)
      : labels{{u.labelFlow, &MeasurementLabels::flow},
               {u.labelSpeed, &MeasurementLabels::speed},
               {u.labelSpeedUnit, &MeasurementLabels::metresPerSecond},
               {u.labelVelocity, &MeasurementLabels::velocity},
               {u.labelVelocityUnit, &MeasurementLabels::metresPerSecond},
               {u.labelKh, &MeasurementLabels::kh},
               {u.labelProbe, &MeasurementLabels::probe},
               {u.labelProbeDiameter, &MeasurementLabels::probeDiameter},
               {u.labelMillimetres, &MeasurementLabels::millimetres},
               {u.groupTotalizers, &MeasurementLabels::totalizers},
               {u.groupLogger, &MeasurementLabels::logger},
               {u.labelLoggerSize, &MeasurementLabels::loggerSize},
               {u.labelLoggerFilled, &MeasurementLabels::recordingFilled},
               {u.groupFault, &MeasurementLabels::fault},
               {u.groupCalorie, &MeasurementLabels::calorie},
               {u.labelPower, &MeasurementLabels::power},
               {u.labelKw, &MeasurementLabels::kw},
               {u.labelT1, &MeasurementLabels::temperature1},
               {u.labelT1Unit, &MeasurementLabels::degreesCelsius},
               {u.labelT2, &MeasurementLabels::temperature2},
               {u.labelT2Unit, &MeasurementLabels::degreesCelsius},
               {u.labelDt, &MeasurementLabels::dt},
               {u.labelDtUnit, &MeasurementLabels::degreesCelsius},
               {u.groupVersions, &MeasurementLabels::softwareVersions},
               {u.labelAff, &MeasurementLabels::aff},
               {u.labelVov, &MeasurementLabels::vov}},
        values{{u.valueAff, &MeasurementDisplay::displayVersion},
               {u.valueVov, &MeasurementDisplay::vovVersion},
               {u.valueFlow, &MeasurementDisplay::flow},
               {u.valueFlowUnit, &MeasurementDisplay::flowUnit},
               {u.valueSpeed, &MeasurementDisplay::velocity},
               {u.valueVelocity, &MeasurementDisplay::soundVelocity},
               {u.valueKh, &MeasurementDisplay::kh},
               {u.valueKhMode, &MeasurementDisplay::khMode},
               {u.valueProbe, &MeasurementDisplay::probe},
               {u.valueProbeDiameter, &MeasurementDisplay::probeDiameter},
               {u.valueLoggerSize, &MeasurementDisplay::loggerSize},
               {u.valueLoggerFilled, &MeasurementDisplay::loggerRecordsFilled},
               {u.valueLoggerFlow, &MeasurementDisplay::loggerFlow},
               {u.valueLoggerDateTime, &MeasurementDisplay::loggerDateTime},
               {u.valuePower, &MeasurementDisplay::power},
               {u.valueT1, &MeasurementDisplay::temperature1},
               {u.valueT2, &MeasurementDisplay::temperature2},
               {u.valueDt, &MeasurementDisplay::temperatureDifference},
               {u.valueUnitDateTime, &MeasurementDisplay::unitDateTime}},
        probeDiameterRow{u.labelProbeDiameter, u.valueProbeDiameter, u.labelMillimetres},
        totalizers{{{u.labelTotal1, u.valueTotalMode1, u.valueTotalWhole1, u.valueTotalFraction1},
                    {u.labelTotal2, u.valueTotalMode2, u.valueTotalWhole2, u.valueTotalFraction2},
                    {u.labelTotal3, u.valueTotalMode3, u.valueTotalWhole3, u.valueTotalFraction3},
                    {u.labelTotal4, u.valueTotalMode4, u.valueTotalWhole4, u.valueTotalFraction4},
                    {u.labelTotal5, u.valueTotalMode5, u.valueTotalWhole5, u.valueTotalFraction5}}},
        faultLines{u.valueFault1, u.valueFault2, u.valueFault3, u.valueFault4, u.valueFault5} {}

  const std::vector<Label> labels;
  const std::vector<Value> values;
  // The probe diameter row: shown only for a probe that has one.
  const std::array<QLabel*, 3> probeDiameterRow;
  const std::array<Totalizer, MeasurementRegion::kTotalizers> totalizers;
  const std::array<QLabel*, 5> faultLines;
};

MeasurementDialog::MeasurementDialog(AppContext& context, QWidget* parent)
    : RecordingScreen(context, parent, {kRoles, FileKind::kMeasurement, kTxtMeasurement}, context,
                      systemRegionalSettings()),
      ui_(std::make_unique<Ui::MeasurementDialog>()) {
  ui_->setupUi(this);
  controls_ = std::make_unique<Controls>(*ui_);
  // GRAPH is the window's own: it plots the file played back and leaves the
  // session's buttons as they are.
  bindButtons({{PictureRole::kGraph, [this] { graph(); }}});
  // A whole poll is two to four block reads, 0.6 s at 9600 baud: input kept
  // during it is acted on after the block in progress instead.
  session_.setCutShort([this] { return heldInput() > 0; });

  // Nothing of the data shows before the first answer or record; the fixed
  // labels are there from the start.
  drawLabels(measurementLabels(context_.settings.language()));
  for (QLabel* line : controls_->faultLines) line->clear();
  for (const Controls::Totalizer& row : controls_->totalizers) {
    for (QLabel* column : {row.label, row.mode, row.whole, row.fraction}) column->hide();
  }
  // The grid is flat: no border, no lines, the window's own background, and
  // rows no taller than their text.
  QTableWidget* table = ui_->tableChords;
  QPalette flat = table->palette();
  flat.setColor(QPalette::Base, palette().color(QPalette::Window));
  table->setPalette(flat);
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
  table->setRowCount(0);
  table->setColumnCount(0);
  // Widened by hand, the boxes keep each value next to its label: the room
  // left over goes to an empty last column.
  ui_->groupMeasureLayout->setColumnStretch(ui_->groupMeasureLayout->columnCount(), 1);
  ui_->groupTotalizersLayout->setColumnStretch(ui_->groupTotalizersLayout->columnCount(), 1);
}

bool MeasurementDialog::load() {
  if (source().fromFile()) {
    if (!session_.openPlayback(source().filePath).ok()) {
      showFileFailure();
      return false;
    }
  } else {
    session_.openLive();
  }
  drawScreen();
  runTimer(session_.timerMs());
  return true;
}

MeasurementDialog::~MeasurementDialog() = default;

void MeasurementDialog::tick() {
  const MeasurementTick outcome = session_.tick();
  runTimer(session_.timerMs());
  if (outcome == MeasurementTick::kNothing) return;
  drawScreen();
  const bool refreshed = outcome == MeasurementTick::kRefreshed ||
                         outcome == MeasurementTick::kRecordShown ||
                         (outcome == MeasurementTick::kRecordFailed && session_.isLive());
  if (refreshed && session_.hasDisplay()) drawDisplay(session_.display());
  if (outcome == MeasurementTick::kRecordFailed) showFileFailure();
}

void MeasurementDialog::drawScreen() {
  const MeasurementScreen& s = session_.screen();
  setWindowTitle(qt(s.title));
  ui_->labelTopLine->setText(qt(s.topLine));
  ui_->labelSecondLine->setText(qt(s.secondLine));
  showButtons();
  showPicture(PictureRole::kGraph, !session_.isLive());
}

void MeasurementDialog::drawLabels(const MeasurementLabels& labels) {
  for (const Controls::Label& r : controls_->labels)
    setControlText(r.control, qt(labels.*(r.text)));
}

void MeasurementDialog::drawDisplay(const MeasurementDisplay& d) {
  drawLabels(d.labels);
  for (const Controls::Value& r : controls_->values) r.control->setText(qt(d.*(r.text)));
  for (QLabel* w : controls_->probeDiameterRow) w->setVisible(d.probeDiameterVisible);
  ui_->groupLogger->setVisible(d.loggerBoxVisible);
  ui_->groupCalorie->setVisible(d.calorimetryBoxVisible);
  for (std::size_t i = 0; i < d.faultLines.size() && i < controls_->faultLines.size(); ++i) {
    controls_->faultLines[i]->setText(qt(d.faultLines[i]));
  }
  for (std::size_t i = 0; i < d.totalizers.size() && i < controls_->totalizers.size(); ++i) {
    const TotalizerRow& t = d.totalizers[i];
    const Controls::Totalizer& c = controls_->totalizers[i];
    const std::pair<QLabel*, const std::string*> columns[] = {
        {c.label, &t.label}, {c.mode, &t.mode}, {c.whole, &t.whole}, {c.fraction, &t.fraction}};
    for (const auto& [control, text] : columns) {
      control->setText(qt(*text));
      control->setVisible(t.visible);
    }
  }
  ui_->trendGraph->setInput(d.trend);
  if (d.chordGrid.rebuild) rebuildChordGrid(d.chordGrid);
  fillChordGrid(d.chordGrid);
}

void MeasurementDialog::rebuildChordGrid(const ChordGrid& grid) {
  QTableWidget* table = ui_->tableChords;
  table->clear();
  table->setRowCount(kChordGridRows + 1);
  table->setColumnCount(grid.chords + 1);
  const int width =
      table->fontMetrics().horizontalAdvance(QString::fromLatin1(kColumnWidthSample)) + kCellMargin;
  for (int column = 0; column <= grid.chords; ++column) table->setColumnWidth(column, width);
  table->setItem(0, 0, cell({}, Qt::AlignHCenter));
  for (int row = 0; row < kChordGridRows; ++row) {
    table->setItem(row + 1, 0,
                   cell(grid.rowTitles[static_cast<std::size_t>(row)], Qt::AlignHCenter));
  }
  for (int k = 0; k < grid.chords; ++k) {
    table->setItem(0, k + 1, cell(grid.columnTitles[static_cast<std::size_t>(k)], Qt::AlignLeft));
  }
  // The grid asks for all its columns and rows, and the window follows the
  // chord count: six chords show without a scroll bar, one chord gives the
  // room back.
  const int frame = 2 * table->frameWidth();
  table->setMinimumSize((grid.chords + 1) * width + frame,
                        table->rowCount() * table->verticalHeader()->defaultSectionSize() + frame);
  layout()->activate();
  resize(sizeHint().expandedTo(minimumSizeHint()).width(), std::max(height(), sizeHint().height()));
}

void MeasurementDialog::fillChordGrid(const ChordGrid& grid) {
  QTableWidget* table = ui_->tableChords;
  for (int row = 0; row < kChordGridRows; ++row) {
    const auto& values = grid.cells[static_cast<std::size_t>(row)];
    for (int k = 0; k < grid.chords && k < static_cast<int>(values.size()); ++k) {
      const QString text = qt(values[static_cast<std::size_t>(k)]);
      if (QTableWidgetItem* item = table->item(row + 1, k + 1)) {
        item->setText(text);
      } else {
        table->setItem(row + 1, k + 1, cell(values[static_cast<std::size_t>(k)], Qt::AlignLeft));
      }
    }
  }
}

void MeasurementDialog::print() {
  if (!session_.screen().shown(MeasurementButton::kPrint)) return;
  // A live screen shows the unit's own date and time; a file's does not.
  printWithNote(kPrintTitle, source().fromFile(), ui_->labelSecondLine);
}

void MeasurementDialog::tableur() {
  if (!session_.screen().shown(MeasurementButton::kTableur)) return;
  ConvertFileDialog::run(context_, source().filePath,
                         std::make_unique<MeasurementConversionSource>(systemRegionalSettings()),
                         this);
}

void MeasurementDialog::graph() {
  if (session_.isLive()) return;
  PlotDialog::run(context_, source().filePath, std::make_unique<MeasurementPlotSource>(), this);
}

bool MeasurementDialog::readyToClose() {
  session_.close();
  return true;
}

}  // namespace flowdesk
