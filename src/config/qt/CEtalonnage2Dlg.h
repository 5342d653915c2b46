// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include "config/qt/CalibrationPage.h"

namespace Ui {
class CEtalonnage2Dlg;
}

namespace flowdesk {

class AppContext;
class ConfigurationSession;

// The inputs/outputs page of the calibration sheet: filter and memory, the
// graph period, three totalizers, four relays, the pulse width and the
// current output. Like the measurement point page it only moves values
// between its controls and the image.
class CEtalonnage2Dlg : public CalibrationPage {
  Q_OBJECT
 public:
  CEtalonnage2Dlg(AppContext& context, ConfigurationSession& session, QWidget* parent = nullptr);
  ~CEtalonnage2Dlg() override;

  const BindingRows& bindings() const { return rows_; }

 signals:
  // The page printed itself as the second part of the sheet's print job.
  void printed(bool ok);

 protected:
  void applyVisibility() override;
  void printPage() override;

 private:
  const BindingRows rows_;
  std::unique_ptr<Ui::CEtalonnage2Dlg> ui_;
};

}  // namespace flowdesk
