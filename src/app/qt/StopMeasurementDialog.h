// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <memory>

#include "base/BilingualText.h"

namespace Ui {
class StopMeasurementDialog;
}

namespace flowdesk {

// Asks before a screen that stops the unit's measurement opens (the echo
// display): Yes accepts, No, Escape and the close box refuse.
// The unit's documentation calls it CStopMeasurementDlg, the name its .ui keeps for the
// window.
class StopMeasurementDialog : public QDialog {
  Q_OBJECT
 public:
  explicit StopMeasurementDialog(Language language, QWidget* parent = nullptr);
  ~StopMeasurementDialog() override;

 private:
  std::unique_ptr<Ui::StopMeasurementDialog> ui_;
};

}  // namespace flowdesk
