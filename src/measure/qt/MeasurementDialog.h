// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "link/qt/Screen.h"
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
class MeasurementDialog : public Screen {
  Q_OBJECT
 public:
  explicit MeasurementDialog(AppContext& context, QWidget* parent = nullptr);
  ~MeasurementDialog() override;

  // Every control the dialog writes to; tests check the names against the .ui.
  static std::vector<std::string> boundControls();

  // The buttons' actions, as a press or its shortcut runs them.
  void saveDisk();
  void arretDisk();
  void navigate(MeasurementButton button);
  void print();
  void tableur();
  // GRAPH: the file played back, as curves.
  void graph();
  // A picture button's action by the session's name for it.
  void press(MeasurementButton button);

  const MeasurementSession& session() const { return session_; }
  PictureButton* button(MeasurementButton b) const;

 protected:
  // Live on the unit, or playing the file back; false when the file could
  // not be read (the operator was told why).
  bool load() override;
  void tick() override;
  // Closing ends the polling and any recording; the file stays as written.
  bool readyToClose() override;

 private:
  void drawScreen();
  void drawLabels(const MeasurementLabels& labels);
  void drawDisplay(const MeasurementDisplay& d);
  void rebuildChordGrid(const ChordGrid& grid);
  void fillChordGrid(const ChordGrid& grid);
  void showFileFailure();

  MeasurementSession session_;
  std::unique_ptr<Ui::MeasurementDialog> ui_;
};

}  // namespace flowdesk
