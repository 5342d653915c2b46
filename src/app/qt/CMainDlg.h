#pragma once
#include <QDialog>
#include <functional>
#include <memory>
#include <string>

#include "app/qt/MainMenu.h"
#include "app/qt/Screens.h"

class QMenuBar;

namespace Ui {
class CMainDlg;
}

namespace flowdesk {

class AppContext;

// The main window: a fixed-size dialog with the picture of the unit type
// and the menu, built at run time in the current language. Every command
// opens one modal screen and returns here when it closes; closing this
// window (Exit, the close box, Escape) ends the run.
class CMainDlg : public QDialog {
  Q_OBJECT
 public:
  CMainDlg(AppContext& context, ScreenOpeners screens, QWidget* parent = nullptr);
  ~CMainDlg() override;

  AppContext& context() { return context_; }
  QMenuBar* menuBar() const { return menuBar_; }

  // Runs a menu command by its number; unknown numbers do nothing.
  void runCommand(int command);
  bool commandAvailable(int command) const;

  // The menu again, in the language now set.
  void rebuildMenu();
  // The picture for the settings' unit code (a code of 7 or more becomes 0).
  void refreshUnitPicture();
  int unitPicture() const { return unitPicture_; }

  // How modal dialogs are run; tests replace it to look at a dialog and
  // answer it without a user. Returns the dialog's result.
  using DialogRunner = std::function<int(QDialog& dialog)>;
  void setDialogRunner(DialogRunner runner);

  // Where messages of the commands go (a file that cannot be written).
  using MessageSink = std::function<void(const QString& text)>;
  void setMessageSink(MessageSink sink);

 private:
  void openFile();
  void newFile(int command);
  void openScreen(const ScreenOpener& screen, bool fromFile, bool refreshPicture);
  void showConnectionPage();
  void showAbout();
  void confirmEchoDisplay();
  int runDialog(QDialog& dialog);
  const ScreenOpener* screenFor(int command) const;

  AppContext& context_;
  ScreenOpeners screens_;
  std::unique_ptr<Ui::CMainDlg> ui_;
  QMenuBar* menuBar_ = nullptr;
  int unitPicture_ = 0;
  DialogRunner dialogRunner_;
  MessageSink messageSink_;
};

}  // namespace flowdesk
