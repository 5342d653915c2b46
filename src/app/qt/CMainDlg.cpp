#include "app/qt/CMainDlg.h"

#include <QAction>
#include <QGuiApplication>
#include <QIcon>
#include <QLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>

#include "app/qt/CAboutDlg.h"
#include "app/qt/CStopMeasurementDlg.h"
#include "base/Texts.h"
#include "base/qt/FilePrompts.h"
#include "base/qt/Resources.h"
#include "config/CalibrationFile.h"
#include "config/FactoryFile.h"
#include "config/MakerFile.h"
#include "config/SpecialProbeFile.h"
#include "files/FileKinds.h"
#include "base/FileNames.h"
#include "link/AppContext.h"
#include "link/qt/CConnectionDlg.h"
#include "ui_CMainDlg.h"

namespace flowdesk {

CMainDlg::CMainDlg(AppContext& context, ScreenOpeners screens, QWidget* parent)
    : QDialog(parent),
      context_(context),
      screens_(std::move(screens)),
      ui_(std::make_unique<Ui::CMainDlg>()) {
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

CMainDlg::~CMainDlg() = default;

void CMainDlg::setDialogRunner(DialogRunner runner) {
  dialogRunner_ = std::move(runner);
}

void CMainDlg::setMessageSink(MessageSink sink) {
  messageSink_ = std::move(sink);
}

int CMainDlg::runDialog(QDialog& dialog) {
  return dialogRunner_ ? dialogRunner_(dialog) : dialog.exec();
}

const ScreenOpener* CMainDlg::screenFor(int command) const {
  switch (command) {
    case kCmdMeasurement:
      return &screens_.measurement;
    case kCmdCalibration:
    case kCmdNewCalibration:
      return &screens_.calibrationSheet;
    case kCmdEchoDisplay:
      return &screens_.echoDisplay;
    case kCmdLoggerConfiguration:
      return &screens_.loggerConfiguration;
    case kCmdLoggerDisplay:
      return &screens_.loggerViewer;
    case kCmdFactorySettings:
    case kCmdNewFactorySettings:
      return &screens_.factorySettings;
    case kCmdMakerSettings:
    case kCmdNewMakerSettings:
      return &screens_.makerSettings;
    case kCmdNewSpecialProbe:
      return &screens_.specialProbe;
    case kCmdInitialisation:
      return &screens_.initialisation;
    default:
      return nullptr;
  }
}

bool CMainDlg::commandAvailable(int command) const {
  switch (command) {
    // No screen of their own, or (New) a file written even while its screen
    // is missing.
    case kCmdOpen:
    case kCmdExit:
    case kCmdConfiguration:
    case kCmdAbout:
    case kCmdNewCalibration:
    case kCmdNewFactorySettings:
    case kCmdNewMakerSettings:
    case kCmdNewSpecialProbe:
      return true;
    default: {
      const ScreenOpener* screen = screenFor(command);
      return screen != nullptr && static_cast<bool>(*screen);
    }
  }
}

void CMainDlg::rebuildMenu() {
  fillMenuBar(*menuBar_,
              buildMainMenu(context_.modeFlags, context_.settings.Language,
                            [this](int command) { return commandAvailable(command); }),
              [this](int command) {
                // Rebuilding the menu from inside a command deletes the
                // action that is still delivering its signal: run it later.
                QMetaObject::invokeMethod(
                    this, [this, command] { runCommand(command); }, Qt::QueuedConnection);
              });
}

void CMainDlg::refreshUnitPicture() {
  if (context_.settings.Unit >= 7 || context_.settings.Unit < 0) context_.settings.Unit = 0;
  unitPicture_ = unitPictureId(context_.settings.Unit);
  ui_->picture->setPixmap(resourcePicture(QStringLiteral("unit%1.svg").arg(unitPicture_)));
}

void CMainDlg::runCommand(int command) {
  if (!commandAvailable(command)) return;
  switch (command) {
    case kCmdOpen:
      openFile();
      break;
    case kCmdNewCalibration:
    case kCmdNewFactorySettings:
    case kCmdNewMakerSettings:
    case kCmdNewSpecialProbe:
      newFile(command);
      break;
    case kCmdExit:
      accept();
      break;
    case kCmdMeasurement:
    case kCmdCalibration:
    case kCmdLoggerConfiguration:
    case kCmdLoggerDisplay:
    case kCmdFactorySettings:
    case kCmdMakerSettings:
      openScreen(*screenFor(command), false, true);
      break;
    case kCmdEchoDisplay:
      confirmEchoDisplay();
      break;
    case kCmdInitialisation:
      screens_.initialisation(context_, this);
      break;
    case kCmdConfiguration:
      showConnectionPage();
      break;
    case kCmdAbout:
      showAbout();
      break;
    default:
      break;
  }
}

void CMainDlg::openScreen(const ScreenOpener& screen, bool fromFile, bool refreshPicture) {
  if (!screen) return;
  context_.OpenedFromFile = fromFile;
  screen(context_, this);
  if (refreshPicture) refreshUnitPicture();
}

void CMainDlg::confirmEchoDisplay() {
  CStopMeasurementDlg confirm(context_.settings.Language, this);
  if (runDialog(confirm) != QDialog::Accepted) return;
  openScreen(screens_.echoDisplay, false, false);
}

void CMainDlg::openFile() {
  AppSettings& s = context_.settings;
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::Open;
  request.folder = QString::fromStdString(s.LastPathName);
  for (const std::string& f : qtFilters(
           openFilterText(s.Language, context_.modeFlags.factory, context_.modeFlags.maker))) {
    request.filters << QString::fromStdString(f);
  }
  const QString chosen = runFileDialog(this, request);
  if (chosen.isEmpty()) return;

  context_.CurrentFilePath = chosen.toStdString();
  // A file may come from another unit: identify again at the next exchange.
  context_.master.identificationDone = false;
  s.LastPathName = lastPathName(context_.CurrentFilePath);

  // The extension alone decides, compared case-sensitively ("ETA" is none).
  const FileKindInfo* kind = fileKindOfPath(context_.CurrentFilePath);
  if (kind == nullptr) return;
  switch (kind->kind) {
    case FileKind::Measurement:
      openScreen(screens_.measurement, true, false);
      break;
    case FileKind::Calibration:
      openScreen(screens_.calibrationSheet, true, false);
      break;
    case FileKind::FactorySettings:
      openScreen(screens_.factorySettings, true, false);
      break;
    case FileKind::MakerSettings:
      openScreen(screens_.makerSettings, true, false);
      break;
    case FileKind::Logger:
      openScreen(screens_.loggerViewer, true, false);
      break;
    case FileKind::Echo:
      openScreen(screens_.echoDisplay, true, false);
      break;
    case FileKind::SpecialProbe:
      // The special-probe page keeps the file-or-unit choice as it was.
      if (screens_.specialProbe) screens_.specialProbe(context_, this);
      break;
  }
}

void CMainDlg::newFile(int command) {
  AppSettings& s = context_.settings;
  const char* extension = "eta";
  switch (command) {
    case kCmdNewFactorySettings:
      extension = "rus";
      break;
    case kCmdNewMakerSettings:
      extension = "nvd";
      break;
    case kCmdNewSpecialProbe:
      extension = "csp540";
      break;
    default:
      break;
  }
  const std::string path = nextFreeName(s.LastPathName, kTxtNewFileBase, s.Language, extension);

  FileResult written;
  switch (command) {
    case kCmdNewFactorySettings:
      written = writeFactoryFile(path, defaultFactoryFile());
      break;
    case kCmdNewMakerSettings:
      written = writeMakerFile(path, defaultMakerFile());
      break;
    case kCmdNewSpecialProbe:
      written = writeSpecialProbeFile(path, defaultSpecialProbe());
      break;
    default:
      written = writeCalibrationFile(path, defaultCalibrationFile(s));
      break;
  }
  if (!written.ok()) {
    // A screen opened on a file that is not there would only fail again.
    const QString text = QString::fromStdString(written.message(s.Language));
    if (messageSink_) {
      messageSink_(text);
    } else {
      QMessageBox::critical(this, windowTitle(), text);
    }
    return;
  }
  context_.CurrentFilePath = path;
  if (command == kCmdNewSpecialProbe) {
    if (screens_.specialProbe) screens_.specialProbe(context_, this);
  } else {
    openScreen(*screenFor(command), true, false);
  }
}

void CMainDlg::showConnectionPage() {
  CConnectionDlg page(context_, this);
  // The menu follows the language at once, and once more when the page
  // closes, whatever happened on it.
  connect(&page, &CConnectionDlg::languageChanged, this, &CMainDlg::rebuildMenu);
  runDialog(page);
  rebuildMenu();
}

void CMainDlg::showAbout() {
  CAboutDlg about(context_.versions, context_.settings.Language, this);
  runDialog(about);
}

}  // namespace flowdesk
