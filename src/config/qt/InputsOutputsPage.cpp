// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/qt/InputsOutputsPage.h"

#include <QComboBox>
#include <QLabel>
#include <array>

#include "base/Texts.h"
#include "base/qt/UserInterface.h"
#include "base/qt/WindowPrinter.h"
#include "config/ConfigurationSession.h"
#include "config/ConfigurationVisibility.h"
#include "link/AppContext.h"
#include "ui_InputsOutputsPage.h"

namespace flowdesk {

namespace {

constexpr std::array<const char*, 3> kWeightLabels{"labelWeight1", "labelWeight2", "labelWeight3"};
constexpr std::array<const char*, 3> kWeightUnits{"unitWeight1", "unitWeight2", "unitWeight3"};
constexpr std::array<const char*, 4> kThresholdLabels{"labelThreshold1", "labelThreshold2",
                                                      "labelThreshold3", "labelThreshold4"};

}  // namespace

InputsOutputsPage::InputsOutputsPage(AppContext& context, ConfigurationSession& session,
                                     QWidget* parent)
    : CalibrationPage(context, session, parent),
      rows_{
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
      },
      ui_(std::make_unique<Ui::InputsOutputsPage>()) {
  ui_->setupUi(this);
  bindRows(rows_, context_.settings.Language, ui_->labelCaption,
           session.fromFile() ? session.filePath() : std::string());
}

InputsOutputsPage::~InputsOutputsPage() = default;

void InputsOutputsPage::applyVisibility() {
  const InputsOutputsVisibility v = inputsOutputsVisibility(context_.image);
  const int language = context_.settings.Language;
  for (std::size_t t = 0; t < v.pulseWeights.size(); ++t) {
    const PulseWeightVisibility& weight = v.pulseWeights[t];
    const std::string edit = editControl("Weight" + std::to_string(t + 1));
    setShown({kWeightLabels[t], edit.c_str(), kWeightUnits[t]}, weight.shown);
    if (auto* unit = findChild<QLabel*>(QString::fromLatin1(kWeightUnits[t]))) {
      unit->setText(QString::fromUtf8(weight.unit.text(language)));
    }
  }
  for (std::size_t r = 0; r < v.thresholds.size(); ++r) {
    const std::string edit = editControl("Threshold" + std::to_string(r + 1));
    setShown({kThresholdLabels[r], edit.c_str()}, v.thresholds[r]);
  }
  setShown({"labelPulseWidth", "comboPulseWidth"}, v.pulseWidth);
}

void InputsOutputsPage::printPage() {
  const PrintOutcome outcome = printWindow(this, QStringLiteral("Etal2"), 1, 1, 2);
  session_.PrintMode = false;
  if (outcome != PrintOutcome::Printed) {
    userInterface().message(this, UserInterface::Icon::Warning,
                            QString::fromUtf8(kTxtCalibration.text(context_.settings.Language)),
                            printOutcomeNote(outcome, context_.settings.Language));
  }
  emit printed(outcome == PrintOutcome::Printed);
}

}  // namespace flowdesk
