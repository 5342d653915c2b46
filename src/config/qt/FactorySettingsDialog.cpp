// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/qt/FactorySettingsDialog.h"

#include <array>

#include "base/Texts.h"
#include "base/qt/WindowPrinter.h"
#include "config/FactoryFields.h"
#include "config/qt/CalibrationPage.h"
#include "config/qt/ComparisonDisplay.h"
#include "files/qt/KindPrompts.h"
#include "link/AppContext.h"
#include "ui_FactorySettingsDialog.h"

namespace flowdesk {

namespace {

std::vector<TextBinding> textRows(const std::vector<TextField>& texts) {
  std::vector<TextBinding> rows;
  for (const TextField& t : texts) rows.push_back({editControl(t.id), t.variable, t.maxLength});
  return rows;
}

}  // namespace

FactorySettingsDialog::FactorySettingsDialog(AppContext& context, QWidget* parent)
    : SettingsBlockDialog(context, std::make_unique<FactorySession>(context),
                          {kTxtFactorySettings, "Factory Settings", FileKind::kFactorySettings,
                           kTxtUploadFactorySettings},
                          parent),
      ui_(std::make_unique<Ui::FactorySettingsDialog>()) {
  ui_->setupUi(this);
  setObjectName(QStringLiteral("CReglageUsineDlg"));
  DeviceImage& image = context.image;
  bindControls(
      {
          .labels = {{"labelFunction", kTxtFunction},
                     {"labelQSimulation", kTxtQSimulation},
                     {"labelRipple", kTxtSimulationRipple},
                     {"unitRipple", kTxtPercent},
                     {"labelEchoPolarity", kTxtEchoPolarity},
                     {"labelDeltaTCutOff", kTxtDeltaTCutOff},
                     {"unitDeltaTCutOff", kTxtNanoseconds},
                     {"labelEr2", kTxtEr2Processing},
                     {"labelJbus", kTxtJbus},
                     {"labelExternalCoef", kTxtExternalProbeCoef},
                     {"labelLanguage", kTxtLanguage},
                     {"labelReverseDisplay", kTxtReverseDisplay},
                     {"labelReverseVideo", kTxtReverseVideo},
                     {"labelBacklight", kTxtBacklight},
                     {"labelContrast", kTxtContrast},
                     {"unitContrast", kTxtPercent},
                     {"labelResume", kTxtResumeMeasurement},
                     {"unitResume", kTxtMinutes},
                     {"labelT0Header", kTxtT0Us},
                     {"labelAngleHeader", kTxtAngleDegrees},
                     {"labelFrequencyHeader", kTxtFrequency},
                     {"labelTextHeader", kTxtText},
                     {"labelSp1", kTxtSp1},
                     {"labelSp2", kTxtSp2},
                     {"labelQRefLin", kTxtQRefLin},
                     {"labelLin0", kTxtPercent0},
                     {"labelLin10", kTxtPercent10},
                     {"labelLin20", kTxtPercent20},
                     {"labelLin30", kTxtPercent30},
                     {"labelLin40", kTxtPercent40},
                     {"labelLin50", kTxtPercent50},
                     {"labelLin60", kTxtPercent60},
                     {"labelLin70", kTxtPercent70},
                     {"labelLin80", kTxtPercent80},
                     {"labelLin90", kTxtPercent90},
                     {"labelLin100", kTxtPercent100}},
          .texts = textRows(factoryTexts(image)),
          .fields = fieldRows(factoryEdits(image)),
          .combos = comboRows(factoryLists(image)),
      },
      ui_->labelCaption, [this] { compare(); });
  showPicture(PictureRole::kCompare, false);
}

FactorySettingsDialog::~FactorySettingsDialog() = default;

void FactorySettingsDialog::loaded() {
  showPicture(PictureRole::kCompare, !session().fromFile());
}

void FactorySettingsDialog::applyRules() {
  const FactoryVisibility v = factoryVisibility(context_.image.factory);
  const std::array<QWidget*, 5> simulation{ui_->labelQSimulation, ui_->editQSimulation,
                                           ui_->labelRipple, ui_->editRipple, ui_->unitRipple};
  for (QWidget* w : simulation) w->setVisible(v.simulation);
  const std::array<std::array<QWidget*, 3>, 2> probes{
      {{ui_->editAngleSp1, ui_->comboFrequencySp1, ui_->editTextSp1},
       {ui_->editAngleSp2, ui_->comboFrequencySp2, ui_->editTextSp2}}};
  for (std::size_t k = 0; k < probes.size(); ++k) {
    for (QWidget* w : probes[k]) w->setVisible(v.specialProbe[k]);
  }
  for (QWidget* w : {ui_->labelAngleHeader, ui_->labelFrequencyHeader, ui_->labelTextHeader}) {
    w->setVisible(v.specialProbeHeaders);
  }
  // COMPARE: while the fields are exactly the unit's; a file's never has it.
  if (!session().fromFile()) showPicture(PictureRole::kCompare, session().compareOffered());
}

void FactorySettingsDialog::compare() {
  fieldsLeft();
  const std::optional<std::string> path = askOpenPath(this, context_, FileKind::kFactorySettings);
  if (!path) return;
  const ComparisonOutcome outcome =
      session().compare(*path, context_.settings.LastPathName, printEnvironment().regional);
  showComparison(this, context_, outcome, kTxtFactorySettings);
}

}  // namespace flowdesk
