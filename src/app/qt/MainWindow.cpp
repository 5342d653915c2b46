// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/MainWindow.h"

#include <QAction>
#include <QGuiApplication>
#include <QIcon>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>

#include "app/qt/AboutDialog.h"
#include "app/qt/StopMeasurementDialog.h"
#include "base/FileNames.h"
#include "base/Texts.h"
#include "base/qt/QtTranslations.h"
#include "base/qt/Resources.h"
#include "base/qt/UserInterface.h"
#include "files/FileKinds.h"
#include "link/AppContext.h"
#include "link/qt/ConnectionDialog.h"
#include "ui_MainWindow.h"

namespace flowdesk {

namespace {

// The main window's own commands, beside the screens of the registry.
const MenuEntry kOwnEntries[] = {
    {kCmdOpen, {Menu::kFile, 10}, kTxtMenuOpen},
    {kCmdOpenAsPlot, {Menu::kFile, 20}, kTxtMenuOpenAsPlot, ModeSwitch::kNone, true},
    {kCmdExit, {Menu::kFile, 90}, kTxtMenuExit, ModeSwitch::kNone, false, true},
    {kCmdConfiguration, {Menu::kConfiguration, 10}, kTxtMenuConfiguration},
    {kCmdAbout, {Menu::kAbout, 10}, kTxtMenuAbout},
};

}  // namespace

MainWindow::MainWindow(AppContext& context, ScreenRegistry screens, QWidget* parent)
    : QDialog(parent),
      context_(context),
      screens_(std::move(screens)),
      ui_(std::make_unique<Ui::MainWindow>()) {
  ui_->setupUi(this);
  ensureResources();
  const QIcon icon(QStringLiteral(":/pictures/icon130.svg"));
  setWindowIcon(icon);
  setWindowTitle(QString::fromStdString(context_.versions.InternalName));

  menuBar_ = new QMenuBar(this);
  menuBar_->setObjectName(QStringLiteral("mainMenu"));
  // A dialog has no menu bar of its own; the layout gives it one on top.
  layout()->setMenuBar(menuBar_);
  rebuildMenu();
  refreshUnitPicture();

  adjustSize();
  setFixedSize(sizeHint());
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = frameGeometry();
    area.moveCenter(screen->availableGeometry().center());
    move(area.topLeft());
  }
}

MainWindow::~MainWindow() = default;

bool MainWindow::commandAvailable(int command) const {
  switch (command) {
    case kCmdOpen:
    case kCmdOpenAsPlot:
    case kCmdExit:
    case kCmdConfiguration:
    case kCmdAbout:
      return true;
    default: {
      const ScreenRow* row = screenForCommand(screens_, command);
      return row != nullptr && row->available();
    }
  }
}

void MainWindow::rebuildMenu() {
  // Qt's own texts (question boxes, file dialogs) follow the language too.
  if (qtLanguage_ != context_.settings.language()) {
    qtLanguage_ = context_.settings.language();
    installQtTranslations(*qtLanguage_);
  }
  std::vector<MenuEntry> entries(std::begin(kOwnEntries), std::end(kOwnEntries));
  for (const ScreenRow& row : screens_) entries.push_back(row.menuEntry());
  fillMenuBar(*menuBar_,
              buildMainMenu(
                  entries, context_.modeFlags, context_.settings.language(),
                  [this](int command) { return commandAvailable(command); },
                  [this](int command) {
                    return command == kCmdOpenAsPlot && context_.settings.OpenFilesAsPlot;
                  }),
              [this](int command) {
                // Rebuilding the menu from inside a command deletes the
                // action that is still delivering its signal: run it later.
                QMetaObject::invokeMethod(
                    this, [this, command] { runCommand(command); }, Qt::QueuedConnection);
              });
}

void MainWindow::refreshUnitPicture() {
  if (context_.settings.Unit >= 7 || context_.settings.Unit < 0) context_.settings.Unit = 0;
  unitPicture_ = unitPictureId(context_.settings.Unit);
  ui_->picture->setPixmap(resourcePicture(QStringLiteral("unit%1.svg").arg(unitPicture_)));
}

void MainWindow::runCommand(int command) {
  if (!commandAvailable(command)) return;
  switch (command) {
    case kCmdOpen:
      openFile();
      return;
    case kCmdOpenAsPlot:
      context_.settings.OpenFilesAsPlot = !context_.settings.OpenFilesAsPlot;
      rebuildMenu();
      return;
    case kCmdExit:
      accept();
      return;
    case kCmdConfiguration:
      showConnectionPage();
      return;
    case kCmdAbout:
      showAbout();
      return;
    default:
      break;
  }
  const ScreenRow& row = *screenForCommand(screens_, command);
  if (row.writeDefault) {
    newFile(row);
  } else {
    runScreen(row);
  }
}

void MainWindow::runScreen(const ScreenRow& row) {
  if (row.flags & kConfirmStop) {
    StopMeasurementDialog confirm(context_.settings.language(), this);
    if (userInterface().runDialog(confirm) != QDialog::Accepted) return;
  }
  row.open(context_, ScreenSource::unit(), this);
  if (row.flags & kRefreshPicture) refreshUnitPicture();
}

void MainWindow::openFile() {
  AppSettings& s = context_.settings;
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::kOpen;
  request.folder = QString::fromStdString(s.LastPathName);
  for (const std::string& f : qtFilters(
           openFilterText(s.language(), context_.modeFlags.factory, context_.modeFlags.maker))) {
    request.filters << QString::fromStdString(f);
  }
  const QString chosen = userInterface().chooseFile(this, request);
  if (chosen.isEmpty()) return;

  const std::string path = chosen.toStdString();
  // A file may come from another unit: identify again at the next exchange.
  context_.master.forgetIdentification();
  s.LastPathName = lastPathName(path);

  // The extension alone decides, compared case-sensitively ("ETA" is none).
  if (const FileKindInfo* kind = fileKindOfPath(path)) openFileIn(kind->kind, path);
}

void MainWindow::openFileIn(FileKind kind, const std::string& path) {
  const ScreenRow* row = screenForFile(screens_, kind);
  if (row == nullptr) return;
  if (context_.settings.OpenFilesAsPlot) {
    if (const ScreenOpener plot = plotOpener(kind)) {
      plot(context_, ScreenSource::file(path), this);
      return;
    }
  }
  row->open(context_, ScreenSource::file(path), this);
}

void MainWindow::newFile(const ScreenRow& row) {
  if (!row.kind) return;
  AppSettings& s = context_.settings;
  const std::string path = nextFreeName(s.LastPathName, kTxtNewFileBase, s.language(),
                                        fileKindInfo(*row.kind).extension);
  const FileResult written = row.writeDefault(*row.kind, path, s);
  if (!written.ok()) {
    // A screen opened on a file that is not there would only fail again.
    userInterface().message(this, UserInterface::Icon::kCritical, windowTitle(),
                            QString::fromStdString(written.message(s.language())));
    return;
  }
  if (row.flags & kOpenNewFile) openFileIn(*row.kind, path);
}

void MainWindow::showConnectionPage() {
  ConnectionDialog page(context_, this);
  page.open(ScreenSource::unit());
  // The menu follows the language at once, and once more when the page
  // closes, whatever happened on it.
  connect(&page, &ConnectionDialog::languageChanged, this, &MainWindow::rebuildMenu);
  userInterface().runDialog(page);
  rebuildMenu();
}

void MainWindow::showAbout() {
  AboutDialog about(context_.versions, context_.settings.language(), this);
  userInterface().runDialog(about);
}

}  // namespace flowdesk
