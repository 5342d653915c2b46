// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/qt/InitialisationDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QPushButton>

#include "base/Texts.h"
#include "base/qt/UserInterface.h"
#include "link/AppContext.h"
#include "ui_InitialisationDialog.h"

namespace flowdesk {

namespace {

// The menu's words with another letter: N is the No button's here.
constexpr BilingualText kTxtNorvadineCheck{"Réglage NOR&VADINE", "NOR&VADINE Settings"};

}  // namespace

InitialisationDialog::InitialisationDialog(AppContext& context, QWidget* parent)
    : Screen(context, parent),
      session_(context),
      rows_{
          .labels = {{"groupUpload", kTxtUploadToUnit},
                     {"buttonYes", kTxtButtonYes},
                     {"buttonNo", kTxtButtonNo}},
          .checks = {{"checkCalibration", &checks_[0], kTxtMenuCalibration},
                     {"checkFactory", &checks_[1], kTxtMenuFactorySettings},
                     {"checkMaker", &checks_[2], kTxtNorvadineCheck}},
      },
      ui_(std::make_unique<Ui::InitialisationDialog>()) {
  ui_->setupUi(this);
  setWindowTitle(text(kTxtUploadCaption));
  setLabels(*this, rows_.labels, language());
  setChecks(*this, rows_.checks, language());
  checksChosen();
  for (QCheckBox* box : {ui_->checkCalibration, ui_->checkFactory, ui_->checkMaker}) {
    connect(box, &QCheckBox::clicked, this, &InitialisationDialog::checksChosen);
  }
  connect(ui_->buttonYes, &QPushButton::clicked, this, &InitialisationDialog::initialise);
  connect(ui_->buttonNo, &QPushButton::clicked, this, &QDialog::reject);
  adjustSize();
  setFixedSize(size());
}

InitialisationDialog::~InitialisationDialog() = default;

bool InitialisationDialog::load() {
  bool answered = false;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(this, language());
    answered = talk([this] { return session_.readUnit(); });
  }
  // A silent unit: the command shows nothing. A port that did not open
  // says why, or an unplugged adapter would look the same.
  if (!answered) {
    const std::string why = session_.unitFailureText(language());
    if (!why.empty()) tell(Tone::kFailure, kTxtUploadCaption, why);
    return false;
  }
  QApplication::beep();
  return true;
}

void InitialisationDialog::checksChosen() {
  readChecks(*this, rows_.checks);
  session_.choice = {checks_[0] != 0, checks_[1] != 0, checks_[2] != 0};
}

void InitialisationDialog::initialise() {
  checksChosen();
  InitialisationOutcome outcome;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(this, language());
    outcome = talk([&] {
      return session_.run([&progress](const std::string& step) {
        progress->setInfo(QString::fromStdString(step));
      });
    });
  }
  if (!outcome.ok) tell(Tone::kFailure, kTxtUploadCaption, initialisationText(outcome, language()));
  accept();
}

}  // namespace flowdesk
