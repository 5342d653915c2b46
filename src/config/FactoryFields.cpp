// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/FactoryFields.h"

#include <array>

#include "base/FieldFormat.h"
#include "base/Texts.h"

namespace flowdesk {

namespace {

constexpr std::array<BilingualText, FactoryRegion::kLinearisationPoints> kLinearisationNames{
    kTxtPercent0,  kTxtPercent10, kTxtPercent20, kTxtPercent30, kTxtPercent40, kTxtPercent50,
    kTxtPercent60, kTxtPercent70, kTxtPercent80, kTxtPercent90, kTxtPercent100};

constexpr std::array<const char*, FactoryRegion::kLinearisationPoints> kLinearisationIds{
    "Lin0",  "Lin10", "Lin20", "Lin30", "Lin40", "Lin50",
    "Lin60", "Lin70", "Lin80", "Lin90", "Lin100"};
constexpr int kSpecialProbeFrequencies = 13;
constexpr int kReferenceFlowUnits = 6;
constexpr int kDeviceVariants = 7;
constexpr std::size_t kSpecialProbeTextLength = 6;

}  // namespace

std::vector<EditField> factoryEdits(DeviceImage& image) {
  FactoryRegion& f = image.factory;
  SpecialProbeSlot& sp1 = f.specialProbes[0];
  SpecialProbeSlot& sp2 = f.specialProbes[1];
  std::vector<EditField> edits = {
      {kTxtQSimulation, &f.simulatedFlow, "%+.1f", -799999.9, 799999.9, "QSimulation"},
      {kTxtDeltaTCutOff, &f.deltaTCutOff, "%.1f", 0, 6500.0, "DeltaTCutOff"},
      {kTxtSimulationRipple, &f.simulationRipple, "%.0f", 0, 100, "Ripple"},
      {kTxtEr2Processing, &f.er2Processing, "%.0f", 0, 255, "Er2"},
      {kTxtExternalProbeCoef, &f.externalPipeCoefficient, "%.1f", 0, 2.0, "ExternalCoef"},
      {kTxtJbus, &f.jbusAddress, "%.0f", 1, 255, "Jbus"},
      {kTxtResumeMeasurement, &f.resumeDelay, "%.0f", 0, 30, "Resume"},
      {kTxtContrast, &f.contrast, "%.0f", 0, 100, "Contrast"},
      {kTxtT0Sp1, &sp1.t0, "%.1f", 0, 25.5, "T0Sp1"},
      {kTxtT0Sp2, &sp2.t0, "%.1f", 0, 25.5, "T0Sp2"},
      {kTxtAngleSp1, &sp1.angle, "%.2f", 0, 90, "AngleSp1"},
      {kTxtAngleSp2, &sp2.angle, "%.2f", 0, 90, "AngleSp2"},
      {kTxtQRefLin, &f.linearisationReferenceFlow, "%.0f", 0, 10000, "QRefLin"},
  };
  for (std::size_t i = 0; i < kLinearisationNames.size(); ++i) {
    edits.push_back(
        {kLinearisationNames[i], &f.linearisation[i], "%.3f", 0, 10, kLinearisationIds[i]});
  }
  return edits;
}

std::vector<ListField> factoryLists(DeviceImage& image) {
  FactoryRegion& f = image.factory;
  return {
      {kTxtFunction, &f.function, &FunctionList, FunctionList.count(), "Function"},
      {kTxtEchoPolarity, &f.echoPolarity, &PolarityList, PolarityList.count(), "EchoPolarity"},
      {kTxtFrequencySp1, &f.specialProbes[0].frequency, &FrequencyList, kSpecialProbeFrequencies,
       "FrequencySp1"},
      {kTxtFrequencySp2, &f.specialProbes[1].frequency, &FrequencyList, kSpecialProbeFrequencies,
       "FrequencySp2"},
      {kTxtLanguage, &f.language, &DisplayLanguageList, DisplayLanguageList.count(), "Language"},
      {kTxtReverseDisplay, &f.displayInversion, &YesNoList, YesNoList.count(), "ReverseDisplay"},
      {kTxtBacklight, &f.backlight, &BacklightList, BacklightList.count(), "Backlight"},
      {kTxtReverseVideo, &f.videoInversion, &PolarityList, PolarityList.count(), "ReverseVideo"},
      {kTxtQRefLinUnit, &f.linearisationReferenceUnit, &FlowUnitList, kReferenceFlowUnits,
       "QRefLinUnit"},
  };
}

std::vector<TextField> factoryTexts(DeviceImage& image) {
  FactoryRegion& f = image.factory;
  return {{kTxtTextSp1, &f.specialProbes[0].text, kSpecialProbeTextLength, "TextSp1"},
          {kTxtTextSp2, &f.specialProbes[1].text, kSpecialProbeTextLength, "TextSp2"}};
}

std::vector<EditField> makerEdits(DeviceImage& image) {
  MakerRegion& m = image.maker;
  return {
      {kTxtSerialNumber, &m.serialFirst, "%02.0f", 1, 52, "Serial1"},
      {kTxtSerialNumber, &m.serialSecond, "%02.0f", 0, 99, "Serial2"},
      {kTxtSerialNumber, &m.serialThird, "%05.0f", 0, 65535, "Serial3"},
      {kTxtPoints4mA, &m.point4mA, "%.0f", 1, 65535, "4mA"},
      {kTxtPoints20mA, &m.point20mA, "%.0f", 1, 65535, "20mA"},
  };
}

std::vector<ListField> makerLists(DeviceImage& image) {
  return {{kTxtDevice, &image.maker.deviceVariant, &UnitTypeList, kDeviceVariants, "Device"}};
}

ReportTable factoryReportTable() {
  return [](DeviceImage& image) {
    std::vector<ReportField> rows;
    for (const EditField& e : factoryEdits(image))
      rows.push_back({e.reportName, e.variable, e.format});
    for (const ListField& l : factoryLists(image)) {
      rows.push_back({l.reportName, l.variable, "", l.list, l.count});
    }
    for (const TextField& t : factoryTexts(image)) rows.push_back({t.reportName, t.variable});
    return rows;
  };
}

void clampFields(const std::vector<EditField>& edits, const std::vector<ListField>& lists,
                 const std::vector<TextField>& texts) {
  for (const EditField& e : edits) {
    *e.variable = toFieldFloat(clampToRange(*e.variable, e.min, e.max));
  }
  for (const ListField& l : lists) {
    if (*l.variable < 0 || *l.variable >= l.count) *l.variable = 0;
  }
  for (const TextField& t : texts) *t.variable = cutText(*t.variable, t.maxLength);
}

FactoryVisibility factoryVisibility(const FactoryRegion& factory) {
  FactoryVisibility v;
  v.simulation = factory.function == 1;
  for (std::size_t k = 0; k < v.specialProbe.size(); ++k) {
    v.specialProbe[k] = factory.specialProbes[k].t0 != 0;
  }
  v.specialProbeHeaders = v.specialProbe[0] || v.specialProbe[1];
  return v;
}

}  // namespace flowdesk
