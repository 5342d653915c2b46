// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include "config/qt/CalibrationPage.h"

namespace Ui {
class InputsOutputsPage;
}

namespace flowdesk {

class AppContext;
class ConfigurationSession;

// The inputs/outputs page of the calibration sheet: filter and memory, the
// graph period, three totalizers, four relays, the pulse width and the
// current output. Like the measurement point page it only moves values
// between its controls and the image.
// The unit's documentation calls it CEtalonnage2Dlg, the name its .ui keeps for the
// window.
class InputsOutputsPage : public CalibrationPage {
  Q_OBJECT
 public:
  InputsOutputsPage(AppContext& context, ConfigurationSession& session, QWidget* parent = nullptr);
  ~InputsOutputsPage() override;

 protected:
  void applyVisibility() override;

 private:
  std::unique_ptr<Ui::InputsOutputsPage> ui_;
};

}  // namespace flowdesk
