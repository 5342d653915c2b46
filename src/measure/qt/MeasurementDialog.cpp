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

// What the controls show, from the labels and the display of a refresh.
struct LabelRow {
  const char* control;
  std::string MeasurementLabels::*text;
};
struct ValueRow {
  const char* control;
  std::string MeasurementDisplay::*text;
};

constexpr LabelRow kLabelRows[] = {
    {"labelFlow", &MeasurementLabels::flow},
    {"labelSpeed", &MeasurementLabels::speed},
    {"labelSpeedUnit", &MeasurementLabels::metresPerSecond},
    {"labelVelocity", &MeasurementLabels::velocity},
    {"labelVelocityUnit", &MeasurementLabels::metresPerSecond},
    {"labelKh", &MeasurementLabels::kh},
    {"labelProbe", &MeasurementLabels::probe},
    {"labelProbeDiameter", &MeasurementLabels::probeDiameter},
    {"labelMillimetres", &MeasurementLabels::millimetres},
    {"groupTotalizers", &MeasurementLabels::totalizers},
    {"groupLogger", &MeasurementLabels::logger},
    {"labelLoggerSize", &MeasurementLabels::loggerSize},
    {"labelLoggerFilled", &MeasurementLabels::recordingFilled},
    {"groupFault", &MeasurementLabels::fault},
    {"groupCalorie", &MeasurementLabels::calorie},
    {"labelPower", &MeasurementLabels::power},
    {"labelKw", &MeasurementLabels::kw},
    {"labelT1", &MeasurementLabels::temperature1},
    {"labelT1Unit", &MeasurementLabels::degreesCelsius},
    {"labelT2", &MeasurementLabels::temperature2},
    {"labelT2Unit", &MeasurementLabels::degreesCelsius},
    {"labelDt", &MeasurementLabels::dt},
    {"labelDtUnit", &MeasurementLabels::degreesCelsius},
    {"groupVersions", &MeasurementLabels::softwareVersions},
    {"labelAff", &MeasurementLabels::aff},
    {"labelVov", &MeasurementLabels::vov},
};

constexpr ValueRow kValueRows[] = {
    {"valueAff", &MeasurementDisplay::displayVersion},
    {"valueVov", &MeasurementDisplay::vovVersion},
    {"valueFlow", &MeasurementDisplay::flow},
    {"valueFlowUnit", &MeasurementDisplay::flowUnit},
    {"valueSpeed", &MeasurementDisplay::velocity},
    {"valueVelocity", &MeasurementDisplay::soundVelocity},
    {"valueKh", &MeasurementDisplay::kh},
    {"valueKhMode", &MeasurementDisplay::khMode},
    {"valueProbe", &MeasurementDisplay::probe},
    {"valueProbeDiameter", &MeasurementDisplay::probeDiameter},
    {"valueLoggerSize", &MeasurementDisplay::loggerSize},
    {"valueLoggerFilled", &MeasurementDisplay::loggerRecordsFilled},
    {"valueLoggerFlow", &MeasurementDisplay::loggerFlow},
    {"valueLoggerDateTime", &MeasurementDisplay::loggerDateTime},
    {"valuePower", &MeasurementDisplay::power},
    {"valueT1", &MeasurementDisplay::temperature1},
    {"valueT2", &MeasurementDisplay::temperature2},
    {"valueDt", &MeasurementDisplay::temperatureDifference},
    {"valueUnitDateTime", &MeasurementDisplay::unitDateTime},
};

// The probe diameter row: shown only for a probe that has one.
constexpr const char* kProbeDiameterRow[] = {"labelProbeDiameter", "valueProbeDiameter",
                                             "labelMillimetres"};

// The columns of one totalizer row, in the order T1, T2, T3, Vol., T.(1-2).
struct TotalizerControls {
  const char* label;
  const char* mode;
  const char* whole;
  const char* fraction;
};
constexpr TotalizerControls kTotalizerRows[MeasurementRegion::kTotalizers] = {
    {"labelTotal1", "valueTotalMode1", "valueTotalWhole1", "valueTotalFraction1"},
    {"labelTotal2", "valueTotalMode2", "valueTotalWhole2", "valueTotalFraction2"},
    {"labelTotal3", "valueTotalMode3", "valueTotalWhole3", "valueTotalFraction3"},
    {"labelTotal4", "valueTotalMode4", "valueTotalWhole4", "valueTotalFraction4"},
    {"labelTotal5", "valueTotalMode5", "valueTotalWhole5", "valueTotalFraction5"},
};

constexpr const char* kFaultLines[] = {"valueFault1", "valueFault2", "valueFault3", "valueFault4",
                                       "valueFault5"};

// The picture buttons: the session's name for each, its role and control.
struct ButtonRow {
  MeasurementButton button;
  PictureRole role;
  const char* control;
};
constexpr ButtonRow kButtonRows[] = {
    {MeasurementButton::kSaveDisk, PictureRole::SaveDisk, "buttonSaveDisk"},
    {MeasurementButton::kArretDisk, PictureRole::ArretDisk, "buttonArretDisk"},
    {MeasurementButton::kPgd, PictureRole::Pgd, "buttonPgd"},
    {MeasurementButton::kPgu, PictureRole::Pgu, "buttonPgu"},
    {MeasurementButton::kPrint, PictureRole::Print, "buttonPrint"},
    {MeasurementButton::kHome, PictureRole::Home, "buttonHome"},
    {MeasurementButton::kEnd, PictureRole::End, "buttonEnd"},
    {MeasurementButton::kTableur, PictureRole::Tableur, "buttonTableur"},
};
static_assert(std::size(kButtonRows) == kMeasurementButtons);

PictureRole roleOf(MeasurementButton b) {
  for (const ButtonRow& r : kButtonRows) {
    if (r.button == b) return r.role;
  }
  return PictureRole::Print;
}

constexpr const char* kGraphControl = "buttonGraph";

constexpr const char* kOtherControls[] = {"labelTopLine", "labelSecondLine", "trendGraph",
                                          "tableChords"};

// Each chord column is wide enough for eight digits and the cell margins.
constexpr const char* kColumnWidthSample = "00000000";
constexpr int kCellMargin = 10;

constexpr const char* kPrintTitle = "Measurement";  // the same in both languages

QString qt(const std::string& text) {
  return QString::fromStdString(text);
}

QWidget* control(QWidget& window, const char* name) {
  return window.findChild<QWidget*>(QString::fromLatin1(name));
}

void setText(QWidget& window, const char* name, const std::string& text) {
  if (QWidget* w = control(window, name)) setControlText(w, qt(text));
}

void showControl(QWidget& window, const char* name, bool visible) {
  if (QWidget* w = control(window, name)) w->setVisible(visible);
}

QTableWidgetItem* cell(const std::string& text, Qt::Alignment alignment) {
  auto* item = new QTableWidgetItem(qt(text));
  item->setTextAlignment(alignment | Qt::AlignVCenter);
  return item;
}

}  // namespace

MeasurementDialog::MeasurementDialog(AppContext& context, QWidget* parent)
    : Screen(context, parent),
      session_(context, systemRegionalSettings()),
      ui_(std::make_unique<Ui::MeasurementDialog>()) {
  ui_->setupUi(this);
  std::vector<PictureRow> pictures;
  for (const ButtonRow& r : kButtonRows) {
    // Recording is a flag the tick reads after its exchange, and its
    // prompt needs nothing from the unit: SAVEDISK and ARRETDISK act at once.
    const bool atOnce = r.role == PictureRole::SaveDisk || r.role == PictureRole::ArretDisk;
    pictures.push_back({r.role, r.control, [this, b = r.button] { press(b); }, atOnce});
  }
  // GRAPH is the window's own: it plots the file played back and leaves the
  // session's buttons as they are.
  pictures.push_back({PictureRole::Graph, kGraphControl, [this] { graph(); }});
  bindPictures(pictures, ShortcutContext::Viewer);
  for (PictureRole role : pictureRoles()) showPicture(role, false);
  // A whole poll is two to four block reads, 0.6 s at 9600 baud: input kept
  // during it is acted on after the block in progress instead.
  session_.setCutShort([this] { return heldInput() > 0; });

  // Nothing of the data shows before the first answer or record; the fixed
  // labels are there from the start.
  const Language language = context_.settings.language();
  drawLabels(measurementLabels(language));
  for (const char* line : kFaultLines) setText(*this, line, {});
  for (const TotalizerControls& row : kTotalizerRows) {
    for (const char* name : {row.label, row.mode, row.whole, row.fraction}) {
      showControl(*this, name, false);
    }
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

std::vector<std::string> MeasurementDialog::boundControls() {
  std::vector<std::string> names;
  for (const LabelRow& r : kLabelRows) names.emplace_back(r.control);
  for (const ValueRow& r : kValueRows) names.emplace_back(r.control);
  for (const TotalizerControls& r : kTotalizerRows) {
    for (const char* name : {r.label, r.mode, r.whole, r.fraction}) names.emplace_back(name);
  }
  for (const char* name : kFaultLines) names.emplace_back(name);
  for (const ButtonRow& r : kButtonRows) names.emplace_back(r.control);
  for (const char* name : kOtherControls) names.emplace_back(name);
  names.emplace_back(kGraphControl);
  return names;
}

PictureButton* MeasurementDialog::button(MeasurementButton b) const {
  return picture(roleOf(b));
}

void MeasurementDialog::press(MeasurementButton b) {
  switch (b) {
    case MeasurementButton::kSaveDisk:
      return saveDisk();
    case MeasurementButton::kArretDisk:
      return arretDisk();
    case MeasurementButton::kPrint:
      return print();
    case MeasurementButton::kTableur:
      return tableur();
    default:
      return navigate(b);
  }
}

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

void MeasurementDialog::showFileFailure() {
  const Language language = session_.language();
  userInterface().message(this, UserInterface::Icon::Critical,
                          QString::fromUtf8(kTxtMeasurement.text(language)),
                          qt(session_.fileResult().message(language)));
}

void MeasurementDialog::drawScreen() {
  const MeasurementScreen& s = session_.screen();
  setWindowTitle(qt(s.title));
  ui_->labelTopLine->setText(qt(s.topLine));
  ui_->labelSecondLine->setText(qt(s.secondLine));
  for (const ButtonRow& r : kButtonRows) showPicture(r.role, s.shown(r.button));
  showPicture(PictureRole::Graph, !session_.isLive());
}

void MeasurementDialog::drawLabels(const MeasurementLabels& labels) {
  for (const LabelRow& r : kLabelRows) setText(*this, r.control, labels.*(r.text));
}

void MeasurementDialog::drawDisplay(const MeasurementDisplay& d) {
  drawLabels(d.labels);
  for (const ValueRow& r : kValueRows) setText(*this, r.control, d.*(r.text));
  for (const char* name : kProbeDiameterRow) showControl(*this, name, d.probeDiameterVisible);
  ui_->groupLogger->setVisible(d.loggerBoxVisible);
  ui_->groupCalorie->setVisible(d.calorimetryBoxVisible);
  for (std::size_t i = 0; i < d.faultLines.size(); ++i) {
    setText(*this, kFaultLines[i], d.faultLines[i]);
  }
  for (std::size_t i = 0; i < d.totalizers.size(); ++i) {
    const TotalizerRow& t = d.totalizers[i];
    const TotalizerControls& c = kTotalizerRows[i];
    const std::pair<const char*, const std::string*> columns[] = {
        {c.label, &t.label}, {c.mode, &t.mode}, {c.whole, &t.whole}, {c.fraction, &t.fraction}};
    for (const auto& [name, text] : columns) {
      setText(*this, name, *text);
      showControl(*this, name, t.visible);
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

void MeasurementDialog::saveDisk() {
  if (!session_.screen().shown(MeasurementButton::kSaveDisk) || !session_.canStartRecording()) {
    return;
  }
  const std::optional<std::string> path = askSavePath(this, context_, FileKind::Measurement);
  if (!path) return;
  session_.startRecording(*path);
  drawScreen();
}

void MeasurementDialog::arretDisk() {
  if (session_.stopRecording()) drawScreen();
}

void MeasurementDialog::navigate(MeasurementButton b) {
  if (session_.navigate(b)) runTimer(session_.timerMs());
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
