// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/qt/InputsOutputsPage.h"

#include <QComboBox>
#include <QLabel>
#include <array>

#include "base/Texts.h"
#include "config/ConfigurationSession.h"
#include "config/ConfigurationVisibility.h"
#include "link/AppContext.h"
#include "ui_InputsOutputsPage.h"

namespace flowdesk {

InputsOutputsPage::InputsOutputsPage(AppContext& context, ConfigurationSession& session,
                                     QWidget* parent)
    : CalibrationPage(context, session, parent), ui_(std::make_unique<Ui::InputsOutputsPage>()) {
  rows_ = {
      .labels = {{"labelFilter", kTxtFilter},
                 {"labelMemory", kTxtMemory},
                 {"labelGraphStep", kTxtGraphStep},
                 {"labelTotalizer1", kTxtTotalizer1Type},
                 {"labelTotalizer2", kTxtTotalizer2Type},
                 {"labelTotalizer3", kTxtTotalizer3Type},
                 {"labelWeight1", kTxtPulseWeightTot1},
                 {"labelWeight2", kTxtPulseWeightTot2},
                 {"labelWeight3", kTxtPulseWeightTot3},
                 {"labelRelay1", kTxtRelay1Type},
                 {"labelRelay2", kTxtRelay2Type},
                 {"labelRelay3", kTxtRelay3Type},
                 {"labelRelay4", kTxtRelay4Type},
                 {"labelThreshold1", kTxtThresholdR1},
                 {"labelThreshold2", kTxtThresholdR2},
                 {"labelThreshold3", kTxtThresholdR3},
                 {"labelThreshold4", kTxtThresholdR4},
                 {"labelPulseWidth", kTxtPulseWidth},
                 {"groupOutputCurrent", kTxtOutputCurrent}},
      .fields = fieldRows(inputsOutputsEdits(context.image)),
      .combos = comboRows(inputsOutputsLists(context.image)),
  };
  ui_->setupUi(this);
  bindRows(ui_->labelCaption, "Etal2", kLastPrintPart);
}

InputsOutputsPage::~InputsOutputsPage() = default;

void InputsOutputsPage::applyVisibility() {
  const InputsOutputsVisibility v = inputsOutputsVisibility(context_.image);
  const Language language = context_.settings.language();
  const Ui::InputsOutputsPage& u = *ui_;
  const std::array<std::array<QWidget*, 2>, 3> weights{{{u.labelWeight1, u.editWeight1},
                                                        {u.labelWeight2, u.editWeight2},
                                                        {u.labelWeight3, u.editWeight3}}};
  const std::array<QLabel*, 3> weightUnits{u.unitWeight1, u.unitWeight2, u.unitWeight3};
  for (std::size_t t = 0; t < v.pulseWeights.size() && t < weights.size(); ++t) {
    const PulseWeightVisibility& weight = v.pulseWeights[t];
    setShown({weights[t][0], weights[t][1], weightUnits[t]}, weight.shown);
    weightUnits[t]->setText(QString::fromUtf8(weight.unit.text(language)));
  }
  const std::array<std::array<QWidget*, 2>, 4> thresholds{{{u.labelThreshold1, u.editThreshold1},
                                                           {u.labelThreshold2, u.editThreshold2},
                                                           {u.labelThreshold3, u.editThreshold3},
                                                           {u.labelThreshold4, u.editThreshold4}}};
  for (std::size_t r = 0; r < v.thresholds.size() && r < thresholds.size(); ++r) {
    setShown({thresholds[r][0], thresholds[r][1]}, v.thresholds[r]);
  }
  setShown({u.labelPulseWidth, u.comboPulseWidth}, v.pulseWidth);
}

}  // namespace flowdesk
