// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <string>

#include "config/SettingsBlockSession.h"

namespace flowdesk {

// The maker-settings screen without its widgets: the maker block from the
// unit or from a ".nvd" file, TRANSFERT and SAVEDISK. The file's second part
// is nothing this screen shows; it is kept from the file that was opened and
// written again as it came (zero bytes when the screen began on the unit).
class MakerSession : public SettingsBlockSession {
 public:
  explicit MakerSession(AppContext& context);

  // The device variant can be changed only where the unit-type selector is
  // enabled; elsewhere it is shown, and sent, as it stands.
  bool variantEditable() const { return context_.modeFlags.unitTypeSelector; }

  const Bytes& extraBytes() const { return extra_; }

 protected:
  FileResult readFile(const std::string& path, Bytes& block) override;
  FileResult writeFile(const std::string& path, const Bytes& block) override;
  void clampImage() override;

 private:
  Bytes extra_;
};

}  // namespace flowdesk
