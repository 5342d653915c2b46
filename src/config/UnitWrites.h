// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <string>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "link/BlockMaps.h"
#include "link/BlockTransfer.h"
#include "link/DeviceImage.h"

namespace flowdesk {

// A calendar date and time of the PC, in its own time zone (year in full).
struct LocalDateTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};
using LocalTimeSource = std::function<LocalDateTime()>;
LocalDateTime systemLocalTime();

// The writes that several screens send the same way, as steps of a write
// sequence (runWriteSequence), each with its progress text.

// "Mise à l'heure": the ClockBlock from the PC's time, taken when the step runs.
WriteStep clockWriteStep(DeviceImage& image, LocalTimeSource localTime, Language language);
// "Traitement Raz": the CommandBlock with these flags.
WriteStep commandWriteStep(const Commands& commands, Language language);
// "Transfert config n° k": a whole configuration block, already encoded.
WriteStep configurationWriteStep(const Bytes& block, int number, Language language);

// The progress text of writing configuration `number`.
std::string uploadStepText(int number, Language language);

// The special-probe slots live in the FactoryBlock among settings that are
// not ours to change: the block is read (into `image`, without letting that
// read identify the unit, which would replace the cached words the caller
// may hold), `change` edits the slots, and the whole block goes back. The
// identification is due again after the write, since the unit's probes
// changed; after a failed read it is left as it was.
LinkResult rewriteFactoryBlock(JbusMaster& master, DeviceImage& image,
                               const std::function<void(FactoryRegion&)>& change);

}  // namespace flowdesk
