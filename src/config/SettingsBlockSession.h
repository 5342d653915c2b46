// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <functional>
#include <optional>
#include <string>

#include "base/BilingualText.h"
#include "base/BinaryFile.h"
#include "config/BlockLength.h"
#include "link/AppContext.h"
#include "link/BlockTransfer.h"
#include "link/Blocks.h"
#include "link/FieldMap.h"

namespace flowdesk {

// The one step of a settings screen's TRANSFERT: the block.
enum class SettingsUploadStep { kBlock };
struct SettingsUploadOutcome : StepOutcome<SettingsUploadStep> {
  FileResult file;  // refused for the opened file's block length: nothing was sent
};

// Opening a one-block settings screen, on the unit or on its file.
struct SettingsOpenOutcome {
  bool ok = false;
  bool fromFile = false;
  FileResult file;     // file mode: why the file was refused
  BlockLength length;  // file mode: what the file held of the block
  LinkResult link;     // unit mode: the read (link.port: why the port did not open)
};

// What the factory and maker screens share: one register block of the unit
// shown from the unit or from a file, written back whole by TRANSFERT. The
// image is the application's; the block as last read from the unit is kept
// so that a screen can tell whether the operator changed anything.
class SettingsBlockSession {
 public:
  using MapOf = FieldMap (*)(DeviceImage&);
  SettingsBlockSession(AppContext& context, const RegisterBlock& block, MapOf map,
                       const BilingualText& title);
  virtual ~SettingsBlockSession() = default;

  // Reads the block from the unit into the image.
  SettingsOpenOutcome openUnit();
  // Reads the screen's file into the image.
  SettingsOpenOutcome openFile(const std::string& path);

  bool fromFile() const { return fromFile_; }
  const std::string& filePath() const { return filePath_; }

  // The fields now in the image, encoded as the unit receives them.
  Bytes currentBlock() const;
  // The block as last read from the unit (empty in file mode).
  const Bytes& lastBlock() const { return lastBlock_; }
  // The image still holds exactly what the unit sent.
  bool unchanged() const;

  // Why TRANSFERT cannot write the opened file, asked before the operator
  // is: a block shorter than the unit's. Ok on the unit.
  FileResult uploadRefusal() const;

  // TRANSFERT after the operator said yes: every field brought into its
  // range, the block written, and the unit's identification to be read again
  // at the next exchange (its special probes may have changed), whether the
  // write succeeded or not. Nothing is sent while uploadRefusal() says no.
  SettingsUploadOutcome upload();

  // Where the saved file was last written or the opened one came from.
  FileResult save(const std::string& path);

  const BilingualText& title() const { return title_; }

 protected:
  // The kind's file: read into `block` (the block's bytes, possibly fewer),
  // written from the encoded block.
  virtual FileResult readFile(const std::string& path, Bytes& block) = 0;
  virtual FileResult writeFile(const std::string& path, const Bytes& block) = 0;
  // Every field brought into its range, as showing the screen does.
  virtual void clampImage() = 0;

  AppContext& context_;

 private:
  RegisterBlock block_;
  MapOf map_;
  BilingualText title_;
  bool fromFile_ = false;
  std::string filePath_;
  BlockLength fileLength_;
  Bytes lastBlock_;
};

// The words of an opening and of a TRANSFERT, UTF-8, for the dialogs'
// message boxes and flowdesk-cli alike. An opening that went says something
// only of a file whose block is short.
std::string settingsOpenText(const SettingsOpenOutcome& outcome, Language language);
std::string settingsUploadText(const SettingsUploadOutcome& outcome, const BilingualText& title,
                               Language language);

}  // namespace flowdesk
