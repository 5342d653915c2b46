#include "base/Texts.h"

#include <iterator>

namespace flowdesk {

const char* resourceString(int id) {
  switch (id) {
    case kIdsSelectConfiguration:
    case kIdsSelectConfiguration + 1:
      return kTxtSelectConfiguration.text(id - kIdsSelectConfiguration);
    case kIdsMeasurementPoint:
    case kIdsMeasurementPoint + 1:
      return kTxtMeasurementPoint.text(id - kIdsMeasurementPoint);
    case kIdsInputOutput:
    case kIdsInputOutput + 1:
      return kTxtInputOutput.text(id - kIdsInputOutput);
    default:
      return "";
  }
}

namespace {

#define FLOWDESK_TEXT(name, french, english) {#name, name},
const NamedText kAllTexts[] = {
#include "base/TextTable.inc"
};
#undef FLOWDESK_TEXT

}  // namespace

std::span<const NamedText> allTexts() {
  return kAllTexts;
}

}  // namespace flowdesk
