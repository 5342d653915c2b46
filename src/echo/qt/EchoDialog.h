// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include "echo/EchoSession.h"
#include "files/qt/RecordingScreen.h"

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
class EchoDialog : public RecordingScreen<EchoSession, EchoButton> {
  Q_OBJECT
 public:
  explicit EchoDialog(AppContext& context, QWidget* parent = nullptr);
  ~EchoDialog() override;

  void print() override;
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
  void drawScreen() override;

 private:
  std::unique_ptr<Ui::EchoDialog> ui_;
  std::unique_ptr<ProgressDisplay> progressWindow_;
};

}  // namespace flowdesk
