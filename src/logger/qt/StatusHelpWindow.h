// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <memory>

#include "base/BilingualText.h"

namespace Ui {
class StatusHelpWindow;
}

namespace flowdesk {

// What each status letter of the logger's records means, in the current
// language. Modeless: the viewer stays usable beside it.
class StatusHelpWindow : public QDialog {
  Q_OBJECT
 public:
  StatusHelpWindow(Language language, QWidget* parent);
  ~StatusHelpWindow() override;

 private:
  std::unique_ptr<Ui::StatusHelpWindow> ui_;
};

}  // namespace flowdesk
