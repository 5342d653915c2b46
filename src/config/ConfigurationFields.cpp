// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/ConfigurationFields.h"

#include <array>

#include "base/Texts.h"

namespace flowdesk {

namespace {

constexpr std::array<BilingualText, 6> kLengthNames{kTxtLengthNo1, kTxtLengthNo2, kTxtLengthNo3,
                                                    kTxtLengthNo4, kTxtLengthNo5, kTxtLengthNo6};
constexpr std::array<BilingualText, 6> kAxialNames{kTxtAxialDistanceNo1, kTxtAxialDistanceNo2,
                                                   kTxtAxialDistanceNo3, kTxtAxialDistanceNo4,
                                                   kTxtAxialDistanceNo5, kTxtAxialDistanceNo6};
constexpr std::array<BilingualText, 6> kCiNames{kTxtCiNo1, kTxtCiNo2, kTxtCiNo3,
                                                kTxtCiNo4, kTxtCiNo5, kTxtCiNo6};
constexpr std::array<BilingualText, 6> kDeltaT0Names{
    kTxtDeltaT0No1, kTxtDeltaT0No2, kTxtDeltaT0No3, kTxtDeltaT0No4, kTxtDeltaT0No5, kTxtDeltaT0No6};
constexpr std::array<BilingualText, 4> kThresholdNames{kTxtThresholdR1, kTxtThresholdR2,
                                                       kTxtThresholdR3, kTxtThresholdR4};
constexpr std::array<BilingualText, 3> kWeightNames{kTxtPulseWeightTot1, kTxtPulseWeightTot2,
                                                    kTxtPulseWeightTot3};
constexpr std::array<BilingualText, 3> kTotalizerTypeNames{kTxtTotalizer1Type, kTxtTotalizer2Type,
                                                           kTxtTotalizer3Type};
constexpr std::array<BilingualText, 4> kRelayTypeNames{kTxtRelay1Type, kTxtRelay2Type,
                                                       kTxtRelay3Type, kTxtRelay4Type};

// The ids of the per-chord, per-relay and per-totalizer fields.
constexpr std::array<const char*, 6> kLengthIds{"Length1", "Length2", "Length3",
                                                "Length4", "Length5", "Length6"};
constexpr std::array<const char*, 6> kAxialIds{"Axial1", "Axial2", "Axial3",
                                               "Axial4", "Axial5", "Axial6"};
constexpr std::array<const char*, 6> kCiIds{"Ci1", "Ci2", "Ci3", "Ci4", "Ci5", "Ci6"};
constexpr std::array<const char*, 6> kDeltaT0Ids{"DeltaT01", "DeltaT02", "DeltaT03",
                                                 "DeltaT04", "DeltaT05", "DeltaT06"};
constexpr std::array<const char*, 4> kThresholdIds{"Threshold1", "Threshold2", "Threshold3",
                                                   "Threshold4"};
constexpr std::array<const char*, 3> kWeightIds{"Weight1", "Weight2", "Weight3"};
constexpr std::array<const char*, 3> kTotalizerIds{"Totalizer1", "Totalizer2", "Totalizer3"};
constexpr std::array<const char*, 4> kRelayIds{"Relay1", "Relay2", "Relay3", "Relay4"};

constexpr double kLengthMin = 10.0, kLengthMax = 9999.9;
constexpr double kFlowLimit = 99999.9;

}  // namespace

std::vector<EditField> measurementPointEdits(DeviceImage& image) {
  ConfigurationRegion& c = image.configuration;
  std::vector<EditField> edits = {
      {kTxtNbrOfChords, &c.chordPairs, "%.0f", 1, 6, "Chords"},
      {kTxtThickness, &c.wallThickness, "%.1f", 0, 100, "Thickness"},
      {kTxtDiameterValue, &c.diameter, "%.1f", kLengthMin, kLengthMax, "Diameter"},
      {kTxtQMax, &c.maximumFlow, "%+.1f", -kFlowLimit, kFlowLimit, "QMax"},
      {kTxtQMin, &c.minimumFlow, "%+.1f", -kFlowLimit, kFlowLimit, "QMin"},
      {kTxtKh, &c.kh, "%.3f", 0, 10, "Kh"},
      {kTxtViscosity, &c.viscosity, "%.1f", 0.1, 999.9, "Viscosity"},
      {kTxtRoughness, &c.roughness, "%.2f", 0.01, 20, "Roughness"},
      {kTxtC0, &c.soundSpeedC0, "%.0f", 200, 4000, "C0"},
      {kTxtDeltaC, &c.deltaC, "%.0f", 1, 4000, "DeltaC"},
  };
  for (std::size_t k = 0; k < 6; ++k) {
    edits.push_back(
        {kLengthNames[k], &c.chords[k].pathLength, "%.1f", kLengthMin, kLengthMax, kLengthIds[k]});
  }
  for (std::size_t k = 0; k < 6; ++k) {
    edits.push_back(
        {kAxialNames[k], &c.chords[k].axialDistance, "%.1f", kLengthMin, kLengthMax, kAxialIds[k]});
  }
  for (std::size_t k = 0; k < 6; ++k) {
    edits.push_back({kCiNames[k], &c.chords[k].coefficient, "%.3f", 0, 999, kCiIds[k]});
  }
  for (std::size_t k = 0; k < 6; ++k) {
    edits.push_back(
        {kDeltaT0Names[k], &c.chords[k].deltaT0, "%+.1f", -999.9, 999.9, kDeltaT0Ids[k]});
  }
  return edits;
}

std::vector<ListField> measurementPointLists(DeviceImage& image, const ValueList& probeNames) {
  ConfigurationRegion& c = image.configuration;
  return {
      {kTxtProbe, &c.probe, &probeNames, kProbeCount, "Probe"},
      {kTxtProbeMounting, &c.probeMounting, &MountingList, MountingList.count(), "Mounting"},
      {kTxtDiameterSetting, &c.diameterType, &DiameterTypeList, DiameterTypeList.count(),
       "DiameterType"},
      {kTxtMaterial, &c.pipeMaterial, &MaterialList, MaterialList.count(), "Material"},
      {kTxtProduct, &c.product, &ProductList, ProductList.count(), "Product"},
      {kTxtFlowUnit, &c.flowUnit, &FlowUnitList, FlowUnitList.count(), "FlowUnit"},
      {kTxtKhType, &c.khType, &KhModeList, KhModeList.count(), "KhType"},
  };
}

std::vector<EditField> inputsOutputsEdits(DeviceImage& image) {
  ConfigurationRegion& c = image.configuration;
  std::vector<EditField> edits = {
      {kTxtFilter, &c.filter, "%.0f", 0, 60, "Filter"},
      {kTxtMemory, &c.memory, "%.0f", 0, 3600, "Memory"},
  };
  for (std::size_t r = 0; r < 4; ++r) {
    edits.push_back({kThresholdNames[r], &c.relays[r].threshold, "%+.1f", -kFlowLimit, kFlowLimit,
                     kThresholdIds[r]});
  }
  for (std::size_t t = 0; t < 3; ++t) {
    edits.push_back(
        {kWeightNames[t], &c.totalizers[t].pulseWeight, "%.3f", 0.001, 100, kWeightIds[t]});
  }
  return edits;
}

std::vector<ListField> inputsOutputsLists(DeviceImage& image) {
  ConfigurationRegion& c = image.configuration;
  std::vector<ListField> lists = {
      {kTxtGraphStep, &c.graphPeriod, &PeriodList, kPeriodCount, "GraphStep"}};
  for (std::size_t t = 0; t < 3; ++t) {
    lists.push_back({kTotalizerTypeNames[t], &c.totalizers[t].type, &TotalizerModeList,
                     TotalizerModeList.count(), kTotalizerIds[t]});
  }
  for (std::size_t r = 0; r < 4; ++r) {
    lists.push_back({kRelayTypeNames[r], &c.relays[r].type, &RelayTypeList, RelayTypeList.count(),
                     kRelayIds[r]});
  }
  lists.push_back(
      {kTxtPulseWidth, &c.pulseWidth, &PulseWidthList, PulseWidthList.count(), "PulseWidth"});
  lists.push_back({kTxtOutputCurrent, &c.currentOutput, &CurrentOutputList,
                   CurrentOutputList.count(), "OutputCurrent"});
  return lists;
}

}  // namespace flowdesk
