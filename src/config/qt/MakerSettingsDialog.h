// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include "config/MakerSession.h"
#include "config/qt/SettingsBlockDialog.h"

namespace Ui {
class MakerSettingsDialog;
}

namespace flowdesk {

// The maker-settings dialog: serial number, the 4 mA and 20 mA points and
// the device variant of the unit, or of a ".nvd" file, with PRINT,
// TRANSFERT and SAVEDISK. The variant can be changed only where the
// unit-type selector is enabled.
// The unit's documentation calls it CReglageNorvadineDlg, the name its .ui keeps for the
// window.
class MakerSettingsDialog : public SettingsBlockDialog {
  Q_OBJECT
 public:
  explicit MakerSettingsDialog(AppContext& context, QWidget* parent = nullptr);
  ~MakerSettingsDialog() override;

  MakerSession& session() { return static_cast<MakerSession&>(*session_); }

 protected:
  void applyRules() override;

 private:
  std::unique_ptr<Ui::MakerSettingsDialog> ui_;
};

}  // namespace flowdesk
