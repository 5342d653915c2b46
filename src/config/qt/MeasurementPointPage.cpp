// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/qt/MeasurementPointPage.h"

#include <QComboBox>
#include <array>

#include "base/Texts.h"
#include "base/qt/UserInterface.h"
#include "base/qt/WindowPrinter.h"
#include "config/ConfigurationSession.h"
#include "config/ConfigurationVisibility.h"
#include "link/AppContext.h"
#include "ui_MeasurementPointPage.h"

namespace flowdesk {

namespace {

constexpr std::array<const char*, 6> kChordHeaders{"labelChord1", "labelChord2", "labelChord3",
                                                   "labelChord4", "labelChord5", "labelChord6"};

}  // namespace

MeasurementPointPage::MeasurementPointPage(AppContext& context, ConfigurationSession& session,
                                           QWidget* parent)
    : CalibrationPage(context, session, parent),
      probeNames_(context.settings.probes),
      rows_{
          .labels = {{"labelProbe", kTxtProbe},
                     {"labelMounting", kTxtProbeMounting},
                     {"labelChords", kTxtNbrOfChords},
                     {"unitDiameter", kTxtMillimetres},
                     {"labelThickness", kTxtThickness},
                     {"unitThickness", kTxtMillimetres},
                     {"labelMaterial", kTxtMaterial},
                     {"labelProduct", kTxtProduct},
                     {"labelC0", kTxtC0},
                     {"unitC0", kTxtMetresPerSecond},
                     {"labelDeltaC", kTxtDeltaC},
                     {"unitDeltaC", kTxtMetresPerSecond},
                     {"labelFlowUnit", kTxtFlowUnit},
                     {"labelQMin", kTxtQMin},
                     {"labelQMax", kTxtQMax},
                     {"labelKhType", kTxtKhType},
                     {"labelKh", kTxtKh},
                     {"labelViscosity", kTxtViscosity},
                     {"unitViscosity", kTxtCentistokes},
                     {"labelRoughness", kTxtRoughness},
                     {"unitRoughness", kTxtMillimetres},
                     {"labelChord1", kTxtChord1},
                     {"labelChord2", kTxtChord2},
                     {"labelChord3", kTxtChord3},
                     {"labelChord4", kTxtChord4},
                     {"labelChord5", kTxtChord5},
                     {"labelChord6", kTxtChord6},
                     {"labelDeltaT0Row", kTxtDeltaT0Ns},
                     {"labelLengthRow", kTxtLengthMm},
                     {"labelAxialRow", kTxtAxialDistanceMm},
                     {"labelCiRow", kTxtCi}},
          .fields = fieldRows(measurementPointEdits(context.image)),
          .combos = comboRows(measurementPointLists(context.image, probeNames_)),
      },
      ui_(std::make_unique<Ui::MeasurementPointPage>()) {
  ui_->setupUi(this);
  bindRows(rows_, context_.settings.Language, ui_->labelCaption,
           session.fromFile() ? session.filePath() : std::string());
}

MeasurementPointPage::~MeasurementPointPage() = default;

void MeasurementPointPage::applyVisibility() {
  const MeasurementPointVisibility v =
      measurementPointVisibility(context_.image, context_.settings.probes);
  setShown({"frameKh", "labelKhType", "comboKhType"}, v.khFrame);
  setShown({"labelKh", "editKh"}, v.kh);
  setShown({"labelViscosity", "editViscosity", "unitViscosity"}, v.viscosity);
  setShown({"labelRoughness", "editRoughness", "unitRoughness"}, v.roughness);
  setShown({"labelDeltaT0Row"}, v.deltaT0Label);
  setShown({"labelLengthRow"}, v.lengthLabel);
  setShown({"labelAxialRow"}, v.axialDistanceLabel);
  setShown({"labelCiRow"}, v.ciLabel);
  for (std::size_t k = 0; k < v.chords.size(); ++k) {
    const ChordColumnVisibility& chord = v.chords[k];
    const std::string n = std::to_string(k + 1);
    setShown({kChordHeaders[k]}, chord.header);
    setShown({editControl("Length" + n).c_str()}, chord.length);
    setShown({editControl("Axial" + n).c_str()}, chord.axialDistance);
    setShown({editControl("Ci" + n).c_str()}, chord.ci);
    setShown({editControl("DeltaT0" + n).c_str()}, chord.deltaT0);
  }
  setShown({"labelThickness", "editThickness", "unitThickness"}, v.wallThickness);
  setShown({"labelMounting", "comboMounting"}, v.probeMounting);
  setShown({"labelMaterial", "comboMaterial"}, v.pipeMaterial);
  setShown({"labelC0", "editC0", "unitC0"}, v.c0);
  setShown({"labelDeltaC", "editDeltaC", "unitDeltaC"}, v.deltaC);
}

void MeasurementPointPage::printPage() {
  const PrintOutcome outcome = printWindow(this, QStringLiteral("Etal1"), 1, 1, 1);
  if (outcome != PrintOutcome::Printed) {
    session_.PrintMode = false;
    userInterface().message(this, UserInterface::Icon::Warning,
                            QString::fromUtf8(kTxtCalibration.text(context_.settings.Language)),
                            printOutcomeNote(outcome, context_.settings.Language));
  }
  emit printed(outcome == PrintOutcome::Printed);
}

}  // namespace flowdesk
