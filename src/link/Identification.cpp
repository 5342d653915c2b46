// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/Identification.h"

#include "link/BlockMaps.h"
#include "link/Blocks.h"
#include "link/FieldMap.h"
#include "link/IdentificationParse.h"

namespace flowdesk {

LinkResult IdentificationRead(JbusMaster& master, DeviceImage& image, IdentificationCache& cache) {
  const auto read = [&master](const RegisterBlock& block) {
    return master.readRegisters(block.firstRegister, block.count);
  };
  // Everything is learnt into a copy and kept only when all three reads
  // succeed, so a unit that stops answering halfway cannot leave a catalogue
  // that is half its own and half the previous one.
  IdentificationCache learnt = cache;
  LinkResult r = read(kCatalogueLowBlock);
  if (!r.ok()) return r;
  parseCatalogueLow(r.data().data(), learnt.probes);
  r = read(kCatalogueHighBlock);
  if (!r.ok()) return r;
  parseCatalogueHigh(r.data().data(), learnt);
  r = read(kFactoryBlock);
  if (!r.ok()) return r;
  decodeReply(factoryMap(image), r.data().data());
  applySpecialProbeWords(image, learnt);

  cache = learnt;
  return r;
}

}  // namespace flowdesk
