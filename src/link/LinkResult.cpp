// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/LinkResult.h"

#include <algorithm>

#include "base/Texts.h"

namespace flowdesk {

namespace {

const BilingualText* faultText(ReplyFault fault) {
  switch (fault) {
    case ReplyFault::kNone:
      return nullptr;
    case ReplyFault::kPortFailed:
      return &kTxtFaultPortFailed;
    case ReplyFault::kBusy:
      return &kTxtFaultBusy;
    case ReplyFault::kBadRequest:
      return &kTxtFaultBadRequest;
    case ReplyFault::kNoAnswer:
      return &kTxtFaultNoAnswer;
    case ReplyFault::kSendFailed:
      return &kTxtFaultSendFailed;
    case ReplyFault::kOverflow:
      return &kTxtFaultOverflow;
    case ReplyFault::kTooShort:
      return &kTxtFaultTooShort;
    case ReplyFault::kBadFunction:
      return &kTxtFaultBadFunction;
    case ReplyFault::kException:
      return &kTxtFaultException;
    case ReplyFault::kBadLength:
      return &kTxtFaultBadLength;
    case ReplyFault::kBadCrc:
      return &kTxtFaultBadCrc;
    case ReplyFault::kTooSlow:
      return &kTxtFaultTooSlow;
    case ReplyFault::kGarbled:
      return &kTxtFaultGarbled;
  }
  return nullptr;
}

// The fault alone, or the port's first line when the port failed: the
// devices present and the advice are left out, a line beside a screen's
// data has no room for them (the connection page lists them).
std::string lineText(const LinkResult& result, Language language) {
  if (result.port) {
    std::string text = portFailureText(*result.port, language);
    text.resize(std::min(text.size(), text.find('\n')));
    return text;
  }
  const BilingualText* text = faultText(result.fault);
  if (text == nullptr) return {};
  return textWithNumbers(text->text(language), {result.exceptionCode});
}

}  // namespace

std::span<const std::uint8_t> LinkResult::data() const {
  if (frame.size() < 5) return {};
  return frame.subspan(3, frame.size() - 5);
}

std::string linkResultText(const LinkResult& result, Language language, ResultWording wording) {
  switch (wording) {
    case ResultWording::kFault: {
      const BilingualText* text = faultText(result.fault);
      return text == nullptr ? std::string()
                             : textWithNumbers(text->text(language), {result.exceptionCode});
    }
    case ResultWording::kLine:
      return result.ok() ? std::string() : lineText(result, language);
    case ResultWording::kCommunication: {
      const std::string reason = result.ok() ? std::string() : lineText(result, language);
      std::string text = kTxtCommunicationFailure.text(language);
      return reason.empty() ? text : text + " \u2014 " + reason;
    }
    case ResultWording::kFull:
      if (result.port) return openFailureText(*result.port, language);
      return linkResultText(result, language, ResultWording::kFault);
  }
  return {};
}

}  // namespace flowdesk
