// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include "files/qt/RecordingScreen.h"
#include "measure/MeasurementSession.h"

namespace Ui {
class MeasurementDialog;
}

namespace flowdesk {

class AppContext;

// The measurement screen: the unit's measurement polled live (and recorded
// on request), or a measurement file played back record by record. The
// session does all of it; the dialog runs the session's timer, forwards the
// buttons and draws the screen and the display the session leaves.
class MeasurementDialog : public RecordingScreen<MeasurementSession, MeasurementButton> {
  Q_OBJECT
 public:
  explicit MeasurementDialog(AppContext& context, QWidget* parent = nullptr);
  ~MeasurementDialog() override;

  void print() override;
  void tableur() override;
  // GRAPH: the file played back, as curves.
  void graph();

 protected:
  // Live on the unit, or playing the file back; false when the file could
  // not be read (the operator was told why).
  bool load() override;
  void tick() override;
  // Closing ends the polling and any recording; the file stays as written.
  bool readyToClose() override;
  void drawScreen() override;

 private:
  struct Controls;

  void drawLabels(const MeasurementLabels& labels);
  void drawDisplay(const MeasurementDisplay& d);
  void rebuildChordGrid(const ChordGrid& grid);
  void fillChordGrid(const ChordGrid& grid);

  std::unique_ptr<Ui::MeasurementDialog> ui_;
  // What the refreshes write to, taken from ui_ once.
  std::unique_ptr<Controls> controls_;
};

}  // namespace flowdesk
