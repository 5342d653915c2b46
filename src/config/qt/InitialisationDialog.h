// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "base/qt/Bindings.h"
#include "config/InitialisationSession.h"
#include "link/qt/Screen.h"

namespace Ui {
class InitialisationDialog;
}

namespace flowdesk {

class AppContext;

// The Initialisation command's screen, always on the unit: opening reads the
// unit's number of configurations under the progress window (a unit that
// does not answer shows nothing, a port that does not open says why); the boxes choose which groups
// of settings return to their defaults; "Oui" runs the sequence with its step texts and, when a
// step failed, says so; "Non" (and Escape) writes nothing.
// The unit's documentation calls it CInitialisationDlg, the name its .ui keeps for the
// window.
class InitialisationDialog : public Screen {
  Q_OBJECT
 public:
  explicit InitialisationDialog(AppContext& context, QWidget* parent = nullptr);
  ~InitialisationDialog() override;

  const BindingRows& bindings() const { return rows_; }
  InitialisationSession& session() { return session_; }

  // "Oui".
  void initialise();

 protected:
  bool load() override;

 private:
  void checksChosen();

  InitialisationSession session_;
  std::array<std::uint8_t, 3> checks_{1, 1, 1};  // calibration, factory, maker
  const BindingRows rows_;
  std::unique_ptr<Ui::InitialisationDialog> ui_;
};

}  // namespace flowdesk
