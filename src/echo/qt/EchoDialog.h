// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>
#include <string>
#include <vector>

#include "echo/EchoSession.h"
#include "link/qt/Screen.h"

namespace Ui {
class EchoDialog;
}

namespace flowdesk {

class AppContext;
class EchoPictureView;
class ProgressDisplay;

// The echo screen: the unit's picture of one echo screen, polled live (and
// recorded on request), or an echo file played back picture by picture. The
// session does all of it; the dialog runs the session's timer, forwards the
// list choice, the buttons and the close box, and draws what it leaves.
class EchoDialog : public Screen {
  Q_OBJECT
 public:
  explicit EchoDialog(AppContext& context, QWidget* parent = nullptr);
  ~EchoDialog() override;

  // Every control the dialog writes to; tests check the names against the .ui.
  static std::vector<std::string> boundControls();

  // The buttons' actions, as a press or its shortcut runs them.
  void saveDisk();
  void arretDisk();
  void navigate(EchoButton button);
  void print();
  // A picture button's action by the session's name for it.
  void press(EchoButton button);

  const EchoSession& session() const { return session_; }
  PictureButton* button(EchoButton b) const;
  EchoPictureView* picture() const;

 protected:
  // Live on the unit, or playing the file back; false when the unit did not
  // answer or the file could not be read (the operator was told).
  bool load() override;
  void tick() override;
  // Live, the dialog ends only once the unit was told to stop the echo
  // screen, at the next tick.
  bool readyToClose() override;
  // Escape does not close the screen; only the close box does.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void drawScreen();
  void showFileFailure();

  EchoSession session_;
  std::unique_ptr<Ui::EchoDialog> ui_;
  std::unique_ptr<ProgressDisplay> progressWindow_;
};

}  // namespace flowdesk
