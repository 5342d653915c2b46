// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "config/BlockLength.h"
#include "config/SpecialProbeFile.h"
#include "link/AppContext.h"
#include "link/BlockTransfer.h"

namespace flowdesk {

// What the page lets the operator type, and the list it offers: the first
// eight frequencies of the FactoryBlock's list, with the same indices.
inline constexpr float kSpecialProbeMaxT0 = 25.5f;     // µs
inline constexpr float kSpecialProbeMaxAngle = 90.0f;  // degrees

// How TRANSFERT of a special probe went.
// kChoice: neither slot was ticked, or the file is not ten bytes long
// (`file` says so), nothing was asked of the unit; kRead: the FactoryBlock
// was not read, nothing was written; kWrite: it was not written back.
enum class SpecialProbeStep { kChoice, kRead, kWrite };
struct SpecialProbeUploadOutcome : StepOutcome<SpecialProbeStep> {
  bool intoSp1 = false;
  bool intoSp2 = false;
  FileResult file;
  bool failedAt(SpecialProbeStep step) const { return !ok && failedStep == step; }
};

// The special-probe page without its widgets: one probe from a ".csp540"
// file, the slots it goes into, and TRANSFERT, which puts it into the unit's
// FactoryBlock without touching the other settings there. In maker mode the
// probe can also be changed and saved. The dialog and flowdesk-cli both
// drive it.
class SpecialProbeSession {
 public:
  explicit SpecialProbeSession(AppContext& context);

  // Reads the file and starts over: SP1 ticked, SP2 not. The values are held
  // to what the page offers. A refused file leaves nothing to show.
  FileResult open(const std::string& path);
  const std::string& filePath() const { return filePath_; }
  // What the opened file held against a special probe's ten bytes.
  const BlockLength& fileLength() const { return fileLength_; }
  // Why TRANSFERT cannot write the opened file, asked before the operator
  // is: a file of another length than ten bytes.
  FileResult uploadRefusal() const { return blockLengthRefusal(filePath_, fileLength_); }

  // Maker mode: the probe's data can be changed and saved.
  bool editable() const;

  SpecialProbe probe;
  bool intoSp1 = true;
  bool intoSp2 = false;
  // TRANSFERT is offered while at least one slot is ticked.
  bool transfertOffered() const { return intoSp1 || intoSp2; }

  // The typed values held to their ranges (the name to its 6 characters).
  void clampProbe();

  // Keeps the next exchange from identifying the unit: set before the
  // operator is asked, so that nothing but the FactoryBlock is read.
  void holdIdentification();
  // Reads the FactoryBlock, copies the probe into the ticked slots and
  // writes the block back; the identification is due again afterwards.
  // Nothing is asked of the unit while uploadRefusal() says no.
  SpecialProbeUploadOutcome upload();

  // SAVEDISK: the probe as a file (maker mode only).
  FileResult save(const std::string& path);

 private:
  AppContext& context_;
  std::string filePath_;
  BlockLength fileLength_;
};

// The words of an upload's outcome for the message box and the CLI; empty on
// success, where the page simply closes.
std::string specialProbeUploadText(const SpecialProbeUploadOutcome& outcome, Language language);

}  // namespace flowdesk
