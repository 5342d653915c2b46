// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <string>

namespace flowdesk {

// The program's copy of the unit. Every register value a screen shows or edits
// lives here as a typed value; the FieldMaps of BlockMaps.h move it to and from
// the register bytes. Fields are grouped by the block that fills them. Scaled
// register values are floats (stored integer / divisor); list indexes, flags
// and plain bytes are 32-bit integers; texts are UTF-8 strings.

// Six bytes of a date and time as the unit sends them (year minus 2000).
struct UnitDateTime {
  std::int32_t year = 0;
  std::int32_t month = 0;
  std::int32_t day = 0;
  std::int32_t hour = 0;
  std::int32_t minute = 0;
  std::int32_t second = 0;
  bool operator==(const UnitDateTime&) const = default;
};

// Per-chord live values (block M2).
struct ChordMeasurement {
  float gain = 0;           // dB
  float deltaT = 0;         // ns
  float transitTime = 0;    // µs
  float velocity = 0;       // m/s
  float soundVelocity = 0;  // m/s
  bool operator==(const ChordMeasurement&) const = default;
};

// Measurement blocks S1 (0x0000), S2 (0x100D), M1 (0x0100), M2 (0x0200).
struct MeasurementRegion {
  static constexpr int kTotalizers = 5;  // T1, T2, T3, Vol., T.(1-2)
  static constexpr int kChords = 6;
  static constexpr int kTrendSamples = 100;

  // S1
  std::array<std::int32_t, 4> totalizerFraction{};        // T1, T2, T3, Vol.: thousandths
  std::array<std::int32_t, kTotalizers> totalizerMode{};  // TotalizerModeList index
  std::int32_t flowUnitIndex = 0;                         // FlowUnitList index
  float chordsInUse = 0;
  std::int32_t khMode = 0;                // 0 (Auto), 1 (Manu)
  std::int32_t loggerFitted = 0;          // non-zero: the unit has a logger
  std::int32_t probeIndex = 0;            // ProbeCatalogue index
  float loggerSize = 0;                   // records
  float probeDiameter = 0;                // mm
  std::array<char, 15> displayVersion{};  // display board software, 14 bytes
  std::array<char, 11> vovVersion{};      // VOV software, 10 bytes
  std::int32_t echoKindSelector = 0;      // non-zero: two echo kinds per chord, else four
  // S1 bytes no screen interprets, kept by register position so that nothing
  // the unit sends is dropped.
  std::int32_t s1Reg000CLow = 0;
  std::int32_t s1Reg000D = 0;
  std::int32_t s1Reg000E = 0;
  std::int32_t s1Reg000FHigh = 0;
  std::int32_t s1Reg000FLow = 0;
  std::int32_t s1Reg0013High = 0;
  std::int32_t s1Reg0013Low = 0;
  std::int32_t s1Reg0020Low = 0;

  // S2: trend graph scale, in flow units
  float trendScaleLow = 0;
  float trendScaleHigh = 0;

  // M1 (the re-read flag is also in M2, decoded after M1)
  std::int32_t rereadFlag = 0;
  float flow = 0;
  float velocity = 0;  // m/s
  std::array<std::int32_t, kTotalizers> totalizerWhole{};
  std::int32_t flowFault = 0;                      // status bit 0
  std::int32_t ramcardBatteryLow = 0;              // status bit 2
  std::int32_t relayCountingFault = 0;             // status bit 3
  std::int32_t calorimetryFault = 0;               // status bit 6
  std::int32_t calorimetryHidden = 0;              // status bit 7
  std::array<std::int32_t, kChords> chordFault{};  // status bits 8 to 13
  float soundVelocity = 0;                         // m/s
  float khFactor = 0;
  UnitDateTime unitClock;
  float loggerRecordsFilled = 0;
  UnitDateTime loggerClock;
  float loggerFlow = 0;
  float temperature1 = 0;                           // °C
  float temperature2 = 0;                           // °C
  float temperatureDifference = 0;                  // °C
  float thermalPower = 0;                           // kW
  std::array<float, kTrendSamples> trendSamples{};  // oldest first

  // M2
  std::array<ChordMeasurement, kChords> chords{};

  bool operator==(const MeasurementRegion&) const = default;
};

// Geometry of one chord of a configuration.
struct ChordGeometry {
  float pathLength = 0;     // mm
  float axialDistance = 0;  // mm
  float coefficient = 0;    // Ci
  float deltaT0 = 0;        // ns
  bool operator==(const ChordGeometry&) const = default;
};

struct TotalizerOutput {
  std::int32_t type = 0;  // TotalizerModeList index
  float pulseWeight = 0;
  bool operator==(const TotalizerOutput&) const = default;
};

struct RelayOutput {
  std::int32_t type = 0;  // relay type list index
  float threshold = 0;
  bool operator==(const RelayOutput&) const = default;
};

// One ConfigurationBlock (measurement point and inputs/outputs).
struct ConfigurationRegion {
  // measurement point
  std::int32_t probe = 0;  // ProbeCatalogue index
  std::int32_t probeMounting = 0;
  float chordPairs = 0;
  std::int32_t diameterType = 0;
  float diameter = 0;  // mm
  std::int32_t flowUnit = 0;
  std::int32_t khType = 0;
  float kh = 0;
  std::int32_t product = 0;
  float viscosity = 0;  // cSt
  float roughness = 0;  // mm
  std::int32_t pipeMaterial = 0;
  float wallThickness = 0;  // mm
  float soundSpeedC0 = 0;   // m/s
  float deltaC = 0;         // m/s
  float minimumFlow = 0;
  float maximumFlow = 0;
  std::array<ChordGeometry, 6> chords{};
  // inputs/outputs
  float filter = 0;  // s
  float memory = 0;  // s
  std::int32_t graphPeriod = 0;
  std::array<TotalizerOutput, 3> totalizers{};
  std::array<RelayOutput, 4> relays{};
  std::int32_t currentOutput = 0;
  std::int32_t pulseWidth = 0;

  bool operator==(const ConfigurationRegion&) const = default;
};

// One of the unit's two special-probe slots.
struct SpecialProbeSlot {
  float angle = 0;             // degrees
  float t0 = 0;                // µs
  std::int32_t frequency = 0;  // frequency list index
  std::string text;            // at most 6 characters
  bool operator==(const SpecialProbeSlot&) const = default;
};

// FactoryBlock (0x2200), including the two special probes.
struct FactoryRegion {
  static constexpr int kLinearisationPoints = 11;  // 0 %, 10 % ... 100 %

  std::int32_t echoPolarity = 0;
  std::int32_t function = 0;  // 0 measure, 1 simulation
  float deltaTCutOff = 0;     // ns
  float er2Processing = 0;
  float jbusAddress = 0;  // the unit's own slave address
  std::int32_t displayInversion = 0;
  float simulatedFlow = 0;
  float simulationRipple = 0;                       // %
  std::array<SpecialProbeSlot, 2> specialProbes{};  // SP1, SP2
  float linearisationReferenceFlow = 0;
  std::int32_t linearisationReferenceUnit = 0;  // flow unit index
  std::array<float, kLinearisationPoints> linearisation{};
  std::int32_t backlight = 0;
  std::int32_t videoInversion = 0;
  float externalPipeCoefficient = 0;
  std::int32_t language = 0;  // the unit's display language
  float contrast = 0;         // %
  float resumeDelay = 0;      // minutes

  bool operator==(const FactoryRegion&) const = default;
};

// Logger settings block (0x3100).
struct LoggerSettingsRegion {
  std::int32_t periodIndex = 0;  // PeriodList index
  float pointNumber = 0;
  std::int32_t loggerType = 0;                // 0: 4 parameters, 1: 9 parameters
  std::array<std::int32_t, 8> loggedParam{};  // parameters 2 to 9

  bool operator==(const LoggerSettingsRegion&) const = default;
};

// Maker block (0x3300).
struct MakerRegion {
  float serialFirst = 0;
  float serialSecond = 0;
  float serialThird = 0;
  std::int32_t reserved = 0;  // bytes 4-5: not ours to change, carried through
  float point4mA = 0;
  float point20mA = 0;
  std::int32_t deviceVariant = 0;

  bool operator==(const MakerRegion&) const = default;
};

// ClockBlock (0x2301): written only.
struct ClockRegion {
  std::int16_t year = 0;  // year - 2000
  std::int16_t month = 0;
  std::int16_t day = 0;
  std::int16_t hour = 0;
  std::int16_t minute = 0;
  std::int16_t second = 0;

  bool operator==(const ClockRegion&) const = default;
};

// Echo command (0x2320).
struct EchoCommandRegion {
  std::int32_t screenCode = 0;  // 0 stops the echo screen

  bool operator==(const EchoCommandRegion&) const = default;
};

struct DeviceImage {
  MeasurementRegion measurement;
  ConfigurationRegion configuration;
  FactoryRegion factory;
  LoggerSettingsRegion logger;
  MakerRegion maker;
  ClockRegion clock;
  EchoCommandRegion echo;

  bool operator==(const DeviceImage&) const = default;
};

// The one image of the running program (zero at start-up, texts empty). Maps
// can also be built for any other instance, which tests and comparisons use.
DeviceImage& deviceImage();

}  // namespace flowdesk
