// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/qt/MeasurementPointPage.h"

#include <QComboBox>
#include <array>

#include "base/Texts.h"
#include "config/ConfigurationSession.h"
#include "config/ConfigurationVisibility.h"
#include "link/AppContext.h"
#include "ui_MeasurementPointPage.h"

namespace flowdesk {

MeasurementPointPage::MeasurementPointPage(AppContext& context, ConfigurationSession& session,
                                           QWidget* parent)
    : CalibrationPage(context, session, parent),
      probeNames_(context.settings.probes),
      ui_(std::make_unique<Ui::MeasurementPointPage>()) {
  rows_ = {
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
  };
  ui_->setupUi(this);
  bindRows(ui_->labelCaption, "Etal1", 1);
}

MeasurementPointPage::~MeasurementPointPage() = default;

void MeasurementPointPage::applyVisibility() {
  const MeasurementPointVisibility v =
      measurementPointVisibility(context_.image, context_.settings.probes);
  const Ui::MeasurementPointPage& u = *ui_;
  setShown({u.frameKh, u.labelKhType, u.comboKhType}, v.khFrame);
  setShown({u.labelKh, u.editKh}, v.kh);
  setShown({u.labelViscosity, u.editViscosity, u.unitViscosity}, v.viscosity);
  setShown({u.labelRoughness, u.editRoughness, u.unitRoughness}, v.roughness);
  setShown({u.labelDeltaT0Row}, v.deltaT0Label);
  setShown({u.labelLengthRow}, v.lengthLabel);
  setShown({u.labelAxialRow}, v.axialDistanceLabel);
  setShown({u.labelCiRow}, v.ciLabel);
  // The chord columns, 1 to 6.
  const std::array<std::array<QWidget*, 5>, 6> chords{{
      {u.labelChord1, u.editLength1, u.editAxial1, u.editCi1, u.editDeltaT01},
      {u.labelChord2, u.editLength2, u.editAxial2, u.editCi2, u.editDeltaT02},
      {u.labelChord3, u.editLength3, u.editAxial3, u.editCi3, u.editDeltaT03},
      {u.labelChord4, u.editLength4, u.editAxial4, u.editCi4, u.editDeltaT04},
      {u.labelChord5, u.editLength5, u.editAxial5, u.editCi5, u.editDeltaT05},
      {u.labelChord6, u.editLength6, u.editAxial6, u.editCi6, u.editDeltaT06},
  }};
  for (std::size_t k = 0; k < v.chords.size() && k < chords.size(); ++k) {
    const ChordColumnVisibility& chord = v.chords[k];
    const auto& [header, length, axial, ci, deltaT0] = chords[k];
    header->setVisible(chord.header);
    length->setVisible(chord.length);
    axial->setVisible(chord.axialDistance);
    ci->setVisible(chord.ci);
    deltaT0->setVisible(chord.deltaT0);
  }
  setShown({u.labelThickness, u.editThickness, u.unitThickness}, v.wallThickness);
  setShown({u.labelMounting, u.comboMounting}, v.probeMounting);
  setShown({u.labelMaterial, u.comboMaterial}, v.pipeMaterial);
  setShown({u.labelC0, u.editC0, u.unitC0}, v.c0);
  setShown({u.labelDeltaC, u.editDeltaC, u.unitDeltaC}, v.deltaC);
}

}  // namespace flowdesk
