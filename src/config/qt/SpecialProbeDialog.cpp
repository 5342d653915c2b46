// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/qt/SpecialProbeDialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include "base/FieldFormat.h"
#include "base/Texts.h"
#include "base/ValueLists.h"
#include "base/qt/UserInterface.h"
#include "files/qt/KindPrompts.h"
#include "link/AppContext.h"
#include "ui_SpecialProbeDialog.h"

namespace flowdesk {

SpecialProbeDialog::SpecialProbeDialog(AppContext& context, QWidget* parent)
    : Screen(context, parent),
      session_(context),
      rows_{
          .labels = {{"labelName", kTxtSpName},
                     {"labelT0", kTxtSpT0},
                     {"labelAngle", kTxtSpAngle},
                     {"labelFrequency", kTxtSpFrequency}},
          .texts = {{"editName", &session_.probe.name, kSpecialProbeNameBytes}},
          .fields = {{"editT0", &session_.probe.t0, "%.1f", 0, kSpecialProbeMaxT0},
                     {"editAngle", &session_.probe.angle, "%.2f", 0, kSpecialProbeMaxAngle}},
          .combos = {{"comboFrequency", &session_.probe.frequency, kFrequencyCountSpecialProbe,
                      &FrequencyList}},
          .checks = {{"checkSa", &sa_, kTxtUploadSa}, {"checkSb", &sb_, kTxtUploadSb}},
      },
      ui_(std::make_unique<Ui::SpecialProbeDialog>()) {
  ui_->setupUi(this);
  setWindowTitle(text(kTxtUploadSpecialProbe));
  bindPictures({{PictureRole::kTransfert, [this] { transfert(); }},
                {PictureRole::kSaveDisk, [this] { saveDisk(); }}},
               ShortcutContext::kConfiguration);
  connect(ui_->checkSa, &QCheckBox::clicked, this, &SpecialProbeDialog::checksChosen);
  connect(ui_->checkSb, &QCheckBox::clicked, this, &SpecialProbeDialog::checksChosen);
  connect(ui_->comboFrequency, &QComboBox::activated, this, &SpecialProbeDialog::readProbe);
  for (QLineEdit* edit : {ui_->editName, ui_->editT0, ui_->editAngle}) {
    edit->installEventFilter(this);
  }
}

SpecialProbeDialog::~SpecialProbeDialog() = default;

bool SpecialProbeDialog::load() {
  const Language language = this->language();
  const FileResult opened = session_.open(source().filePath);
  if (!opened.ok()) {
    tell(Tone::kFailure, kTxtUploadSpecialProbe, opened.message(language));
    return false;
  }
  sa_ = session_.intoSp1 ? 1 : 0;
  sb_ = session_.intoSp2 ? 1 : 0;
  setLabels(*this, rows_.labels, language);
  setChecks(*this, rows_.checks, language);
  fillLists(*this, rows_.combos, language);

  // Outside maker mode the probe is only named: it can be uploaded, not
  // changed or saved.
  const bool maker = session_.editable();
  for (QWidget* w : std::initializer_list<QWidget*>{
           ui_->editName, ui_->labelT0, ui_->editT0, ui_->labelT0Unit, ui_->labelAngle,
           ui_->editAngle, ui_->labelAngleUnit, ui_->labelFrequency, ui_->comboFrequency,
           ui_->buttonSaveDisk}) {
    w->setVisible(maker);
  }
  ui_->labelNameText->setVisible(!maker);
  ui_->labelCaption->setText(QString::fromStdString(session_.filePath()));
  showProbe();
  checksChosen();
  watchEdits(this, kTxtUploadSpecialProbe);
  adjustSize();
  if (const std::string note =
          blockLengthText(FileKind::kSpecialProbe, session_.fileLength(), language);
      !note.empty()) {
    tell(Tone::kInformation, kTxtUploadSpecialProbe, note);
  }
  return true;
}

void SpecialProbeDialog::showProbe() {
  showTexts(*this, rows_.texts);
  showNumbers(*this, rows_.fields);
  selectLists(*this, rows_.combos);
  ui_->labelNameText->setText(QString::fromStdString(session_.probe.name));
}

void SpecialProbeDialog::readProbe() {
  if (!session_.editable()) return;
  readTexts(*this, rows_.texts);
  readNumbers(*this, rows_.fields);
  readLists(*this, rows_.combos);
  session_.clampProbe();
  showProbe();
}

void SpecialProbeDialog::checksChosen() {
  readChecks(*this, rows_.checks);
  session_.intoSp1 = sa_ != 0;
  session_.intoSp2 = sb_ != 0;
  ui_->buttonTransfert->setVisible(session_.transfertOffered());
}

void SpecialProbeDialog::transfert() {
  readProbe();
  checksChosen();
  if (!session_.transfertOffered()) return;
  if (const FileResult refused = session_.uploadRefusal(); !refused.ok()) {
    tell(Tone::kFailure, kTxtUploadCaption, refused.message(language()));
    return;
  }
  session_.holdIdentification();
  if (!ask(kTxtUploadCaption, kTxtUploadToUnit)) return;
  SpecialProbeUploadOutcome outcome;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(this, language());
    progress->setInfo(text(kTxtUploadSpecialProbe));
    outcome = talk([this] { return session_.upload(); });
  }
  if (!outcome.ok) {
    tell(Tone::kFailure, kTxtUploadCaption, specialProbeUploadText(outcome, language()));
    return;
  }
  accept();
}

void SpecialProbeDialog::saveDisk() {
  if (!session_.editable()) return;
  readProbe();
  const std::optional<std::string> path = askSavePath(this, context_, FileKind::kSpecialProbe);
  if (!path) return;
  const FileResult saved = session_.save(*path);
  if (!saved.ok()) {
    tell(Tone::kFailure, kTxtUploadSpecialProbe, saved.message(language()));
    return;
  }
  editsKept();
  ui_->labelCaption->setText(QString::fromStdString(*path));
}

bool SpecialProbeDialog::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::FocusOut) readProbe();
  return Screen::eventFilter(watched, event);
}

void SpecialProbeDialog::keyPressEvent(QKeyEvent* event) {
  // Escape would close the page with the probe half typed.
  if (event->key() == Qt::Key_Escape) {
    event->accept();
    return;
  }
  Screen::keyPressEvent(event);
}

}  // namespace flowdesk
