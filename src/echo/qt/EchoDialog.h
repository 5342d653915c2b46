#pragma once
#include <QDialog>
#include <QTimer>
#include <array>
#include <memory>
#include <string>
#include <vector>

#include "echo/EchoSession.h"

namespace Ui {
class EchoDialog;
}

namespace flowdesk {

class AppContext;
class EchoPictureView;
class PictureButton;
class ProgressDisplay;

// The echo screen: the unit's picture of one echo screen, polled live (and
// recorded on request), or an echo file played back picture by picture. The
// session does all of it; the dialog runs the session's timer, forwards the
// list choice, the buttons and the close box, and draws what it leaves.
class EchoDialog : public QDialog {
  Q_OBJECT
 public:
  // Opens live, or on the file at CurrentFilePath when OpenedFromFile is set.
  explicit EchoDialog(AppContext& context, QWidget* parent = nullptr);
  ~EchoDialog() override;

  // False when the unit did not answer or the file could not be read (the
  // operator was told): the screen is not to be run.
  bool opened() const { return session_.isOpen(); }

  // Every control the dialog writes to; tests check the names against the .ui.
  static std::vector<std::string> boundControls();

  // The buttons' actions, as a press or its shortcut runs them.
  void saveDisk();
  void arretDisk();
  void navigate(EchoButton button);
  void print();

  const EchoSession& session() const { return session_; }
  PictureButton* button(EchoButton b) const;
  EchoPictureView* picture() const;

 public slots:
  // Live, the dialog ends only once the unit was told to stop the echo
  // screen, at the next tick.
  void done(int result) override;

 protected:
  // Escape does not close the screen; only the close box does.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void tick();
  void runTimer();
  void drawScreen();
  void showFileFailure();

  AppContext& context_;
  EchoSession session_;
  std::unique_ptr<Ui::EchoDialog> ui_;
  std::array<PictureButton*, kEchoButtons> buttons_{};
  std::unique_ptr<ProgressDisplay> progressWindow_;
  QTimer timer_;
};

}  // namespace flowdesk
