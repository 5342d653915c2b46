// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include "base/ValueLists.h"
#include "config/qt/CalibrationPage.h"

namespace Ui {
class MeasurementPointPage;
}

namespace flowdesk {

class AppContext;
class ConfigurationSession;

// The measurement point page of the calibration sheet: probe, pipe, fluid,
// flow range, KH and the six chords of the configuration in the image. It
// never talks to the unit; it moves values between its controls and the
// image and shows only the controls that apply.
// The unit's documentation calls it CEtalonnage1Dlg, the name its .ui keeps for the
// window.
class MeasurementPointPage : public CalibrationPage {
  Q_OBJECT
 public:
  MeasurementPointPage(AppContext& context, ConfigurationSession& session,
                       QWidget* parent = nullptr);
  ~MeasurementPointPage() override;

 protected:
  void applyVisibility() override;

 private:
  // The catalogue's names as they stood when the sheet opened (a calibration
  // file brings its own).
  const ProbeNameList probeNames_;
  std::unique_ptr<Ui::MeasurementPointPage> ui_;
};

}  // namespace flowdesk
