// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <initializer_list>
#include <span>
#include <string>

#include "base/BilingualText.h"

namespace flowdesk {

// Every text the screens show, in French and English, compiled in: one
// kTxt... constant per pair, each defined in TextTable.inc (which also says
// how they are named).

#define FLOWDESK_TEXT(name, french, english) inline constexpr BilingualText name{french, english};
#include "base/TextTable.inc"
#undef FLOWDESK_TEXT

// The status help window: a fixed letter and its meaning, in display order.
struct StatusHelpLine {
  const char* letter;
  BilingualText meaning;
};
inline constexpr StatusHelpLine kStatusHelpLines[] = {
    {"~", kTxtStatusNoFault},       {"A", kTxtFlowFault},     {"B", kTxtCalibrationAccess},
    {"C", kTxtRamcardBatteryFault}, {"D", kTxtRelayOverflow}, {"E", kTxtPowerOn},
    {"F", kTxtCalorimetryFault},    {"G", kTxtEchoLossV1},    {"H", kTxtEchoLossV2},
    {"I", kTxtEchoLossV3},          {"J", kTxtEchoLossV4},    {"K", kTxtEchoLossV5},
    {"L", kTxtEchoLossV6},
};

// Print job names, the same in both languages.
inline constexpr const char* kDocLoggerSettings = "Logger Settings";
inline constexpr const char* kDocMeasurementPoint = "Etal1";
inline constexpr const char* kDocInputsOutputs = "Etal2";
inline constexpr const char* kDocLogger = "Logger";
inline constexpr const char* kDocMeasurement = "Measurement";
inline constexpr const char* kDocMakerSettings = "NORVADINE Settings";
inline constexpr const char* kDocFactorySettings = "Factory Settings";
inline constexpr const char* kDocEcho = "Echo";

// Tab captions of the calibration sheet as string resources: the French ID,
// then the English one right after it (102/103, 105/106, 107/108).
inline constexpr int kIdsSelectConfiguration = 102;
inline constexpr int kIdsMeasurementPoint = 105;
inline constexpr int kIdsInputOutput = 107;

// The ID of a caption pair at position `language` (French ID + language).
constexpr int captionId(int frenchId, Language language) {
  return frenchId + (language == kEnglish ? 1 : 0);
}

// A text with its "%d" marks replaced by the numbers in turn; the text never
// reaches the C formatter, so a stray mark cannot read past the arguments.
std::string textWithNumbers(std::string text, std::initializer_list<long long> numbers);

// Text of a string resource ID; "" for an ID that is not one of the six.
const char* resourceString(int id);

// Every pair of the text table with its name, expanded from the same table as
// the constants, for checks over all of them.
struct NamedText {
  const char* name;
  BilingualText text;
};
std::span<const NamedText> allTexts();

}  // namespace flowdesk
