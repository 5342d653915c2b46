// SPDX-License-Identifier: GPL-3.0-or-later
#include "files/qt/PlotDialog.h"

#include <QChart>
#include <QKeyEvent>
#include <QListWidget>
#include <QPushButton>

#include "base/Texts.h"
#include "base/qt/UserInterface.h"
#include "base/qt/core/SystemRegionalSettings.h"
#include "files/qt/PlotChart.h"
#include "link/AppContext.h"
#include "ui_PlotDialog.h"

namespace flowdesk {

namespace {

constexpr const char* kPrintTitle = "Plot";
constexpr const char* kControls[] = {"chartView",   "labelSeries",     "listSeries",
                                     "labelCursor", "buttonWholeView", "buttonExport",
                                     "buttonPrint", "labelHelp"};

QString qt(const std::string& text) {
  return QString::fromStdString(text);
}

bool endsWith(const std::string& text, const char* end) {
  const std::string e(end);
  if (text.size() < e.size()) return false;
  for (std::size_t i = 0; i < e.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(text[text.size() - e.size() + i])) != e[i]) {
      return false;
    }
  }
  return true;
}

}  // namespace

PlotDialog::PlotDialog(AppContext& context, std::unique_ptr<PlotSource> source, QWidget* parent)
    : Screen(context, parent), source_(std::move(source)), ui_(std::make_unique<Ui::PlotDialog>()) {
  ui_->setupUi(this);
  setWindowFlag(Qt::WindowMaximizeButtonHint, true);
  bindPictures({{PictureRole::kPrint, [this] { print(); }}}, ShortcutContext::kViewer);
  setWindowTitle(text(kTxtPlotTitle));
  ui_->labelSeries->setText(text(kTxtPlotSeries));
  ui_->buttonWholeView->setText(text(kTxtPlotWholeView));
  ui_->buttonExport->setText(text(kTxtPlotExport));
  ui_->labelHelp->setText(text(kTxtPlotHelp));

  PlotView* view = ui_->chartView;
  view->setSession(&session_);
  view->onZoom = [this](double centre, double factor) { zoom(centre, factor); };
  view->onZoomTo = [this](double from, double to) { zoomTo(from, to); };
  view->onPan = [this](double seconds) { pan(seconds); };
  view->onReset = [this] { wholeView(); };
  view->onHover = [this](double time) { hover(time); };
  connect(ui_->buttonWholeView, &QPushButton::clicked, this, &PlotDialog::wholeView);
  connect(ui_->buttonExport, &QPushButton::clicked, this, &PlotDialog::exportImage);
  connect(ui_->listSeries, &QListWidget::itemChanged, this, [this](QListWidgetItem* item) {
    if (filling_) return;
    setSeriesShown(static_cast<std::size_t>(ui_->listSeries->row(item)),
                   item->checkState() == Qt::Checked);
  });
}

PlotDialog::~PlotDialog() = default;

void PlotDialog::run(AppContext& context, const std::string& path,
                     std::unique_ptr<PlotSource> source, QWidget* parent) {
  PlotDialog dialog(context, std::move(source), parent);
  if (dialog.open(ScreenSource::file(path))) userInterface().runDialog(dialog);
}

std::vector<std::string> PlotDialog::boundControls() {
  return {std::begin(kControls), std::end(kControls)};
}

QChart* PlotDialog::chart() const {
  return ui_->chartView->chart();
}

bool PlotDialog::load() {
  const std::string& path = source().filePath;
  PlotData data;
  if (FileResult r = source_->read(path, language(), data); !r.ok()) {
    tell(Tone::kFailure, kTxtPlotTitle, r.message(language()));
    return false;
  }
  session_.setData(std::move(data));
  if (session_.datedRecords() == 0) {
    tell(Tone::kInformation, kTxtPlotTitle, std::string(kTxtPlotNoRecords.text(language())) + path);
    return false;
  }
  setWindowTitle(text(kTxtPlotTitle) + QStringLiteral(" - ") + qt(path));

  auto* chart = new QChart;
  ui_->chartView->setChart(chart);  // the view owns it
  drawer_ = std::make_unique<PlotChart>(*chart, session_, language(), systemRegionalSettings());
  // The plot area settles after the axes are laid out: thin the lines to
  // its final width, and fit the dates to it, once it is known.
  connect(chart, &QChart::plotAreaChanged, this, [this](const QRectF& area) {
    if (static_cast<int>(area.width()) != columns_) refresh();
  });

  filling_ = true;
  ui_->listSeries->clear();
  const std::vector<PlotSeries>& series = session_.data().series;
  for (std::size_t s = 0; s < series.size(); ++s) {
    auto* item = new QListWidgetItem(qt(plotAxisTitle(series[s])), ui_->listSeries);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable);
    item->setCheckState(session_.shown(s) ? Qt::Checked : Qt::Unchecked);
    item->setForeground(drawer_->colour(s));
  }
  filling_ = false;
  refresh();
  return true;
}

void PlotDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    wholeView();
    event->accept();
    return;
  }
  Screen::keyPressEvent(event);
}

void PlotDialog::refresh() {
  if (!drawer_) return;
  columns_ = ui_->chartView->plotColumns();
  drawer_->refresh(columns_);
  ui_->buttonWholeView->setEnabled(session_.zoomed());
}

void PlotDialog::setSeriesShown(std::size_t series, bool shown) {
  session_.setShown(series, shown);
  refresh();
}

void PlotDialog::zoom(double centre, double factor) {
  session_.zoom(centre, factor);
  refresh();
}

void PlotDialog::zoomTo(double from, double to) {
  session_.zoomTo(from, to);
  refresh();
}

void PlotDialog::pan(double seconds) {
  session_.pan(seconds);
  refresh();
}

void PlotDialog::wholeView() {
  session_.reset();
  refresh();
}

void PlotDialog::hover(double time) {
  const std::optional<PlotCursor> c = session_.cursor(time, systemRegionalSettings());
  ui_->labelCursor->setText(c ? qt(c->text) : QString());
  ui_->chartView->showCursor(c ? std::optional<double>(c->time) : std::nullopt);
}

void PlotDialog::exportImage() {
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::kSave;
  request.folder = qt(context_.settings.LastPathName);
  request.filters = text(kTxtPlotExportFilter).split(QStringLiteral(";;"));
  const QString chosen = userInterface().chooseFile(this, request);
  if (chosen.isEmpty()) return;
  std::string path = chosen.toStdString();
  if (!endsWith(path, ".png") && !endsWith(path, ".svg")) path += ".png";
  exportTo(path);
}

bool PlotDialog::exportTo(const std::string& path) {
  const RegionalSettings regional = systemRegionalSettings();
  const FileResult r =
      writePlotImage(session_, language(), regional, path, ui_->chartView->viewport()->size(),
                     qt(plotImageTitle(source().filePath, session_, regional, language())));
  if (r.ok()) return true;
  tell(Tone::kFailure, kTxtPlotTitle,
       std::string(kTxtPlotExportFailed.text(language())) + r.message(language()));
  return false;
}

void PlotDialog::print() {
  printWithNote(kPrintTitle, true, ui_->labelCursor);
}

}  // namespace flowdesk
