// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <memory>

#include "base/BilingualText.h"

namespace Ui {
class CStopMeasurementDlg;
}

namespace flowdesk {

// Asks before a screen that stops the unit's measurement opens (the echo
// display): Yes accepts, No, Escape and the close box refuse.
class CStopMeasurementDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CStopMeasurementDlg(Language language, QWidget* parent = nullptr);
  ~CStopMeasurementDlg() override;

 private:
  std::unique_ptr<Ui::CStopMeasurementDlg> ui_;
};

}  // namespace flowdesk
