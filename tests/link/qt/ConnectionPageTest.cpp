// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "base/Texts.h"
#include "base/qt/QtPrint.h"
#include "link/AppContext.h"
#include "link/qt/ConnectionDialog.h"
#include "support/BoundControls.h"
#include "support/FakeUserInterface.h"
#include "support/ScreenProbes.h"

namespace flowdesk {
namespace {

using Icon = UserInterface::Icon;

using testing::child;

TEST(ConnectionPage, EveryBoundNameIsInTheUiFile) {
  AppContext context;
  ConnectionDialog page(context);
  EXPECT_TRUE(testing::boundControlsInUi(page.bindings(), "src/link/qt/ConnectionDialog.ui"));
  // the check itself catches a name the .ui does not have
  const BindingRows renamed{.labels = {{"labelJbus", kTxtJbus}, {"labelPort", kTxtCom}}};
  const ::testing::AssertionResult wrong =
      testing::boundControlsInUi(renamed, "src/link/qt/ConnectionDialog.ui");
  EXPECT_FALSE(wrong);
  EXPECT_NE(std::string(wrong.message()).find("labelPort"), std::string::npos) << wrong.message();
  EXPECT_FALSE(testing::boundControlsInUi(renamed, "src/link/qt/NoSuchDialog.ui"));
}

TEST(ConnectionPage, AddressIsClampedAndShownWithoutDecimals) {
  const struct {
    const char* typed;
    const char* shown;
    float stored;
  } cases[] = {
      {"300", "255", 255}, {"letters", "0", 0},   {"-4", "0", 0},
      {"17", "17", 17},    {"12.7", "13", 12.7f},  // kept as typed; a request truncates it
      {"7abc", "7", 7},    {"", "0", 0},
  };
  for (const auto& c : cases) {
    AppContext context;
    ConnectionDialog page(context);
    auto* edit = child<QLineEdit>(page, "editAddress");
    EXPECT_EQ(edit->text(), "1");
    edit->setText(QString::fromUtf8(c.typed));
    emit edit->editingFinished();
    EXPECT_EQ(edit->text(), c.shown) << c.typed;
    EXPECT_FLOAT_EQ(context.settings.Jbus, c.stored) << c.typed;
  }
}

TEST(ConnectionPage, OpensWithClampedValuesAndItsLists) {
  AppContext context;
  context.settings.Jbus = 900;
  context.settings.Com = 7;  // beyond the list: the first entry
  context.settings.Bauds = 3;
  context.settings.LastFileSpName = "/usr/bin/gnumeric";
  ConnectionDialog page(context);
  EXPECT_EQ(child<QLineEdit>(page, "editAddress")->text(), "255");
  EXPECT_FLOAT_EQ(context.settings.Jbus, 255);
  EXPECT_EQ(child<QComboBox>(page, "comboPort")->currentText(), "Com1");
  EXPECT_EQ(context.settings.Com, 0);
  EXPECT_EQ(child<QComboBox>(page, "comboBauds")->currentText(), "2400");
  EXPECT_EQ(child<QComboBox>(page, "comboLanguage")->count(), 2);
  EXPECT_EQ(child<QComboBox>(page, "comboLanguage")->itemText(0), "Français");
  EXPECT_EQ(child<QLineEdit>(page, "editSpreadsheet")->text(), "/usr/bin/gnumeric");
}

TEST(ConnectionPage, LanguageChoiceRelabelsAtOnceButKeepsTitle) {
  AppContext context;
  ConnectionDialog page(context);
  std::vector<Language> changed;
  QObject::connect(&page, &ConnectionDialog::languageChanged,
                   [&changed](Language language) { changed.push_back(language); });
  const char* labels[] = {"labelJbus", "labelCom", "labelBauds", "labelLanguage",
                          "labelSpreadsheet"};
  const auto texts = [&] {
    QStringList t;
    for (const char* l : labels) t << child<QLabel>(page, l)->text();
    t << child<QPushButton>(page, "buttonBrowse")->text();
    t << child<QPushButton>(page, "buttonConnect")->text();
    return t;
  };
  EXPECT_EQ(texts(),
            (QStringList{"Jbus", "Com", "Bauds", "Langue", "Tableur", "Parcourir", "Connecter"}));
  auto* language = child<QComboBox>(page, "comboLanguage");
  language->setCurrentIndex(1);
  emit language->activated(1);
  EXPECT_EQ(texts(),
            (QStringList{"Jbus", "Com", "Bauds", "Language", "SpreadSheet", "Browse", "Connect"}));
  EXPECT_EQ(page.windowTitle(), "Configuration");
  EXPECT_EQ(context.settings.Language, 1);
  EXPECT_TRUE(changed == std::vector<Language>{kEnglish});

  // choosing a port or a rate takes effect at once and is no language change
  auto* port = child<QComboBox>(page, "comboPort");
  port->setCurrentIndex(3);
  emit port->activated(3);
  auto* bauds = child<QComboBox>(page, "comboBauds");
  bauds->setCurrentIndex(0);
  emit bauds->activated(0);
  EXPECT_EQ(context.settings.Com, 3);
  EXPECT_EQ(context.settings.Bauds, 0);
  EXPECT_EQ(changed.size(), 1u);
}

TEST(ConnectionPage, FailedScanRestoresPortBaudAndAddress) {
  AppContext context;
  context.deviceOverride = {"/nonexistent/ttyA", "/nonexistent/ttyB", "/nonexistent/ttyC",
                            "/nonexistent/ttyD"};
  context.settings.Com = 3;
  context.settings.Bauds = 2;
  context.settings.Jbus = 7;
  context.settings.Language = 1;
  ConnectionDialog page(context);
  testing::FakeUserInterface ui;
  EXPECT_FALSE(page.connectToUnit());
  const auto& messages = ui.messages;

  EXPECT_EQ(context.settings.Com, 3);
  EXPECT_EQ(context.settings.Bauds, 2);
  EXPECT_FLOAT_EQ(context.settings.Jbus, 7);
  EXPECT_EQ(child<QComboBox>(page, "comboPort")->currentText(), "Com4");
  EXPECT_EQ(child<QComboBox>(page, "comboBauds")->currentText(), "1200");
  EXPECT_EQ(child<QLineEdit>(page, "editAddress")->text(), "7");
  ASSERT_EQ(messages.size(), 1u);
  EXPECT_EQ(messages[0].icon, Icon::kCritical);
  EXPECT_EQ(messages[0].caption, "CONNECT TO UNIT");
  EXPECT_TRUE(messages[0].text.startsWith("Connect Failure")) << messages[0].text.toStdString();
  // each missing device is named once, Com4 (never scanned) not at all
  for (const char* device : {"/nonexistent/ttyA", "/nonexistent/ttyB", "/nonexistent/ttyC"}) {
    EXPECT_EQ(messages[0].text.count(device), 1) << device;
  }
  EXPECT_FALSE(messages[0].text.contains("ttyD"));
  // the page says what the core says, as flowdesk-cli does
  ConnectionSession same(context);
  EXPECT_EQ(messages[0].text.toStdString(), connectionReportText(same.connect(), kEnglish));
}

TEST(ConnectionPage, DeviceBesideThePortIsTheOperatorsChoice) {
  AppContext context;
  context.deviceOverride[0] = "/dev/pts/99";  // this run's virtual unit
  ConnectionDialog page(context);
  auto* device = child<QComboBox>(page, "comboDevice");
  EXPECT_EQ(device->currentText(), "/dev/pts/99");

  device->setEditText(QStringLiteral("/dev/ttyUSB7"));
  emit device->lineEdit()->editingFinished();
  EXPECT_EQ(context.settings.Device1, "/dev/ttyUSB7");
  EXPECT_TRUE(context.deviceOverride[0].empty());
  EXPECT_EQ(context.devicePath(0), "/dev/ttyUSB7");
  // the page says at once that the device is not there
  auto* access = child<QLabel>(page, "labelDeviceAccess");
  EXPECT_TRUE(access->text().contains("/dev/ttyUSB7")) << access->text().toStdString();

  // another port shows its own device and keeps Device1
  auto* port = child<QComboBox>(page, "comboPort");
  port->setCurrentIndex(2);
  emit port->activated(2);
  device->setEditText(QStringLiteral("/dev/serial/by-id/usb-x"));
  emit device->lineEdit()->editingFinished();
  EXPECT_EQ(context.settings.Device3, "/dev/serial/by-id/usb-x");
  EXPECT_EQ(context.settings.Device1, "/dev/ttyUSB7");

  // an empty text goes back to the default mapping
  device->setEditText(QString());
  emit device->lineEdit()->editingFinished();
  EXPECT_TRUE(context.settings.Device3.empty());
}

// The box keeps what was typed: no completion from the list, even for a
// text that begins an entry of it.
TEST(ConnectionPage, DeviceBoxKeepsWhatWasTyped) {
  const struct {
    const char* listed;
    const char* typed;
  } cases[] = {
      {"tcp://127.0.0.1:5020", "tcp://127.0.0.1"},
      {"/dev/ttyUSB10", "/dev/ttyUSB1"},
      {"rfc2217://Server:4001", "rfc2217://server"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    AppContext context;
    context.settings.Device1 = c.listed;
    ConnectionDialog page(context);
    page.show();
    auto* device = child<QComboBox>(page, "comboDevice");
    ASSERT_NE(device->findText(QString::fromUtf8(c.listed)), -1);
    QLineEdit* edit = device->lineEdit();
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Delete);
    QTest::keyClicks(edit, QString::fromUtf8(c.typed));
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(context.settings.Device1, c.typed);
    EXPECT_EQ(device->currentText(), c.typed);
  }
}

// With --virtual-unit the running unit is in the list by name, an emptied
// box on Com1 returns to it, and its terminal is never saved.
TEST(ConnectionPage, VirtualUnitIsListedAndNeverSaved) {
  AppContext context;
  context.moveVirtualUnit("/dev/pts/77");
  context.settings.Language = languageIndex(kEnglish);
  ConnectionDialog page(context);
  auto* device = child<QComboBox>(page, "comboDevice");
  const QString named = QStringLiteral("virtual unit (/dev/pts/77)");
  EXPECT_EQ(device->currentText(), named);
  EXPECT_NE(device->findText(named), -1);
  const auto enter = [device](const QString& text) {
    device->setEditText(text);
    emit device->lineEdit()->editingFinished();
  };

  enter(QStringLiteral("/dev/ttyUSB3"));
  EXPECT_EQ(context.devicePath(0), "/dev/ttyUSB3");
  EXPECT_EQ(context.settings.Device1, "/dev/ttyUSB3");
  EXPECT_NE(device->findText(named), -1) << "still offered";

  enter(QString());
  EXPECT_EQ(context.devicePath(0), "/dev/pts/77");
  EXPECT_EQ(device->currentText(), named);
  EXPECT_TRUE(context.settings.Device1.empty()) << "an emptied box forgets the saved device";

  // picked from the list on another port: used for this run, not saved
  auto* port = child<QComboBox>(page, "comboPort");
  port->setCurrentIndex(1);
  emit port->activated(1);
  const int at = device->findText(named);
  ASSERT_NE(at, -1);
  device->setCurrentIndex(at);
  emit device->activated(at);
  EXPECT_EQ(context.devicePath(1), "/dev/pts/77");
  // its path typed as such, or its French name, is the same choice
  enter(QStringLiteral("unité virtuelle (/dev/pts/77)"));
  enter(QStringLiteral("/dev/pts/77"));
  EXPECT_EQ(context.devicePath(1), "/dev/pts/77");
  for (const std::string& saved : context.settings.devices()) {
    EXPECT_NE(saved, "/dev/pts/77");
  }
  // an emptied box on another port is the default mapping there
  enter(QString());
  EXPECT_TRUE(context.deviceOverride[1].empty());
}

TEST(ConnectionPage, BrowseStoresTheProgramPathAsItIs) {
  const struct {
    const char* current;
    const char* answer;
    const char* folder;
    const char* stored;
  } cases[] = {
      {"", "/opt/Libre.Office/program/soffice.bin", "/usr/bin/",
       "/opt/Libre.Office/program/soffice.bin"},
      {"/opt/calc/gnumeric", "/usr/bin/localc", "/opt/calc/", "/usr/bin/localc"},
      {"/opt/calc/gnumeric", "", "/opt/calc/", "/opt/calc/gnumeric"},  // cancel
  };
  for (const auto& c : cases) {
    AppContext context;
    context.settings.LastFileSpName = c.current;
    ConnectionDialog page(context);
    testing::FakeUserInterface ui;
    ui.files.push_back(QString::fromUtf8(c.answer));
    child<QPushButton>(page, "buttonBrowse")->click();
    const auto& requests = ui.fileRequests;
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].executablesOnly);
    EXPECT_EQ(requests[0].folder, c.folder);
    EXPECT_EQ(requests[0].filters, QStringList{"Tableur (*)"});
    EXPECT_EQ(context.settings.LastFileSpName, c.stored);
    EXPECT_EQ(child<QLineEdit>(page, "editSpreadsheet")->text(), c.stored);
  }
}

}  // namespace
}  // namespace flowdesk
