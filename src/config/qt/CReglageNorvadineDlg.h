// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include "config/MakerSession.h"
#include "config/qt/SettingsBlockDialog.h"

namespace Ui {
class CReglageNorvadineDlg;
}

namespace flowdesk {

// The maker-settings dialog: serial number, the 4 mA and 20 mA points and
// the device variant of the unit, or of a ".nvd" file, with PRINT,
// TRANSFERT and SAVEDISK. The variant can be changed only where the
// unit-type selector is enabled.
class CReglageNorvadineDlg : public SettingsBlockDialog {
  Q_OBJECT
 public:
  explicit CReglageNorvadineDlg(AppContext& context, QWidget* parent = nullptr);
  ~CReglageNorvadineDlg() override;

  MakerSession& session() { return static_cast<MakerSession&>(*session_); }

 protected:
  void applyRules() override;

 private:
  std::unique_ptr<Ui::CReglageNorvadineDlg> ui_;
};

}  // namespace flowdesk
