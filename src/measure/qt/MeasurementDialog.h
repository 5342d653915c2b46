#pragma once
#include <QDialog>
#include <QTimer>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "measure/MeasurementSession.h"

namespace Ui {
class MeasurementDialog;
}

namespace flowdesk {

class AppContext;
class PictureButton;

// The measurement screen: the unit's measurement polled live (and recorded
// on request), or a measurement file played back record by record. The
// session does all of it; the dialog runs the session's timer, forwards the
// buttons and draws the screen and the display the session leaves.
class MeasurementDialog : public QDialog {
  Q_OBJECT
 public:
  // Opens live, or on the file at CurrentFilePath when OpenedFromFile is set.
  explicit MeasurementDialog(AppContext& context, QWidget* parent = nullptr);
  ~MeasurementDialog() override;

  // False when the file to play back could not be read (the operator was
  // told why): the screen is not to be run.
  bool opened() const { return session_.isOpen(); }

  // Every control the dialog writes to; tests check the names against the .ui.
  static std::vector<std::string> boundControls();

  // The buttons' actions, as a press or its shortcut runs them.
  void saveDisk();
  void arretDisk();
  void navigate(MeasurementButton button);
  void print();
  void tableur();

  const MeasurementSession& session() const { return session_; }
  PictureButton* button(MeasurementButton b) const;

 protected:
  void done(int result) override;

 private:
  void tick();
  void runTimer();
  void drawScreen();
  void drawLabels(const MeasurementLabels& labels);
  void drawDisplay(const MeasurementDisplay& d);
  void rebuildChordGrid(const ChordGrid& grid);
  void fillChordGrid(const ChordGrid& grid);
  void showFileFailure();

  AppContext& context_;
  MeasurementSession session_;
  std::unique_ptr<Ui::MeasurementDialog> ui_;
  std::array<PictureButton*, kMeasurementButtons> buttons_{};
  QTimer timer_;
};

}  // namespace flowdesk
