#pragma once
#include <QDialog>
#include <QMessageBox>
#include <functional>
#include <memory>
#include <string>

namespace Ui {
class CConnectionDlg;
}

namespace flowdesk {

class AppContext;

// The connection page: slave address, port with the device behind it, baud
// rate, language and spreadsheet program, and the Connect button that finds
// the unit by itself. Every choice takes effect at once in the settings; the
// page has no OK or Cancel and is closed with its close box.
class CConnectionDlg : public QDialog {
  Q_OBJECT
 public:
  explicit CConnectionDlg(AppContext& context, QWidget* parent = nullptr);
  ~CConnectionDlg() override;

  // Message boxes of Connect (caption, icon, text); tests catch them.
  using MessageSink =
      std::function<void(QMessageBox::Icon icon, const QString& caption, const QString& text)>;
  void setMessageSink(MessageSink sink);

  // Runs the Connect sequence as the button does; true when the unit was found.
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
  void showAddress();
  void readAddress();
  void selectLists();
  void listChosen();
  void fillDevices();
  void deviceChosen();
  void showDeviceAccess();
  void browse();
  void message(QMessageBox::Icon icon, const QString& text);

  AppContext& context_;
  std::unique_ptr<Ui::CConnectionDlg> ui_;
  MessageSink messageSink_;
  bool busy_ = false;
};

}  // namespace flowdesk
