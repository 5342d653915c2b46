#pragma once
#include <QDialog>
#include <array>
#include <cstdint>
#include <memory>

#include "base/qt/Bindings.h"
#include "config/InitialisationSession.h"

namespace Ui {
class CInitialisationDlg;
}

namespace flowdesk {

class AppContext;

// Asks which groups of settings the initialisation returns to their
// defaults: "Oui" accepts with the session's choice set, "Non" (and Escape)
// writes nothing.
class CInitialisationDlg : public QDialog {
  Q_OBJECT
 public:
  CInitialisationDlg(InitialisationSession& session, int language, QWidget* parent = nullptr);
  ~CInitialisationDlg() override;

  const BindingRows& bindings() const { return rows_; }

 private:
  void checksChosen();

  InitialisationSession& session_;
  std::array<std::uint8_t, 3> checks_{1, 1, 1};  // calibration, factory, maker
  const BindingRows rows_;
  std::unique_ptr<Ui::CInitialisationDlg> ui_;
};

// The main window's Initialisation command: the unit's number of
// configurations read under the progress window (nothing more when it does
// not answer), the dialog, then the sequence with its step texts and, when a
// step failed, the failure message.
void runInitialisation(AppContext& context, QWidget* parent);

}  // namespace flowdesk
