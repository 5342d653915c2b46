// SPDX-License-Identifier: GPL-3.0-or-later
// How a result is put into words: every fault its own, in both languages,
// and a port that did not open by its reason.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "base/BilingualText.h"
#include "link/LinkResult.h"

namespace flowdesk {
namespace {

TEST(LinkResultText, EveryFaultHasItsOwnWordsInBothLanguages) {
  using F = ReplyFault;
  const struct {
    ReplyFault fault;
    const char* french;
    const char* english;
  } cases[] = {
      {F::kNone, "", ""},
      {F::kPortFailed, "port non ouvert", "port not opened"},
      {F::kBusy, "échange déjà en cours", "another exchange was running"},
      {F::kBadRequest, "nombre de registres hors limites", "register count out of range"},
      {F::kNoAnswer, "pas de réponse", "no answer"},
      {F::kSendFailed, "envoi impossible", "could not send"},
      {F::kOverflow, "réponse trop longue", "reply too long"},
      {F::kTooShort, "réponse trop courte", "reply too short"},
      {F::kBadFunction, "code fonction faux", "wrong function code"},
      {F::kException, "exception 2", "exception 2"},
      {F::kBadLength, "longueur fausse", "wrong length"},
      {F::kBadCrc, "CRC faux", "bad CRC"},
      {F::kTooSlow, "réponse trop lente", "reply too slow"},
      {F::kGarbled, "la réponse était brouillée : un autre programme lit peut-être ce périphérique",
       "the reply was garbled: another program may be reading this device"},
  };
  ASSERT_EQ(std::size(cases), static_cast<std::size_t>(F::kGarbled) + 1) << "a fault left out";
  std::set<std::string> french, english;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.english);
    LinkResult r;
    r.fault = c.fault;
    r.exceptionCode = 2;
    EXPECT_EQ(r.code(), c.fault == F::kNone ? 0 : -1);
    EXPECT_EQ(linkResultText(r, kFrench, ResultWording::kFault), c.french);
    EXPECT_EQ(linkResultText(r, kEnglish, ResultWording::kFault), c.english);
    // Without a port's reason, the line and the full text are the fault.
    EXPECT_EQ(linkResultText(r, kEnglish, ResultWording::kLine), c.english);
    EXPECT_EQ(linkResultText(r, kFrench, ResultWording::kFull), c.french);
    EXPECT_EQ(linkResultText(r, kFrench, ResultWording::kCommunication),
              std::string("Communication interrompue") + (*c.french ? " \u2014 " : "") + c.french);
    EXPECT_TRUE(french.insert(c.french).second) << "worded as another fault";
    EXPECT_TRUE(english.insert(c.english).second) << "worded as another fault";
  }

  // A port that did not open says its reason: one line beside a screen's
  // data, the whole of it (the devices present after it) in a message.
  LinkResult gone;
  gone.fault = F::kPortFailed;
  PortFailure f;
  f.reason = PortFailure::Reason::kMissing;
  f.device = "/dev/ttyUSB0";
  f.presentDevices = {"/dev/ttyS0"};
  gone.port = f;
  EXPECT_EQ(linkResultText(gone, kEnglish, ResultWording::kLine),
            "Com1: /dev/ttyUSB0 does not exist (adapter unplugged?).");
  EXPECT_EQ(linkResultText(gone, kEnglish, ResultWording::kCommunication),
            "Communication Failure \u2014 Com1: /dev/ttyUSB0 does not exist (adapter unplugged?).");
  EXPECT_EQ(linkResultText(gone, kFrench, ResultWording::kFull),
            "Com1 : /dev/ttyUSB0 n'existe pas (adaptateur débranché ?).\n\n"
            "Périphériques série présents : /dev/ttyS0.");
  EXPECT_EQ(linkResultText(gone, kEnglish, ResultWording::kFault), "port not opened");
}

}  // namespace
}  // namespace flowdesk
