// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "base/BilingualText.h"
#include "base/IdentificationCache.h"

namespace flowdesk {

// The items of a drop-down list. A bilingual list holds its N French items
// followed by its N English items; a language-independent list holds N items
// shown the same in both languages. Items are UTF-8.
struct ValueList {
  std::span<const char* const> items;
  bool bilingual = false;

  // N: the number of items per language.
  constexpr int count() const {
    return static_cast<int>(bilingual ? items.size() / 2 : items.size());
  }
};

// Shown on read-only displays for an index the list does not hold.
inline constexpr const char* kNoListText = "*****";

// Item i in the current language; "" for an index outside the list. The
// English half starts at the list's own N, whatever N a binding uses, so a
// list bound with fewer items still shows English items in English.
const char* listItem(const ValueList& list, Language language, int i);

// The items a drop-down list bound with count n shows: the first n items in
// the current language, ending early at the first empty item (or at the end
// of the list).
std::vector<std::string> fillItems(const ValueList& list, int n, Language language);

// The index a freshly filled list selects: the variable itself, or 0 when it
// is outside 0..n-1. The caller stores the result back into the variable.
int fillSelection(std::int32_t variable, int n);

// The text a read-only display shows for the variable: kNoListText when the
// variable is outside 0..n-1 (or the list holds no such item), else the item.
std::string listText(const ValueList& list, int n, std::int32_t variable, Language language);

// ---------------------------------------------------------------------------
// The lists, named as the screens name them. Item arrays live in
// valuelist_items; the ValueList constants are what bindings use. Counts the
// screens bind are noted where they differ from the list's own.

namespace valuelist_items {
inline constexpr const char* kPort[] = {"Com1", "Com2", "Com3", "Com4"};
inline constexpr const char* kBaud[] = {"300", "600", "1200", "2400", "4800", "9600"};
inline constexpr const char* kLanguage[] = {"Français", "English"};
// The ReplyEndRule, in its order.
inline constexpr const char* kReplyEnd[] = {"Silence", "Longueur", "Silence", "Length"};
inline constexpr const char* kMounting[] = {"Direct  (/)",  "Reflex1  (V)", "Reflex2  (W)",
                                            "Reflex3  (Z)", "Direct  (/)",  "Reflex1  (V)",
                                            "Reflex2  (W)", "Reflex3  (Z)"};
inline constexpr const char* kDiameterType[] = {"Diam. Intérieur",  "Diam. Extérieur",
                                                "Circ. Extérieure", "Internal Diam.",
                                                "External Diam.",   "External Circ."};
inline constexpr const char* kMaterial[] = {
    "Nylon",       "Teflon",  "Polyéthylène", "Plexi",         "PVC",       "Verre",
    "Cuivre",      "Fonte",   "Fonte grise",  "Inox",          "Acier",     "Aluminium",
    "Fibrociment", "Nylon",   "PTFE",         "Polyethy.",     "Plexi",     "PVC",
    "Glass",       "Copper",  "Cast iron",    "Gr. cast iron", "St. steel", "Steel",
    "Aluminium",   "Asbestos"};
inline constexpr const char* kProduct[] = {"Eau", "Autre", "Water", "Other"};
inline constexpr const char* kFlowUnit[] = {" l/s", "l/mn", " l/h", "m3/s", "m3/h", "m3/j",
                                            " l/s", "l/mn", " l/h", "m3/s", "m3/h", "m3/d"};
inline constexpr const char* kKhMode[] = {"(Auto)", "(Manu)", "(Auto)", "(Manu)"};
inline constexpr const char* kTotalizerMode[] = {"OFF", "(+/-)", "(+)", "(-)", "(KWh)"};
inline constexpr const char* kRelayType[] = {
    "Ouvert",         "Fermé",        "Totalisateur 1", "Totalisateur 2", "Totalisateur 3",
    "Défaut Général", "Défaut Débit", "Sens Débit",     "Seuil Débit",    "Open",
    "Close",          "Totalizer 1",  "Totalizer 2",    "Totalizer 3",    "General fault",
    "Flow fault",     "Flow dir.",    "Flow thr."};
inline constexpr const char* kPulseWidth[] = {"17 ms",  "33 ms",  "50 ms",  "67 ms",
                                              "83 ms",  "100 ms", "117 ms", "133 ms",
                                              "150 ms", "167 ms", "183 ms", "200 ms"};
inline constexpr const char* kCurrentOutput[] = {
    "OFF",          "0/20mA (Q)",   "4/20mA (Q)",      "0mA+4/20mA (Q)",
    "0/20mA (|Q|)", "4/20mA (|Q|)", "0mA+4/20mA (|Q|)"};
inline constexpr const char* kPeriod[] = {
    "1 s",  "5 s",  "10 s", "30 s", "1 mn", "2 mn", "5 mn", "10mn", "15mn", "30mn",
    "1 h",  "2 h",  "6 h",  "12 h", "24 h", "1 s",  "5 s",  "10 s", "30 s", "1 mn",
    "2 mn", "5 mn", "10mn", "15mn", "30mn", "1 h",  "2 h",  "6 h",  "12 h", "24 h"};
inline constexpr const char* kLoggerType[] = {"4 Paramètres", "9 Paramètres", "4 Parameters",
                                              "9 Parameters"};
inline constexpr const char* kAverageFlow[] = {"Q moy", "Q av."};
inline constexpr const char* kLoggedQuantity[] = {
    // French
    "Vol(l) ", "Tot1   ", "Tot2   ", "Tot3   ", "T.(1-2)", "Q moy  ", "Q max  ", "Q min  ",
    "V (m/s)", "V1(m/s)", "V2(m/s)", "V3(m/s)", "V4(m/s)", "V5(m/s)", "V6(m/s)", "C (m/s)",
    "P (kw) ", "T1(°C) ", "T2(°C) ", "DTp(°C)", "Etat   ", "C1(m/s)", "C2(m/s)", "C3(m/s)",
    "C4(m/s)", "C5(m/s)", "C6(m/s)", "Gain1dB", "Gain2dB", "Gain3dB", "Gain4dB", "Gain5dB",
    "Gain6dB", "Deltat1", "Deltat2", "Deltat3", "Deltat4", "Deltat5", "Deltat6",
    // English
    "Vol(l) ", "Tot1   ", "Tot2   ", "Tot3   ", "T.(1-2)", "Q Aver ", "Q max  ", "Q min  ",
    "V (m/s)", "V1(m/s)", "V2(m/s)", "V3(m/s)", "V4(m/s)", "V5(m/s)", "V6(m/s)", "C (m/s)",
    "P (kw) ", "T1(°C) ", "T2(°C) ", "DTp(°C)", "Status ", "C1(m/s)", "C2(m/s)", "C3(m/s)",
    "C4(m/s)", "C5(m/s)", "C6(m/s)", "Gain1dB", "Gain2dB", "Gain3dB", "Gain4dB", "Gain5dB",
    "Gain6dB", "Deltat1", "Deltat2", "Deltat3", "Deltat4", "Deltat5", "Deltat6"};
inline constexpr const char* kUnitType[] = {"VIDE",   "VOV",      "QT540-2", "VOV+ep",  "QT540-1",
                                            "RUZ+ep", "QT540-MC", "NONE",    "VOV",     "QT540-2",
                                            "VOV+th", "QT540-1",  "RUZ+th",  "QT540-MC"};
inline constexpr const char* kFunction[] = {"Mesure", "Simulation", "Measure", "Simulation"};
inline constexpr const char* kPolarity[] = {"Normale", "Inverse", "Normal", "Reverse"};
inline constexpr const char* kFrequency[] = {"5 MHz",   "4 MHz",   "3 MHz",   "2 MHz",   "1 MHz",
                                             "500 kHz", "350 kHz", "300 kHz", "250 kHz", "200 kHz",
                                             "125 kHz", "62.5kHz", "40 kHz"};
inline constexpr const char* kDisplayLanguage[] = {"FRANCAIS", "ENGLISH", "ESPANOL", "ITALIANO",
                                                   "DEUTSCH"};
inline constexpr const char* kYesNo[] = {"Non", "Oui", "No", "Yes"};
inline constexpr const char* kBacklight[] = {"OFF", "1 mn", "2 mn", "3 mn", "4 mn", "5 mn", "ON",
                                             "OFF", "1 mn", "2 mn", "3 mn", "4 mn", "5 mn", "ON"};
inline constexpr const char* kConfigurationNumber[] = {
    "0",  "1",  "2",  "3",  "4",  "5",  "6",  "7",  "8",  "9",  "10", "11",
    "12", "13", "14", "15", "16", "17", "0",  "1",  "2",  "3",  "4",  "5",
    "6",  "7",  "8",  "9",  "10", "11", "12", "13", "14", "15", "16", "17"};
inline constexpr const char* kConfigurationNumber2[] = {"0", "1", "0", "1"};
inline constexpr const char* kConfigurationChoice[] = {
    "0",  "1",  "2",  "3",  "4",  "5",      "6",  "7",  "8",  "9",  "10", "11", "12",
    "13", "14", "15", "16", "17", "Toutes", "0",  "1",  "2",  "3",  "4",  "5",  "6",
    "7",  "8",  "9",  "10", "11", "12",     "13", "14", "15", "16", "17", "ALL"};
inline constexpr const char* kConfigurationChoice2[] = {"0", "1", "Toutes", "0", "1", "ALL"};
inline constexpr const char* kEchoKindPrefix[] = {"P", "Z", "NC", "NC"};
}  // namespace valuelist_items

inline constexpr ValueList PortList{valuelist_items::kPort, false};
inline constexpr ValueList BaudList{valuelist_items::kBaud, false};
inline constexpr ValueList LanguageList{valuelist_items::kLanguage, false};
inline constexpr ValueList ReplyEndList{valuelist_items::kReplyEnd, true};
inline constexpr ValueList MountingList{valuelist_items::kMounting, true};
inline constexpr ValueList DiameterTypeList{valuelist_items::kDiameterType, true};
inline constexpr ValueList MaterialList{valuelist_items::kMaterial, true};
inline constexpr ValueList ProductList{valuelist_items::kProduct, true};
inline constexpr ValueList FlowUnitList{valuelist_items::kFlowUnit, true};
inline constexpr ValueList KhModeList{valuelist_items::kKhMode, true};
inline constexpr ValueList TotalizerModeList{valuelist_items::kTotalizerMode, false};
inline constexpr ValueList RelayTypeList{valuelist_items::kRelayType, true};
inline constexpr ValueList PulseWidthList{valuelist_items::kPulseWidth, false};
inline constexpr ValueList CurrentOutputList{valuelist_items::kCurrentOutput, false};
inline constexpr ValueList PeriodList{valuelist_items::kPeriod, true};
inline constexpr ValueList LoggerTypeList{valuelist_items::kLoggerType, true};
// Parameter 1 of the logger is always the average flow: a one-entry list.
inline constexpr ValueList AverageFlowList{valuelist_items::kAverageFlow, true};
inline constexpr ValueList LoggedQuantityList{valuelist_items::kLoggedQuantity, true};
// Index = the Unit code of the settings.
inline constexpr ValueList UnitTypeList{valuelist_items::kUnitType, true};
inline constexpr ValueList FunctionList{valuelist_items::kFunction, true};
inline constexpr ValueList PolarityList{valuelist_items::kPolarity, true};
inline constexpr ValueList FrequencyList{valuelist_items::kFrequency, false};
inline constexpr ValueList DisplayLanguageList{valuelist_items::kDisplayLanguage, false};
inline constexpr ValueList YesNoList{valuelist_items::kYesNo, true};
inline constexpr ValueList BacklightList{valuelist_items::kBacklight, true};
inline constexpr ValueList ConfigurationNumberList{valuelist_items::kConfigurationNumber, true};
inline constexpr ValueList ConfigurationNumberList2{valuelist_items::kConfigurationNumber2, true};
inline constexpr ValueList ConfigurationChoiceList{valuelist_items::kConfigurationChoice, true};
inline constexpr ValueList ConfigurationChoiceList2{valuelist_items::kConfigurationChoice2, true};
// Prefixes of the echo screen entries, one per echo kind ("%s%d" with the chord).
inline constexpr ValueList EchoKindPrefixList{valuelist_items::kEchoKindPrefix, false};

// Bound counts that differ from the list's own.
inline constexpr int kFrequencyCountSpecialProbe = 8;

// The configuration lists for a unit with `configurations` stored
// configurations: 2 gives the two-configuration variants, anything else the
// 18-configuration ones.
const ValueList& configurationNumberList(int configurations);
const ValueList& configurationChoiceList(int configurations);

// Length in seconds of PeriodList entry `index`; 0 outside the list.
std::uint32_t periodSeconds(int index);

// Number of entries of every list whose item count is fixed by the unit.
inline constexpr int kPeriodCount = 15;
inline constexpr int kLoggedQuantityCount = 39;
inline constexpr int kLoggedQuantityWidth = 7;

// ProbeNameList: the 30 names of the probe catalogue as they stand when the
// list is built. It owns copies of the names, so it stays valid when the
// catalogue changes afterwards; rebuild it to pick up a change.
class ProbeNameList {
 public:
  explicit ProbeNameList(const ProbeCatalogue& catalogue);
  ProbeNameList(const ProbeNameList& other);
  ProbeNameList& operator=(const ProbeNameList& other);

  const ValueList& list() const { return list_; }
  operator const ValueList&() const { return list_; }

 private:
  void link();

  std::array<std::string, kProbeCount> names_;
  std::array<const char*, kProbeCount> pointers_{};
  ValueList list_;
};

}  // namespace flowdesk
