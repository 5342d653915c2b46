// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <memory>

#include "base/BilingualText.h"
#include "base/qt/Bindings.h"
#include "link/ConnectionSession.h"
#include "link/qt/Screen.h"

namespace Ui {
class ConnectionDialog;
}

namespace flowdesk {

class AppContext;

// The connection page: slave address, port with the device behind it, baud
// rate, language and spreadsheet program, and the Connect button that finds
// the unit by itself. Every choice takes effect at once in the settings; the
// page has no OK or Cancel and is closed with its close box.
//
// The page is the model of every screen: its session does the work, the
// dialog forwards presses to it and draws the settings it leaves, its rows
// are declared once (in the constructor), and it asks the person things only
// through userInterface().
// The unit's documentation calls it CConnectionDlg, the name its .ui keeps for the
// window.
class ConnectionDialog : public Screen {
  Q_OBJECT
 public:
  explicit ConnectionDialog(AppContext& context, QWidget* parent = nullptr);
  ~ConnectionDialog() override;

  // Every control the page binds; tests check the names against the .ui.
  const BindingRows& bindings() const { return rows_; }

  // Runs Connect as the button does; true when the unit was found. While it
  // runs, the page's input is off and a close waits for it (the busy rule).
  bool connectToUnit();

 signals:
  // The operator chose another language on the page.
  void languageChanged(Language language);

 protected:
  // The page shows the settings: nothing to read, always shown.
  bool load() override { return true; }

 private:
  void setTexts();
  void readAddress();
  void listChosen();
  void showDevices();
  void deviceChosen();
  void browse();

  ConnectionSession session_;
  const BindingRows rows_;
  std::unique_ptr<Ui::ConnectionDialog> ui_;
};

}  // namespace flowdesk
