// SPDX-License-Identifier: GPL-3.0-or-later
#include "logger/qt/LoggerViewerDialog.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTableWidget>
#include <algorithm>

#include "base/Texts.h"
#include "base/qt/PictureButton.h"
#include "base/qt/core/SystemRegionalSettings.h"
#include "files/qt/ConvertFileDialog.h"
#include "files/qt/KindPrompts.h"
#include "files/qt/PlotDialog.h"
#include "link/AppContext.h"
#include "logger/LoggerConversion.h"
#include "logger/LoggerPlot.h"
#include "logger/qt/LoggerDownloadWindow.h"
#include "logger/qt/StatusHelpWindow.h"
#include "ui_LoggerViewerDialog.h"

namespace flowdesk {

namespace {

using C = LoggerControl;

// The picture buttons: the session's name for each and its role.
struct PictureControl {
  LoggerControl control;
  PictureRole role;
};
constexpr PictureControl kPictureControls[] = {
    {C::kSaveDisk, PictureRole::kSaveDisk}, {C::kArretDisk, PictureRole::kArretDisk},
    {C::kPgd, PictureRole::kPgd},           {C::kPgu, PictureRole::kPgu},
    {C::kPrint, PictureRole::kPrint},       {C::kHome, PictureRole::kHome},
    {C::kEnd, PictureRole::kEnd},           {C::kTableur, PictureRole::kTableur},
};
// The controls that come and go besides the picture buttons.
constexpr std::size_t kPlainControls = 3;
static_assert(std::size(kPictureControls) + kPlainControls == kLoggerControls);

constexpr int kCellMargin = 10;

QString qt(const std::string& text) {
  return QString::fromStdString(text);
}

Qt::Alignment alignment(LoggerAlign a) {
  switch (a) {
    case LoggerAlign::kCentre:
      return Qt::AlignHCenter | Qt::AlignVCenter;
    case LoggerAlign::kRight:
      return Qt::AlignRight | Qt::AlignVCenter;
    case LoggerAlign::kLeft:
      break;
  }
  return Qt::AlignLeft | Qt::AlignVCenter;
}

BindingRows viewerRows() {
  BindingRows rows;
  rows.labels = {
      {"labelTotal", kTxtTotalRecordings},
      {"buttonGo", kTxtGoRecord},
      {"buttonHelp", kTxtHelpStatus},
  };
  return rows;
}

}  // namespace

LoggerViewerDialog::LoggerViewerDialog(AppContext& context, QWidget* parent)
    : Screen(context, parent),
      session_(context, systemRegionalSettings()),
      rows_(viewerRows()),
      ui_(std::make_unique<Ui::LoggerViewerDialog>()) {
  ui_->setupUi(this);
  setLabels(*this, rows_.labels, language());
  std::vector<PictureRow> pictures;
  for (const PictureControl& p : kPictureControls) {
    pictures.push_back({p.role, [this, c = p.control] { press(c); }});
  }
  // GRAPH is the window's own: it plots the file shown.
  pictures.push_back({PictureRole::kGraph, [this] { graph(); }});
  bindPictures(pictures, ShortcutContext::kViewer);
  showPicture(PictureRole::kGraph, false);
  connect(ui_->buttonHelp, &QPushButton::clicked, this, &LoggerViewerDialog::help);
  connect(ui_->buttonGo, &QPushButton::clicked, this, [this] { navigate(LoggerNavigation::kGo); });
  for (std::size_t i = 0; i < kLoggerControls; ++i) control(static_cast<C>(i))->hide();
  // Enter goes to the record typed, and never presses whichever button a
  // dialog would make its default (SAVEDISK, the first one).
  for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
  ui_->buttonGo->setDefault(true);

  // The grid is flat: no border, no lines, the window's background; the
  // header is its title row.
  QTableWidget* table = ui_->tableRecords;
  table->setTextElideMode(Qt::ElideNone);
  table->setWordWrap(false);
  QPalette flat = table->palette();
  flat.setColor(QPalette::Base, palette().color(QPalette::Window));
  table->setPalette(flat);
  table->verticalHeader()->hide();
  table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 4);
  table->setSelectionMode(QAbstractItemView::NoSelection);
  table->setFocusPolicy(Qt::NoFocus);
  table->setRowCount(LoggerGrid::kRows - 1);
  table->setColumnCount(0);

  frozen_ = new QTableView(table);
  frozen_->setModel(table->model());
  frozen_->setPalette(flat);
  frozen_->setTextElideMode(Qt::ElideNone);
  frozen_->setWordWrap(false);
  frozen_->setFocusPolicy(Qt::NoFocus);
  frozen_->setSelectionMode(QAbstractItemView::NoSelection);
  frozen_->verticalHeader()->hide();
  frozen_->verticalHeader()->setDefaultSectionSize(table->verticalHeader()->defaultSectionSize());
  frozen_->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  frozen_->setFrameShape(QFrame::NoFrame);
  frozen_->setShowGrid(false);
  frozen_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  frozen_->hide();
  connect(frozen_->verticalScrollBar(), &QAbstractSlider::valueChanged, table->verticalScrollBar(),
          &QAbstractSlider::setValue);
  connect(table->verticalScrollBar(), &QAbstractSlider::valueChanged, frozen_->verticalScrollBar(),
          &QAbstractSlider::setValue);
}

bool LoggerViewerDialog::load() {
  if (source().fromFile()) {
    if (!session_.openFile(source().filePath).ok()) {
      tell(Tone::kFailure, kTxtLogger, session_.fileResult().message(language()));
      return false;
    }
  } else {
    // "Please wait" during the opening reads, and until the first page's
    // first answer.
    progress_ = userInterface().progress(this, language());
    if (!talk([this] { return session_.openUnit(); })) {
      progress_.reset();
      // No logger, or no answer: the screen closes without a word. A port
      // that did not open says why.
      const std::string why = session_.openFailureText(language());
      if (!why.empty()) tell(Tone::kFailure, kTxtLogger, why);
      return false;
    }
  }
  drawScreen();
  drawGrid();
  showPicture(PictureRole::kGraph, source().fromFile());
  runTimer(session_.timerMs());
  return true;
}

QWidget* LoggerViewerDialog::control(LoggerControl c) const {
  for (const PictureControl& p : kPictureControls) {
    if (p.control == c) return picture(p.role);
  }
  switch (c) {
    case C::kRecordField:
      return ui_->editRecord;
    case C::kGo:
      return ui_->buttonGo;
    case C::kHelp:
      return ui_->buttonHelp;
    default:
      return nullptr;
  }
}

LoggerViewerDialog::~LoggerViewerDialog() {
  closeDownloadWindow();
  if (help_) delete help_.data();
}

LoggerDownloadWindow* LoggerViewerDialog::downloadWindow() const {
  return download_.data();
}

StatusHelpWindow* LoggerViewerDialog::helpWindow() const {
  return help_.data();
}

void LoggerViewerDialog::press(LoggerControl c) {
  switch (c) {
    case C::kSaveDisk:
      return saveDisk();
    case C::kArretDisk:
      return arretDisk();
    case C::kPgd:
      return navigate(LoggerNavigation::kPgd);
    case C::kPgu:
      return navigate(LoggerNavigation::kPgu);
    case C::kHome:
      return navigate(LoggerNavigation::kHome);
    case C::kEnd:
      return navigate(LoggerNavigation::kEnd);
    case C::kPrint:
      return print();
    case C::kTableur:
      return tableur();
    case C::kRecordField:
    case C::kGo:
    case C::kHelp:
      return;
  }
}

void LoggerViewerDialog::tick() {
  const LoggerTick outcome = session_.tick();
  runTimer(session_.timerMs());
  if (outcome == LoggerTick::kNothing) return;
  drawScreen();
  if (outcome != LoggerTick::kFetchFailed) drawGrid();
  if (session_.recording() != Recording::kOff && download_) download_->draw(session_.download());
  if (session_.recording() == Recording::kOff) closeDownloadWindow();
  if (outcome == LoggerTick::kDownloadFailed) {
    tell(Tone::kFailure, kTxtLogger, session_.downloadResult().message(language()));
  }
}

void LoggerViewerDialog::drawScreen() {
  const LoggerScreen& s = session_.screen();
  setWindowTitle(qt(s.title));
  ui_->labelTopLine->setText(qt(s.topLine));
  ui_->labelFilled->setText(qt(s.filledLabel));
  ui_->valueFilled->setText(qt(s.filledValue));
  ui_->valueTotal->setText(qt(s.totalValue));
  if (ui_->editRecord->text() != qt(s.recordField)) ui_->editRecord->setText(qt(s.recordField));
  for (std::size_t i = 0; i < kLoggerControls; ++i) {
    control(static_cast<C>(i))->setVisible(s.visible[i]);
  }
  ui_->tableRecords->setVisible(s.gridVisible);
  if (s.progress && !progress_) {
    progress_ = userInterface().progress(this, session_.language());
  } else if (!s.progress && progress_) {
    progress_.reset();
  }
}

void LoggerViewerDialog::layOutGrid() {
  const LoggerGrid& grid = session_.grid();
  QTableWidget* table = ui_->tableRecords;
  table->clear();
  table->setColumnCount(static_cast<int>(grid.columns.size()));
  laidOutTitles_.clear();
  for (int c = 0; c < table->columnCount(); ++c) {
    const LoggerColumn& column = grid.columns[static_cast<std::size_t>(c)];
    laidOutTitles_.push_back(column.title);
    auto* title = new QTableWidgetItem(qt(column.title));
    title->setTextAlignment(alignment(column.align));
    table->setHorizontalHeaderItem(c, title);
    // QString counts characters: a sample is as wide as its characters.
    const int width =
        table->fontMetrics().horizontalAdvance(QString::fromUtf8(column.widthSample)) + kCellMargin;
    table->setColumnWidth(c, width);
    frozen_->setColumnWidth(c, width);
  }
  for (int c = 0; c < table->columnCount(); ++c) {
    frozen_->setColumnHidden(c, c >= LoggerGrid::kFixedColumns);
  }
  frozen_->setVisible(table->columnCount() > LoggerGrid::kFixedColumns);
  placeFrozenColumns();
  fitGrid();
}

void LoggerViewerDialog::fitGrid() {
  // The window grows to show every slot, as far as the screen lets it; what
  // still does not fit is said by the grid's tooltip.
  QTableWidget* table = ui_->tableRecords;
  int needed = 2 * table->frameWidth() + table->verticalScrollBar()->sizeHint().width();
  for (int c = 0; c < table->columnCount(); ++c) needed += table->columnWidth(c);
  const QRect desk = screen() != nullptr ? screen()->availableGeometry() : geometry();
  const int missing = needed - table->width();
  const int wanted = std::min(width() + std::max(0, missing), std::max(desk.width(), width()));
  const bool scrolls = missing > wanted - width();
  if (wanted > width()) {
    resize(wanted, height());
    // Grown to the right, it stays on the desktop.
    const int right = x() + frameGeometry().width() - width() + wanted;
    if (right > desk.right() + 1)
      move(std::max(desk.left(), x() - (right - desk.right() - 1)), y());
  }
  table->setToolTip(scrolls ? qt(gridScrollsText(language())) : QString());
}

void LoggerViewerDialog::placeFrozenColumns() {
  if (frozen_ == nullptr) return;
  QTableWidget* table = ui_->tableRecords;
  int width = 0;
  for (int c = 0; c < LoggerGrid::kFixedColumns && c < table->columnCount(); ++c) {
    width += table->columnWidth(c);
  }
  frozen_->setGeometry(table->frameWidth(), table->frameWidth(), width,
                       table->viewport()->height() + table->horizontalHeader()->height());
}

void LoggerViewerDialog::drawGrid() {
  const LoggerGrid& grid = session_.grid();
  if (grid.columns.empty()) return;
  std::vector<std::string> titles;
  for (const LoggerColumn& c : grid.columns) titles.push_back(c.title);
  if (titles != laidOutTitles_) layOutGrid();
  QTableWidget* table = ui_->tableRecords;
  for (int r = 0; r < static_cast<int>(grid.cells.size()); ++r) {
    const auto& cells = grid.cells[static_cast<std::size_t>(r)];
    for (int c = 0; c < static_cast<int>(cells.size()) && c < table->columnCount(); ++c) {
      const QString text = qt(cells[static_cast<std::size_t>(c)]);
      if (QTableWidgetItem* item = table->item(r, c)) {
        if (item->text() != text) item->setText(text);
      } else {
        auto* created = new QTableWidgetItem(text);
        created->setTextAlignment(alignment(grid.columns[static_cast<std::size_t>(c)].align));
        table->setItem(r, c, created);
      }
    }
  }
  // A column is as wide as its sample, and wider when a text needs it (a
  // row of status letters): nothing of a record is cut off.
  const QFontMetrics metrics = table->fontMetrics();
  for (int c = 0; c < table->columnCount(); ++c) {
    int widest = table->columnWidth(c);
    for (int r = 0; r < table->rowCount(); ++r) {
      if (const QTableWidgetItem* item = table->item(r, c)) {
        widest = std::max(widest, metrics.horizontalAdvance(item->text()) + kCellMargin);
      }
    }
    if (widest != table->columnWidth(c)) {
      table->setColumnWidth(c, widest);
      frozen_->setColumnWidth(c, widest);
    }
  }
  placeFrozenColumns();
  fitGrid();
}

void LoggerViewerDialog::resizeEvent(QResizeEvent* event) {
  Screen::resizeEvent(event);
  placeFrozenColumns();
}

void LoggerViewerDialog::keyPressEvent(QKeyEvent* event) {
  // Escape does not close this screen.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  Screen::keyPressEvent(event);
}

void LoggerViewerDialog::saveDisk() {
  if (!session_.canStartDownload()) return;
  const std::optional<std::string> path = askSavePath(this, context_, FileKind::kLogger);
  if (!path) return;
  download_ = new LoggerDownloadWindow(language(), this);
  session_.startDownload(*path);
  download_->draw(session_.download());
  download_->show();
  drawScreen();
  runTimer(session_.timerMs());
}

void LoggerViewerDialog::arretDisk() {
  if (!session_.stopDownload()) return;
  closeDownloadWindow();
  drawScreen();
  runTimer(session_.timerMs());
}

void LoggerViewerDialog::closeDownloadWindow() {
  if (download_) delete download_.data();
}

void LoggerViewerDialog::navigate(LoggerNavigation nav) {
  const std::string field = ui_->editRecord->text().toStdString();
  // END, Go and a reload read the records filled from the unit.
  if (!talk([&] { return session_.navigate(nav, field); })) return;
  drawScreen();
  drawGrid();
  runTimer(session_.timerMs());
}

void LoggerViewerDialog::print() {
  if (!session_.screen().shown(C::kPrint)) return;
  printWithNote(kDocLogger, true, ui_->labelTopLine,
                {control(C::kRecordField), control(C::kGo), control(C::kHelp)});
}

void LoggerViewerDialog::tableur() {
  if (!session_.screen().shown(C::kTableur)) return;
  ConvertFileDialog::run(
      context_, source().filePath,
      std::make_unique<LoggerConversionSource>(systemRegionalSettings(), language()), this);
}

void LoggerViewerDialog::graph() {
  if (!source().fromFile()) return;
  PlotDialog::run(context_, source().filePath, std::make_unique<LoggerPlotSource>(), this);
}

void LoggerViewerDialog::help() {
  if (help_) return;  // one at a time
  help_ = new StatusHelpWindow(session_.language(), this);
  help_->setAttribute(Qt::WA_DeleteOnClose);
  help_->show();
}

bool LoggerViewerDialog::readyToClose() {
  session_.close();
  progress_.reset();
  closeDownloadWindow();
  if (help_) help_->close();
  return true;
}

}  // namespace flowdesk
