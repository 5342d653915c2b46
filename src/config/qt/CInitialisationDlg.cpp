#include "config/qt/CInitialisationDlg.h"

#include <QApplication>
#include <QCheckBox>

#include "base/Texts.h"
#include "base/qt/UserInterface.h"
#include "link/AppContext.h"
#include "ui_CInitialisationDlg.h"

namespace flowdesk {

namespace {

// The menu's words with another letter: N is the No button's here.
constexpr BilingualText kTxtNorvadineCheck{"Réglage NOR&VADINE", "NOR&VADINE Settings"};

}  // namespace

CInitialisationDlg::CInitialisationDlg(InitialisationSession& session, int language,
                                       QWidget* parent)
    : QDialog(parent),
      session_(session),
      rows_{
          .labels = {{"groupUpload", kTxtUploadToUnit},
                     {"buttonYes", kTxtButtonYes},
                     {"buttonNo", kTxtButtonNo}},
          .checks = {{"checkCalibration", &checks_[0], kTxtMenuCalibration},
                     {"checkFactory", &checks_[1], kTxtMenuFactorySettings},
                     {"checkMaker", &checks_[2], kTxtNorvadineCheck}},
      },
      ui_(std::make_unique<Ui::CInitialisationDlg>()) {
  ui_->setupUi(this);
  setWindowTitle(QString::fromUtf8(kTxtUploadCaption.text(language)));
  setLabels(*this, rows_.labels, language);
  setChecks(*this, rows_.checks, language);
  checksChosen();
  for (QCheckBox* box : {ui_->checkCalibration, ui_->checkFactory, ui_->checkMaker}) {
    connect(box, &QCheckBox::clicked, this, &CInitialisationDlg::checksChosen);
  }
  connect(ui_->buttonYes, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui_->buttonNo, &QPushButton::clicked, this, &QDialog::reject);
  adjustSize();
  setFixedSize(size());
}

CInitialisationDlg::~CInitialisationDlg() = default;

void CInitialisationDlg::checksChosen() {
  readChecks(*this, rows_.checks);
  session_.choice = {checks_[0] != 0, checks_[1] != 0, checks_[2] != 0};
}

void runInitialisation(AppContext& context, QWidget* parent) {
  const int language = context.settings.Language;
  InitialisationSession session(context);
  bool answered = false;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(parent, language);
    answered = session.readUnit();
  }
  // No unit: the command shows nothing.
  if (!answered) return;

  CInitialisationDlg dialog(session, language, parent);
  QApplication::beep();
  if (userInterface().runDialog(dialog) != QDialog::Accepted) return;

  InitialisationOutcome outcome;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(parent, language);
    outcome = session.run(
        [&progress](const std::string& step) { progress->setInfo(QString::fromStdString(step)); });
  }
  if (!outcome.ok) {
    userInterface().message(parent, UserInterface::Icon::Critical,
                            QString::fromUtf8(kTxtUploadCaption.text(language)),
                            QString::fromStdString(initialisationText(outcome, language)));
  }
}

}  // namespace flowdesk
