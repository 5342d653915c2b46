// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include "config/FactorySession.h"
#include "config/qt/SettingsBlockDialog.h"

namespace Ui {
class CReglageUsineDlg;
}

namespace flowdesk {

// The factory-settings dialog: the unit's FactoryBlock, or a ".rus" file,
// with PRINT, COMPARE, TRANSFERT and SAVEDISK. COMPARE is offered only while
// the dialog shows the unit's settings exactly as read.
class CReglageUsineDlg : public SettingsBlockDialog {
  Q_OBJECT
 public:
  explicit CReglageUsineDlg(AppContext& context, QWidget* parent = nullptr);
  ~CReglageUsineDlg() override;

  FactorySession& session() { return static_cast<FactorySession&>(*session_); }

  void compare();

 protected:
  void applyRules() override;
  void loaded() override;

 private:
  std::unique_ptr<Ui::CReglageUsineDlg> ui_;
};

}  // namespace flowdesk
