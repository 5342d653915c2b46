#include "logger/qt/LoggerViewerDialog.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QScrollBar>
#include <QTableWidget>
#include <algorithm>

#include "base/Texts.h"
#include "base/qt/FilePrompts.h"
#include "base/qt/PictureButton.h"
#include "base/qt/WindowPrinter.h"
#include "base/qt/core/SystemRegionalSettings.h"
#include "link/AppContext.h"
#include "logger/qt/LoggerConversionScreen.h"
#include "logger/qt/LoggerDownloadWindow.h"
#include "logger/qt/StatusHelpWindow.h"
#include "ui_LoggerViewerDialog.h"

namespace flowdesk {

namespace {

using C = LoggerControl;

// The controls in LoggerControl order, with the role of the picture buttons.
struct ControlRow {
  const char* name;
  bool picture;
  PictureRole role;
};
constexpr ControlRow kControlRows[kLoggerControls] = {
    {"buttonSaveDisk", true, PictureRole::SaveDisk},
    {"buttonArretDisk", true, PictureRole::ArretDisk},
    {"buttonPgd", true, PictureRole::Pgd},
    {"buttonPgu", true, PictureRole::Pgu},
    {"buttonPrint", true, PictureRole::Print},
    {"buttonHome", true, PictureRole::Home},
    {"buttonEnd", true, PictureRole::End},
    {"buttonTableur", true, PictureRole::Tableur},
    {"editRecord", false, PictureRole::Print},
    {"buttonGo", false, PictureRole::Print},
    {"buttonHelp", false, PictureRole::Print},
};

constexpr const char* kOtherControls[] = {"labelTopLine", "valueFilled", "labelFilled",
                                          "valueTotal", "tableRecords"};

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
    : QDialog(parent),
      context_(context),
      session_(context, systemRegionalSettings()),
      rows_(viewerRows()),
      ui_(std::make_unique<Ui::LoggerViewerDialog>()) {
  ui_->setupUi(this);
  const int language = context_.settings.Language;
  setLabels(*this, rows_.labels, language);
  for (std::size_t i = 0; i < kLoggerControls; ++i) {
    controls_[i] = findChild<QWidget*>(QString::fromLatin1(kControlRows[i].name));
    if (kControlRows[i].picture) {
      static_cast<PictureButton*>(controls_[i])
          ->setShortcut(pictureShortcut(kControlRows[i].role, ShortcutContext::Viewer));
    }
    controls_[i]->hide();
  }
  connect(ui_->buttonSaveDisk, &QPushButton::clicked, this, &LoggerViewerDialog::saveDisk);
  connect(ui_->buttonArretDisk, &QPushButton::clicked, this, &LoggerViewerDialog::arretDisk);
  connect(ui_->buttonPrint, &QPushButton::clicked, this, &LoggerViewerDialog::print);
  connect(ui_->buttonTableur, &QPushButton::clicked, this, &LoggerViewerDialog::tableur);
  connect(ui_->buttonHelp, &QPushButton::clicked, this, &LoggerViewerDialog::help);
  const std::pair<QPushButton*, LoggerNavigation> navigation[] = {
      {ui_->buttonPgd, LoggerNavigation::kPgd},   {ui_->buttonPgu, LoggerNavigation::kPgu},
      {ui_->buttonHome, LoggerNavigation::kHome}, {ui_->buttonEnd, LoggerNavigation::kEnd},
      {ui_->buttonGo, LoggerNavigation::kGo},
  };
  for (const auto& [button, nav] : navigation) {
    connect(button, &QPushButton::clicked, this, [this, nav = nav] { navigate(nav); });
  }
  // Enter goes to the record typed, and never presses whichever button a
  // dialog would make its default (SAVEDISK, the first one).
  for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
  ui_->buttonGo->setDefault(true);
  connect(&timer_, &QTimer::timeout, this, &LoggerViewerDialog::tick);

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

  if (context_.OpenedFromFile) {
    if (!session_.openFile(context_.CurrentFilePath).ok()) {
      userInterface().message(this, UserInterface::Icon::Critical,
                              QString::fromUtf8(kTxtLogger.text(language)),
                              qt(session_.fileResult().message(language)));
      return;
    }
  } else {
    // "Please wait" during the opening reads, and until the first page's
    // first answer.
    progress_ = userInterface().progress(this, language);
    if (!session_.openUnit()) {
      progress_.reset();
      return;  // no logger, or no answer: the screen closes without a word
    }
  }
  drawScreen();
  drawGrid();
  runTimer();
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

std::vector<std::string> LoggerViewerDialog::otherControls() {
  std::vector<std::string> names;
  for (const ControlRow& r : kControlRows) names.emplace_back(r.name);
  for (const char* name : kOtherControls) names.emplace_back(name);
  return names;
}

void LoggerViewerDialog::runTimer() {
  const int ms = session_.timerMs();
  if (ms == LoggerViewerSession::kTimerStopped) {
    timer_.stop();
  } else if (!timer_.isActive() || timer_.interval() != ms) {
    timer_.start(ms);
  }
}

void LoggerViewerDialog::tick() {
  const LoggerTick outcome = session_.tick();
  runTimer();
  if (outcome == LoggerTick::kNothing) return;
  drawScreen();
  if (outcome != LoggerTick::kFetchFailed) drawGrid();
  if (session_.recordState() != 0 && download_) download_->draw(session_.download());
  if (session_.recordState() == 0) closeDownloadWindow();
  if (outcome == LoggerTick::kDownloadFailed) {
    const int language = session_.language();
    userInterface().message(this, UserInterface::Icon::Critical,
                            QString::fromUtf8(kTxtLogger.text(language)),
                            qt(session_.downloadResult().message(language)));
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
  for (std::size_t i = 0; i < kLoggerControls; ++i) controls_[i]->setVisible(s.visible[i]);
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
}

void LoggerViewerDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  placeFrozenColumns();
}

void LoggerViewerDialog::keyPressEvent(QKeyEvent* event) {
  // Escape does not close this screen.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  QDialog::keyPressEvent(event);
}

void LoggerViewerDialog::saveDisk() {
  if (!session_.canStartDownload()) return;
  const int language = session_.language();
  if (!saveFilePrompt(this, {context_.settings.LastPathName, context_.CurrentFilePath},
                      kTxtLoggerFile, "log", language)) {
    return;
  }
  download_ = new LoggerDownloadWindow(language, this);
  session_.startDownload(context_.CurrentFilePath);
  download_->draw(session_.download());
  download_->show();
  drawScreen();
  runTimer();
}

void LoggerViewerDialog::arretDisk() {
  if (!session_.stopDownload()) return;
  closeDownloadWindow();
  drawScreen();
  runTimer();
}

void LoggerViewerDialog::closeDownloadWindow() {
  if (download_) delete download_.data();
}

void LoggerViewerDialog::navigate(LoggerNavigation nav) {
  const std::string field = ui_->editRecord->text().toStdString();
  if (!session_.navigate(nav, field)) return;
  drawScreen();
  drawGrid();
  runTimer();
}

void LoggerViewerDialog::print() {
  if (!session_.screen().shown(C::kPrint)) return;
  std::array<bool, kLoggerControls> wasShown{};
  for (std::size_t i = 0; i < kLoggerControls; ++i) {
    wasShown[i] = !controls_[i]->isHidden();
    controls_[i]->hide();
  }
  control(C::kPrint)->setFocus();
  const PrintOutcome outcome = printWindow(this, QString::fromLatin1(kDocLogger), 1, 1, 0);
  for (std::size_t i = 0; i < kLoggerControls; ++i) controls_[i]->setVisible(wasShown[i]);
  const QString note = printOutcomeNote(outcome, session_.language());
  if (!note.isEmpty()) ui_->labelTopLine->setText(note);
}

void LoggerViewerDialog::tableur() {
  if (!session_.screen().shown(C::kTableur)) return;
  runLoggerConversion(context_, this);
}

void LoggerViewerDialog::help() {
  if (help_) return;  // one at a time
  help_ = new StatusHelpWindow(session_.language(), this);
  help_->setAttribute(Qt::WA_DeleteOnClose);
  help_->show();
}

void LoggerViewerDialog::done(int result) {
  timer_.stop();
  session_.close();
  progress_.reset();
  closeDownloadWindow();
  if (help_) help_->close();
  QDialog::done(result);
}

}  // namespace flowdesk
