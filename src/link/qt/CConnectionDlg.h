#pragma once
#include <QDialog>
#include <memory>

#include "base/qt/Bindings.h"
#include "link/ConnectionSession.h"

namespace Ui {
class CConnectionDlg;
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
class CConnectionDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CConnectionDlg(AppContext& context, QWidget* parent = nullptr);
  ~CConnectionDlg() override;

  // Every control the page binds; tests check the names against the .ui.
  const BindingRows& bindings() const { return rows_; }

  // Runs Connect as the button does; true when the unit was found.
  bool connectToUnit();
  bool busy() const { return busy_; }

 signals:
  // The operator chose another language on the page.
  void languageChanged(int language);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void reject() override;

 private:
  void setTexts();
  void readAddress();
  void listChosen();
  void showDevices();
  void deviceChosen();
  void browse();

  AppContext& context_;
  ConnectionSession session_;
  const BindingRows rows_;
  std::unique_ptr<Ui::CConnectionDlg> ui_;
  bool busy_ = false;
};

}  // namespace flowdesk
