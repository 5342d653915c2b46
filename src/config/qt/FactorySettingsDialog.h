// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include "config/FactorySession.h"
#include "config/qt/SettingsBlockDialog.h"

namespace Ui {
class FactorySettingsDialog;
}

namespace flowdesk {

// The factory-settings dialog: the unit's FactoryBlock, or a ".rus" file,
// with PRINT, COMPARE, TRANSFERT and SAVEDISK. COMPARE is offered only while
// the dialog shows the unit's settings exactly as read.
// The unit's documentation calls it CReglageUsineDlg, the name its .ui keeps for the
// window.
class FactorySettingsDialog : public SettingsBlockDialog {
  Q_OBJECT
 public:
  explicit FactorySettingsDialog(AppContext& context, QWidget* parent = nullptr);
  ~FactorySettingsDialog() override;

  FactorySession& session() { return static_cast<FactorySession&>(*session_); }

  void compare();

 protected:
  void applyRules() override;
  void loaded() override;

 private:
  std::unique_ptr<Ui::FactorySettingsDialog> ui_;
};

}  // namespace flowdesk
