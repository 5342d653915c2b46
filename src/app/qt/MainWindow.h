// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <memory>
#include <optional>

#include "app/qt/Screens.h"

class QMenuBar;

namespace Ui {
class MainWindow;
}

namespace flowdesk {

class AppContext;

// The main window: a fixed-size dialog with the picture of the unit type
// and the menu, built at run time in the current language. Every command
// opens one modal screen and returns here when it closes; closing this
// window (Exit, the close box, Escape) ends the run. Open, Exit,
// Configuration and About are its own; every other command is a row of the
// screen registry.
// The unit's documentation calls it CMainDlg, the name its .ui keeps for the
// window.
class MainWindow : public QDialog {
  Q_OBJECT
 public:
  MainWindow(AppContext& context, ScreenRegistry screens, QWidget* parent = nullptr);
  ~MainWindow() override;

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

 private:
  void runScreen(const ScreenRow& row);
  void openFile();
  void openFileIn(FileKind kind, const std::string& path);
  void newFile(const ScreenRow& row);
  void showConnectionPage();
  void showAbout();

  AppContext& context_;
  ScreenRegistry screens_;
  std::unique_ptr<Ui::MainWindow> ui_;
  QMenuBar* menuBar_ = nullptr;
  int unitPicture_ = 0;
  std::optional<Language> qtLanguage_;  // the language Qt's own texts are in
};

}  // namespace flowdesk
