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

constexpr double kLengthMin = 10.0, kLengthMax = 9999.9;
constexpr double kFlowLimit = 99999.9;

}  // namespace

std::vector<EditField> measurementPointEdits(DeviceImage& image) {
  ConfigurationRegion& c = image.configuration;
  std::vector<EditField> edits = {
      {kTxtNbrOfChords, &c.chordPairs, "%.0f", 1, 6},
      {kTxtThickness, &c.wallThickness, "%.1f", 0, 100},
      {kTxtDiameterValue, &c.diameter, "%.1f", kLengthMin, kLengthMax},
      {kTxtQMax, &c.maximumFlow, "%+.1f", -kFlowLimit, kFlowLimit},
      {kTxtQMin, &c.minimumFlow, "%+.1f", -kFlowLimit, kFlowLimit},
      {kTxtKh, &c.kh, "%.3f", 0, 10},
      {kTxtViscosity, &c.viscosity, "%.1f", 0.1, 999.9},
      {kTxtRoughness, &c.roughness, "%.2f", 0.01, 20},
      {kTxtC0, &c.soundSpeedC0, "%.0f", 200, 4000},
      {kTxtDeltaC, &c.deltaC, "%.0f", 1, 4000},
  };
  for (std::size_t k = 0; k < 6; ++k) {
    edits.push_back({kLengthNames[k], &c.chords[k].pathLength, "%.1f", kLengthMin, kLengthMax});
  }
  for (std::size_t k = 0; k < 6; ++k) {
    edits.push_back({kAxialNames[k], &c.chords[k].axialDistance, "%.1f", kLengthMin, kLengthMax});
  }
  for (std::size_t k = 0; k < 6; ++k) {
    edits.push_back({kCiNames[k], &c.chords[k].coefficient, "%.3f", 0, 999});
  }
  for (std::size_t k = 0; k < 6; ++k) {
    edits.push_back({kDeltaT0Names[k], &c.chords[k].deltaT0, "%+.1f", -999.9, 999.9});
  }
  return edits;
}

std::vector<ListField> measurementPointLists(DeviceImage& image, const ValueList& probeNames) {
  ConfigurationRegion& c = image.configuration;
  return {
      {kTxtProbe, &c.probe, &probeNames, kProbeCount},
      {kTxtProbeMounting, &c.probeMounting, &MountingList, MountingList.count()},
      {kTxtDiameterSetting, &c.diameterType, &DiameterTypeList, DiameterTypeList.count()},
      {kTxtMaterial, &c.pipeMaterial, &MaterialList, MaterialList.count()},
      {kTxtProduct, &c.product, &ProductList, ProductList.count()},
      {kTxtFlowUnit, &c.flowUnit, &FlowUnitList, FlowUnitList.count()},
      {kTxtKhType, &c.khType, &KhModeList, KhModeList.count()},
  };
}

std::vector<EditField> inputsOutputsEdits(DeviceImage& image) {
  ConfigurationRegion& c = image.configuration;
  std::vector<EditField> edits = {
      {kTxtFilter, &c.filter, "%.0f", 0, 60},
      {kTxtMemory, &c.memory, "%.0f", 0, 3600},
  };
  for (std::size_t r = 0; r < 4; ++r) {
    edits.push_back({kThresholdNames[r], &c.relays[r].threshold, "%+.1f", -kFlowLimit, kFlowLimit});
  }
  for (std::size_t t = 0; t < 3; ++t) {
    edits.push_back({kWeightNames[t], &c.totalizers[t].pulseWeight, "%.3f", 0.001, 100});
  }
  return edits;
}

std::vector<ListField> inputsOutputsLists(DeviceImage& image) {
  ConfigurationRegion& c = image.configuration;
  std::vector<ListField> lists = {{kTxtGraphStep, &c.graphPeriod, &PeriodList, kPeriodCount}};
  for (std::size_t t = 0; t < 3; ++t) {
    lists.push_back({kTotalizerTypeNames[t], &c.totalizers[t].type, &TotalizerModeList,
                     TotalizerModeList.count()});
  }
  for (std::size_t r = 0; r < 4; ++r) {
    lists.push_back({kRelayTypeNames[r], &c.relays[r].type, &RelayTypeList, RelayTypeList.count()});
  }
  lists.push_back({kTxtPulseWidth, &c.pulseWidth, &PulseWidthList, PulseWidthList.count()});
  lists.push_back(
      {kTxtOutputCurrent, &c.currentOutput, &CurrentOutputList, CurrentOutputList.count()});
  return lists;
}

}  // namespace flowdesk
