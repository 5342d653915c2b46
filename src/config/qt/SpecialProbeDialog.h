// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <memory>

#include "base/qt/Bindings.h"
#include "config/SpecialProbeSession.h"
#include "link/qt/Screen.h"

class QKeyEvent;

namespace Ui {
class SpecialProbeDialog;
}

namespace flowdesk {

class AppContext;

// The special-probe page, always on a file: the probe's name
// and, in maker mode, its T0, angle and frequency to change and SAVEDISK;
// the two slot boxes and TRANSFERT in every mode. The session does the work;
// the page forwards and draws.
// The unit's documentation calls it CSpecialProbeDlg, the name its .ui keeps for the
// window.
class SpecialProbeDialog : public Screen {
  Q_OBJECT
 public:
  explicit SpecialProbeDialog(AppContext& context, QWidget* parent = nullptr);
  ~SpecialProbeDialog() override;

  const BindingRows& bindings() const { return rows_; }
  SpecialProbeSession& session() { return session_; }

  // The buttons, as a press runs them.
  void transfert();
  void saveDisk();

 protected:
  // Reads the file; false (after saying why) when there is nothing to show.
  bool load() override;
  void keyPressEvent(QKeyEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void showProbe();
  void readProbe();
  void checksChosen();

  SpecialProbeSession session_;
  std::uint8_t sa_ = 1;
  std::uint8_t sb_ = 0;
  const BindingRows rows_;
  std::unique_ptr<Ui::SpecialProbeDialog> ui_;
};

}  // namespace flowdesk
