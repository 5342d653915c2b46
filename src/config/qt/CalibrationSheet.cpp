// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/qt/CalibrationSheet.h"

#include <QDialogButtonBox>
#include <QKeyEvent>
#include <QShortcut>
#include <QTabWidget>
#include <QVBoxLayout>

#include "base/Texts.h"
#include "base/qt/UserInterface.h"
#include "config/qt/InputsOutputsPage.h"
#include "config/qt/MeasurementPointPage.h"
#include "config/qt/SelectConfigurationPage.h"
#include "link/AppContext.h"

namespace flowdesk {

CalibrationSheet::CalibrationSheet(AppContext& context, QWidget* parent)
    : Screen(context, parent),
      session_(context),
      tabs_(new QTabWidget(this)),
      buttons_(new QDialogButtonBox(
          QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help, this)) {
  setObjectName(QStringLiteral("CalibrationSheet"));
  setWindowTitle(QString::fromUtf8(kTxtCalibration.text(context_.settings.language())));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(tabs_);
  layout->addWidget(buttons_);
  // The pages carry their own buttons; the sheet's would close it without
  // writing anything.
  buttons_->hide();
}

CalibrationSheet::~CalibrationSheet() = default;

bool CalibrationSheet::load() {
  const Language language = context_.settings.language();
  OpenOutcome outcome;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(this, language);
    outcome = talk([this] {
      return source().fromFile() ? session_.openFile(source().filePath) : session_.openUnit();
    });
  }
  const QString text = QString::fromStdString(openText(outcome, language));
  if (!outcome.ok) {
    tell(Tone::kFailure, kTxtCalibration, text.toStdString());
    return false;
  }

  selection_ = new SelectConfigurationPage(context_, session_, this, tabs_);
  point_ = new MeasurementPointPage(context_, session_, tabs_);
  io_ = new InputsOutputsPage(context_, session_, tabs_);
  tabs_->addTab(selection_, QString::fromUtf8(kTxtSelectConfiguration.text(language)));
  tabs_->addTab(point_, QString::fromUtf8(kTxtMeasurementPoint.text(language)));
  tabs_->addTab(io_, QString::fromUtf8(kTxtInputOutput.text(language)));

  connect(tabs_, &QTabWidget::currentChanged, this, &CalibrationSheet::tabShown);
  connect(selection_, &SelectConfigurationPage::printRequested, this,
          &CalibrationSheet::printPages);
  connect(selection_, &SelectConfigurationPage::uploaded, this, &QDialog::accept);
  // The print job runs through the pages in turn: measurement point (part
  // 1), inputs/outputs (part 2), then back to the selection page.
  connect(point_, &MeasurementPointPage::printed, this,
          [this](bool ok) { tabs_->setCurrentIndex(ok ? kInputsOutputsTab : kSelectionTab); });
  connect(io_, &InputsOutputsPage::printed, this,
          [this] { tabs_->setCurrentIndex(kSelectionTab); });

  // Ctrl+S, Ctrl+T and Ctrl+P act from every page, not only while the
  // selection page that holds their buttons is shown.
  for (PictureRole role : {PictureRole::kSaveDisk, PictureRole::kTransfert, PictureRole::kPrint}) {
    auto* shortcut = new QShortcut(pictureShortcut(role, ShortcutContext::kConfiguration), this);
    connect(shortcut, &QShortcut::activated, this, [this, role] { pressShortcut(role); });
  }

  // The selection page's lists and ticks choose what TRANSFERT does; the
  // two other pages hold the configuration's values.
  watchEdits(point_, kTxtCalibration);
  watchEdits(io_, kTxtCalibration);

  session_.PrintMode = false;
  tabs_->setCurrentIndex(kMeasurementPointTab);
  // A file shown without its unit: say once that it cannot be written.
  if (!text.isEmpty()) {
    userInterface().message(this, UserInterface::Icon::kInformation,
                            QString::fromUtf8(kTxtCalibration.text(language)), text);
  }
  return true;
}

void CalibrationSheet::printPages() {
  // Each page prints once it has been shown in print mode; the measurement
  // point page may be the one shown already, and showing it again changes
  // no tab, so it is told to show itself.
  if (tabs_->currentIndex() == kMeasurementPointTab) {
    point_->activate();
  } else {
    tabs_->setCurrentIndex(kMeasurementPointTab);
  }
}

void CalibrationSheet::tabShown(int index) {
  if (auto* page = qobject_cast<CalibrationPage*>(tabs_->widget(index))) page->activate();
}

bool CalibrationSheet::pressShortcut(PictureRole role) {
  if (selection_ == nullptr) return false;
  // The edit being typed in stores its value when the focus leaves it: it
  // must before the configuration is written, saved or printed.
  if (QWidget* focused = focusWidget()) focused->clearFocus();
  return selection_->press(role);
}

void CalibrationSheet::keyPressEvent(QKeyEvent* event) {
  if (isSwallowedKey(event->key())) {
    event->accept();
    return;
  }
  Screen::keyPressEvent(event);
}

}  // namespace flowdesk
