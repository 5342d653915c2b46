// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/qt/ConnectionDialog.h"

#include <QCloseEvent>
#include <QLineEdit>

#include "base/Texts.h"
#include "base/ValueLists.h"
#include "base/qt/UserInterface.h"
#include "link/AppContext.h"
#include "ui_ConnectionDialog.h"

namespace flowdesk {

namespace {

constexpr BilingualText kTxtDeviceTip{
    "Périphérique série de Com%1 (choisir ou taper un chemin, ou tcp://HÔTE:PORT, "
    "rfc2217://HÔTE:PORT pour un serveur de port série)",
    "Serial device of Com%1 (pick one or type a path, or tcp://HOST:PORT, "
    "rfc2217://HOST:PORT for a serial device server)"};

constexpr BilingualText kTxtReplyEnd{"Fin de réponse", "Reply end"};
constexpr BilingualText kTxtReplyEndTip{
    "Silence : la réponse finit après un silence (la règle du protocole).\n"
    "Longueur : elle finit sur son dernier octet dès que sa longueur est connue (plus rapide).",
    "Silence: a reply ends after a silence (the protocol's rule).\n"
    "Length: it ends on its last byte once its length is known (faster)."};

// The program's path is only shown (the edit is read-only), never read back,
// so its length is not cut.
constexpr std::size_t kUncutLength = static_cast<std::size_t>(-1);

QString qtText(const BilingualText& text, Language language) {
  return QString::fromUtf8(text.text(language));
}

}  // namespace

ConnectionDialog::ConnectionDialog(AppContext& context, QWidget* parent)
    : Screen(context, parent),
      session_(context),
      // Every control the page binds, declared here once.
      rows_{
          .labels = {{"labelJbus", kTxtJbus},
                     {"labelCom", kTxtCom},
                     {"labelBauds", kTxtBauds},
                     {"labelReplyEnd", kTxtReplyEnd},
                     {"labelLanguage", kTxtLanguage},
                     {"labelSpreadsheet", kTxtSpreadsheet},
                     {"buttonBrowse", kTxtBrowse},
                     {"buttonConnect", kTxtConnect}},
          .texts = {{"editSpreadsheet", &context.settings.LastFileSpName, kUncutLength}},
          .fields = {{"editAddress", &context.settings.Jbus, "%.0f", 0, 255}},
          .combos = {{"comboPort", &context.settings.Com, 0, &PortList},
                     {"comboLanguage", &context.settings.Language, 0, &LanguageList},
                     {"comboBauds", &context.settings.Bauds, 0, &BaudList},
                     {"comboReplyEnd", &context.settings.ReplyEnd, 0, &ReplyEndList}},
      },
      ui_(std::make_unique<Ui::ConnectionDialog>()) {
  ui_->setupUi(this);
  const Language language = context_.settings.language();
  setWindowTitle(qtText(kTxtConfiguration, language));
  setTexts();
  showNumbers(*this, rows_.fields);
  fillLists(*this, rows_.combos, language);
  showTexts(*this, rows_.texts);
  // What is typed stays as typed: the box's completion would turn
  // "tcp://127.0.0.1" into a longer entry of the list as Enter is pressed.
  ui_->comboDevice->setCompleter(nullptr);
  showDevices();

  connect(ui_->editAddress, &QLineEdit::editingFinished, this, &ConnectionDialog::readAddress);
  connect(ui_->comboPort, &QComboBox::activated, this, &ConnectionDialog::listChosen);
  connect(ui_->comboLanguage, &QComboBox::activated, this, &ConnectionDialog::listChosen);
  connect(ui_->comboBauds, &QComboBox::activated, this, &ConnectionDialog::listChosen);
  connect(ui_->comboReplyEnd, &QComboBox::activated, this, &ConnectionDialog::listChosen);
  connect(ui_->comboDevice, &QComboBox::activated, this, &ConnectionDialog::deviceChosen);
  connect(ui_->comboDevice->lineEdit(), &QLineEdit::editingFinished, this,
          &ConnectionDialog::deviceChosen);
  connect(ui_->buttonBrowse, &QPushButton::clicked, this, &ConnectionDialog::browse);
  connect(ui_->buttonConnect, &QPushButton::clicked, this, &ConnectionDialog::connectToUnit);
}

ConnectionDialog::~ConnectionDialog() = default;

void ConnectionDialog::setTexts() {
  setLabels(*this, rows_.labels, context_.settings.language());
  ui_->comboReplyEnd->setToolTip(qtText(kTxtReplyEndTip, context_.settings.language()));
}

void ConnectionDialog::readAddress() {
  readNumbers(*this, rows_.fields);
}

void ConnectionDialog::listChosen() {
  const Language language = context_.settings.language();
  readLists(*this, rows_.combos);
  // The labels follow the language at once; the title and the lists keep
  // their texts until the page opens again.
  setTexts();
  showDevices();
  if (context_.settings.language() != language) emit languageChanged(context_.settings.language());
}

void ConnectionDialog::showDevices() {
  const Language language = context_.settings.language();
  const DeviceChoices choices = session_.deviceChoices();
  QComboBox* combo = ui_->comboDevice;
  const QSignalBlocker quiet(combo);
  combo->clear();
  for (const std::string& device : choices.items) {
    combo->addItem(QString::fromStdString(session_.deviceText(device, language)),
                   QString::fromStdString(device));
  }
  combo->setCurrentIndex(combo->findData(QString::fromStdString(choices.current)));
  combo->setEditText(QString::fromStdString(session_.deviceText(choices.current, language)));
  combo->setToolTip(qtText(kTxtDeviceTip, language).arg(session_.port() + 1));

  const QString access = QString::fromStdString(deviceAccessText(choices.current, language));
  ui_->labelDeviceAccess->setText(access);
  ui_->labelDeviceAccess->setVisible(!access.isEmpty());
}

void ConnectionDialog::deviceChosen() {
  if (session_.chooseDevice(ui_->comboDevice->currentText().trimmed().toStdString())) {
    showDevices();
  }
}

void ConnectionDialog::browse() {
  FileDialogRequest request;
  request.mode = FileDialogRequest::Mode::kOpen;
  request.folder = QString::fromStdString(session_.spreadsheetFolder());
  request.filters << QStringLiteral("%1 (*)").arg(
      qtText(kTxtSpreadsheet, context_.settings.language()));
  request.executablesOnly = true;
  const QString chosen = userInterface().chooseFile(this, request);
  if (chosen.isEmpty()) return;
  session_.chooseSpreadsheet(chosen.toStdString());
  showTexts(*this, rows_.texts);
}

bool ConnectionDialog::connectToUnit() {
  if (busy()) return false;
  const Language language = context_.settings.language();

  ConnectionOutcome outcome;
  {
    const std::unique_ptr<ProgressDisplay> progress = userInterface().progress(this, language);
    outcome = talk([&] {
      return session_.connect([&progress](int port, int baud) {
        progress->setInfo(QStringLiteral("Com%1  %2")
                              .arg(port + 1)
                              .arg(kBaudTable[static_cast<std::size_t>(baud)]));
      });
    });
  }
  userInterface().message(
      this, outcome.found ? UserInterface::Icon::kInformation : UserInterface::Icon::kCritical,
      qtText(kTxtConnectCaption, language),
      QString::fromStdString(connectionReportText(outcome, language)));

  // Drawn again from the settings the session left.
  selectLists(*this, rows_.combos);
  showNumbers(*this, rows_.fields);
  showDevices();
  return outcome.found;
}

}  // namespace flowdesk
