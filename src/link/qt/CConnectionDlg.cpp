#include "link/qt/CConnectionDlg.h"

#include <QCloseEvent>
#include <QLineEdit>
#include <optional>

#include "base/Texts.h"
#include "base/ValueLists.h"
#include "base/qt/Bindings.h"
#include "base/qt/FilePrompts.h"
#include "base/qt/ProgressWindow.h"
#include "base/FileNames.h"
#include "link/AppContext.h"
#include "link/SerialDevices.h"
#include "link/UnitDetection.h"
#include "link/qt/PortMessages.h"
#include "ui_CConnectionDlg.h"

namespace flowdesk {

namespace {

constexpr BilingualText kTxtDeviceTip{"Périphérique série de Com%1 (choisir ou taper un chemin)",
                                      "Serial device of Com%1 (pick one or type a path)"};

// Where Browse starts when no program was chosen yet: where programs live.
constexpr const char* kProgramFolder = "/usr/bin/";

int portIndexOf(std::int32_t com) {
  return com >= 0 && com < kPortCount ? com : 0;
}

}  // namespace

CConnectionDlg::CConnectionDlg(AppContext& context, QWidget* parent)
    : QDialog(parent), context_(context), ui_(std::make_unique<Ui::CConnectionDlg>()) {
  ui_->setupUi(this);
  AppSettings& s = context_.settings;
  setWindowTitle(QString::fromUtf8(kTxtConfiguration.text(s.Language)));
  setTexts();
  showAddress();
  const ComboBinding lists[] = {{"comboPort", &s.Com, 4, &PortList},
                                {"comboLanguage", &s.Language, 2, &LanguageList},
                                {"comboBauds", &s.Bauds, 6, &BaudList}};
  fillLists(*this, lists, s.Language);
  ui_->editSpreadsheet->setText(QString::fromStdString(s.LastFileSpName));
  fillDevices();

  connect(ui_->editAddress, &QLineEdit::editingFinished, this, &CConnectionDlg::readAddress);
  connect(ui_->comboPort, &QComboBox::activated, this, &CConnectionDlg::listChosen);
  connect(ui_->comboLanguage, &QComboBox::activated, this, &CConnectionDlg::listChosen);
  connect(ui_->comboBauds, &QComboBox::activated, this, &CConnectionDlg::listChosen);
  connect(ui_->comboDevice, &QComboBox::activated, this, &CConnectionDlg::deviceChosen);
  connect(ui_->comboDevice->lineEdit(), &QLineEdit::editingFinished, this,
          &CConnectionDlg::deviceChosen);
  connect(ui_->buttonBrowse, &QPushButton::clicked, this, &CConnectionDlg::browse);
  connect(ui_->buttonConnect, &QPushButton::clicked, this, &CConnectionDlg::connectToUnit);
}

CConnectionDlg::~CConnectionDlg() = default;

void CConnectionDlg::setMessageSink(MessageSink sink) {
  messageSink_ = std::move(sink);
}

void CConnectionDlg::setTexts() {
  static constexpr LabelBinding kLabels[] = {
      {"labelJbus", kTxtJbus},
      {"labelCom", kTxtCom},
      {"labelBauds", kTxtBauds},
      {"labelLanguage", kTxtLanguage},
      {"labelSpreadsheet", kTxtSpreadsheet},
      {"buttonBrowse", kTxtBrowse},
  };
  setLabels(*this, kLabels, context_.settings.Language);
  ui_->buttonConnect->setText(QString::fromUtf8(kTxtConnect.text(context_.settings.Language)));
}

void CConnectionDlg::showAddress() {
  const FieldBinding address[] = {{"editAddress", &context_.settings.Jbus, "%.0f", 0, 255}};
  showNumbers(*this, address);
}

void CConnectionDlg::readAddress() {
  const FieldBinding address[] = {{"editAddress", &context_.settings.Jbus, "%.0f", 0, 255}};
  readNumbers(*this, address);
}

void CConnectionDlg::selectLists() {
  AppSettings& s = context_.settings;
  const ComboBinding lists[] = {{"comboPort", &s.Com, 4, &PortList},
                                {"comboLanguage", &s.Language, 2, &LanguageList},
                                {"comboBauds", &s.Bauds, 6, &BaudList}};
  flowdesk::selectLists(*this, lists);
}

void CConnectionDlg::listChosen() {
  AppSettings& s = context_.settings;
  const int language = s.Language;
  const ComboBinding lists[] = {{"comboPort", &s.Com, 4, &PortList},
                                {"comboLanguage", &s.Language, 2, &LanguageList},
                                {"comboBauds", &s.Bauds, 6, &BaudList}};
  readLists(*this, lists);
  // The labels follow the language at once; the title and the lists keep
  // their texts until the page opens again.
  setTexts();
  fillDevices();
  if (s.Language != language) emit languageChanged(s.Language);
}

void CConnectionDlg::fillDevices() {
  const int port = portIndexOf(context_.settings.Com);
  const std::string current = context_.devicePath(port);
  QComboBox* combo = ui_->comboDevice;
  const QSignalBlocker quiet(combo);
  combo->clear();
  for (const std::string& device : findSerialDevices()) {
    combo->addItem(QString::fromStdString(device));
  }
  const QString shown = QString::fromStdString(current);
  if (!shown.isEmpty() && combo->findText(shown) < 0) combo->insertItem(0, shown);
  combo->setCurrentIndex(combo->findText(shown));
  combo->setEditText(shown);
  combo->setToolTip(
      QString::fromUtf8(kTxtDeviceTip.text(context_.settings.Language)).arg(port + 1));
  showDeviceAccess();
}

void CConnectionDlg::deviceChosen() {
  const int port = portIndexOf(context_.settings.Com);
  const std::string chosen = ui_->comboDevice->currentText().trimmed().toStdString();
  if (chosen == context_.devicePath(port)) return;
  // The operator's choice wins over a path set for this run only (the
  // virtual unit), and is kept; an empty text returns to the default mapping.
  context_.deviceOverride[static_cast<std::size_t>(port)].clear();
  if (std::string* setting = context_.settings.deviceSetting(port)) *setting = chosen;
  fillDevices();
}

void CConnectionDlg::showDeviceAccess() {
  const int port = portIndexOf(context_.settings.Com);
  const QString text = deviceAccessText(context_.devicePath(port), context_.settings.Language);
  ui_->labelDeviceAccess->setText(text);
  ui_->labelDeviceAccess->setVisible(!text.isEmpty());
}

void CConnectionDlg::browse() {
  AppSettings& s = context_.settings;
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::Open;
  const std::string folder = lastPathName(s.LastFileSpName);
  request.folder = QString::fromStdString(folder.empty() ? kProgramFolder : folder);
  request.filters << QStringLiteral("%1 (*)").arg(
      QString::fromUtf8(kTxtSpreadsheet.text(s.Language)));
  request.executablesOnly = true;
  const QString chosen = userInterface().chooseFile(this, request);
  if (chosen.isEmpty()) return;
  // Stored as chosen: a Linux program has no ".exe" to put back.
  s.LastFileSpName = chosen.toStdString();
  ui_->editSpreadsheet->setText(chosen);
}

bool CConnectionDlg::connectToUnit() {
  if (busy_) return false;
  busy_ = true;
  setEnabled(false);
  AppSettings& s = context_.settings;
  JbusMaster& master = context_.master;

  QStringList failures;
  const auto noteFailure = [&] {
    if (master.lastPortStatus() == 0) return;
    const QString text = portFailureText(master.lastPortStatus(), master.lastDevice(),
                                         master.lastErrno(), s.Language);
    if (!text.isEmpty() && !failures.contains(text)) failures << text;
  };

  ConnectResult result;
  {
    ProgressWindow progress(s.Language, this);
    int tried = 0;
    result = connectUnit(master, LinkSettingRefs{s.Com, s.Jbus, s.Bauds}, [&](int port, int baud) {
      // What the previous combination's open said.
      if (tried++ > 0) noteFailure();
      progress.setInfo(QStringLiteral("Com%1  %2")
                           .arg(port + 1)
                           .arg(kBaudTable[static_cast<std::size_t>(baud)]));
    });
    if (!result.found) noteFailure();
  }

  if (result.found) {
    message(QMessageBox::Information, QString::fromUtf8(kTxtConnectSuccess.text(s.Language)));
  } else {
    QString text = QString::fromUtf8(kTxtConnectFailure.text(s.Language));
    if (!failures.isEmpty()) text += QStringLiteral("\n\n") + failures.join(QStringLiteral("\n\n"));
    message(QMessageBox::Critical, text);
  }
  selectLists();
  showAddress();
  fillDevices();
  setEnabled(true);
  busy_ = false;
  return result.found;
}

void CConnectionDlg::message(QMessageBox::Icon icon, const QString& text) {
  const QString caption = QString::fromUtf8(kTxtConnectCaption.text(context_.settings.Language));
  if (messageSink_) {
    messageSink_(icon, caption, text);
    return;
  }
  QMessageBox box(icon, caption, text, QMessageBox::Ok, this);
  box.exec();
}

void CConnectionDlg::closeEvent(QCloseEvent* event) {
  // Closing while Connect still runs would pull the page from under it.
  if (busy_) {
    event->ignore();
    return;
  }
  QDialog::closeEvent(event);
}

void CConnectionDlg::reject() {
  if (!busy_) QDialog::reject();
}

}  // namespace flowdesk
