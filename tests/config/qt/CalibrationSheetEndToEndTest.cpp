// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration sheet against flowdesk-unit on its pseudo-terminal, driven
// through its pages with the fake user interface: the configuration lists,
// TRANSFERT to one configuration and reading it back, a saved calibration
// file reopened in file mode, COMPARE, and pictures of the three pages.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFocusEvent>
#include <QImage>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdlib>
#include <memory>
#include <string>

#include "base/Clock.h"
#include "base/qt/WindowPrinter.h"
#include "config/ComparisonReport.h"
#include "config/ConfigurationSession.h"
#include "config/qt/CalibrationSheet.h"
#include "config/qt/InputsOutputsPage.h"
#include "config/qt/MeasurementPointPage.h"
#include "config/qt/SelectConfigurationPage.h"
#include "link/AppContext.h"
#include "link/SerialPort.h"
#include "support/FakePrinter.h"
#include "support/FakeUserInterface.h"
#include "support/NumberFields.h"
#include "support/Processes.h"
#include "support/ScreenProbes.h"

namespace flowdesk {
namespace {

// A context of its own on the unit's terminal, at the unit's 9600 baud.
struct UnitRig {
  testing::UnitProcess unit;
  DeviceImage image;
  AppContext context{systemClock(), image};
  QTemporaryDir folder;

  explicit UnitRig(const char* configs) : unit({"--configs", configs}) {
    context.deviceOverride[0] = unit.device();
    context.settings.Com = 0;
    context.settings.Bauds = 5;
    context.settings.Jbus = 1;
    context.settings.LastPathName = folder.path().toStdString() + "/";
  }
};

QStringList items(const QComboBox* combo) {
  QStringList all;
  for (int i = 0; i < combo->count(); ++i) all << combo->itemText(i);
  return all;
}

using testing::child;

TEST(CalibrationSheetOnUnit, ListsTheConfigurationsAndOpensOnTheMeasurementPoint) {
  const struct {
    const char* configs;
    Language language;
    qsizetype read;
    QString lastWrite;
  } cases[] = {{"18", kFrench, 18, "Toutes"}, {"2", kEnglish, 2, "ALL"}};
  for (const auto& c : cases) {
    UnitRig rig(c.configs);
    ASSERT_FALSE(rig.unit.device().empty());
    rig.context.settings.Language = languageIndex(c.language);
    testing::FakeUserInterface ui;
    CalibrationSheet sheet(rig.context);
    ASSERT_TRUE(sheet.open(ScreenSource::unit()))
        << (ui.messages.empty() ? "" : ui.messages[0].text.toStdString());
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(sheet.tabs().currentIndex(), CalibrationSheet::kMeasurementPointTab);
    EXPECT_EQ(sheet.tabs().count(), 3);
    QWidget* select = sheet.selectionPage();
    const QStringList read = items(child<QComboBox>(select, "comboRead"));
    const QStringList write = items(child<QComboBox>(select, "comboWrite"));
    EXPECT_EQ(read.size(), c.read) << c.configs;
    EXPECT_EQ(read.value(1), "1");
    EXPECT_EQ(write.size(), c.read + 1);
    EXPECT_EQ(write.value(write.size() - 1), c.lastWrite);
    EXPECT_EQ(sheet.tabs().tabText(0),
              c.language == kFrench ? "Sélection Configuration" : "Select Configuration");
  }
}

// On a French desktop: one decimal typed with a comma, every edit of both
// pages left by Tab, TRANSFERT; the configuration read back differs from the
// one the sheet read in that field alone.
TEST(CalibrationSheetOnUnit, TransfertWritesTheChosenConfigurationAndEndsTheSheet) {
  const testing::DesktopLocale french("fr_FR");
  UnitRig rig("18");
  rig.context.settings.Language = languageIndex(kEnglish);
  testing::FakeUserInterface ui;
  CalibrationSheet sheet(rig.context);
  ASSERT_TRUE(sheet.open(ScreenSource::unit()));

  // Reading configuration 5 also selects it for writing.
  sheet.tabs().setCurrentIndex(CalibrationSheet::kSelectionTab);
  auto* read = child<QComboBox>(sheet.selectionPage(), "comboRead");
  read->setCurrentIndex(5);
  emit read->activated(5);
  EXPECT_EQ(sheet.session().readNumber(), 5);
  EXPECT_EQ(child<QComboBox>(sheet.selectionPage(), "comboWrite")->currentIndex(), 5);
  sheet.tabs().setCurrentIndex(CalibrationSheet::kMeasurementPointTab);

  DeviceImage asRead = rig.image;

  // Q Max typed on the measurement point page, stored when the focus leaves.
  auto* qMax = child<QLineEdit>(sheet.measurementPointPage(), "editQMax");
  qMax->setText("1234,5");
  testing::leaveEdit(qMax);
  EXPECT_FLOAT_EQ(rig.image.configuration.maximumFlow, 1234.5f);
  EXPECT_EQ(qMax->text(), "+1234,5");
  for (const int tab :
       {CalibrationSheet::kMeasurementPointTab, CalibrationSheet::kInputsOutputsTab}) {
    sheet.tabs().setCurrentIndex(tab);
    for (QLineEdit* edit : sheet.tabs().currentWidget()->findChildren<QLineEdit*>()) {
      testing::leaveEdit(edit);
    }
  }

  sheet.tabs().setCurrentIndex(CalibrationSheet::kSelectionTab);
  auto* write = child<QComboBox>(sheet.selectionPage(), "comboWrite");
  write->setCurrentIndex(3);
  emit write->activated(3);
  EXPECT_EQ(sheet.session().writeNumber(), 3);

  // "no" writes nothing
  const int progressBefore = ui.progressShown;
  sheet.selectionPage()->transfert();
  ASSERT_EQ(ui.questions.size(), 1u);
  EXPECT_EQ(ui.questions[0], "Upload to unit");
  EXPECT_EQ(ui.progressShown, progressBefore);

  ui.answers = {true};
  sheet.selectionPage()->transfert();
  EXPECT_EQ(ui.progressSteps.back(), "Upload Configuration n°  3");
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::kInformation);
  EXPECT_EQ(ui.messages[0].caption, "UPLOAD");
  EXPECT_EQ(sheet.result(), QDialog::Accepted);

  // Read back: configuration 3 now holds the new Q Max, configuration 0 not.
  DeviceImage other;
  AppContext reader(systemClock(), other);
  reader.deviceOverride[0] = rig.unit.device();
  reader.settings.Bauds = 5;
  reader.settings.Jbus = 1;
  ConfigurationSession session(reader);
  ASSERT_TRUE(session.openUnit().ok);
  EXPECT_NE(other.configuration.maximumFlow, 1234.5f);
  const ReadOutcome three = session.selectRead(3);
  ASSERT_TRUE(three.ok);
  EXPECT_EQ(session.writeNumber(), 3);  // reading a configuration also selects it for writing
  EXPECT_FLOAT_EQ(other.configuration.maximumFlow, 1234.5f);
  const std::vector<ReportLine> changed =
      reportDifferences(configurationReportTable(ValueList{}), asRead, other, kEnglish, {});
  std::string names;
  for (const ReportLine& line : changed) {
    names += line.name + " " + line.unitValue + " -> " + line.fileValue + "; ";
  }
  ASSERT_EQ(changed.size(), 1u) << names;
  EXPECT_EQ(changed[0].fileValue, "+1234.5") << names;
}

TEST(CalibrationSheetOnUnit, SavedFileReopensInFileModeAndComparesWithoutDeviation) {
  UnitRig rig("2");
  rig.context.settings.Language = languageIndex(kFrench);
  testing::FakeUserInterface ui;
  const std::string saved = rig.context.settings.LastPathName + "site";
  {
    CalibrationSheet sheet(rig.context);
    ASSERT_TRUE(sheet.open(ScreenSource::unit()));
    auto* chords = child<QLineEdit>(sheet.measurementPointPage(), "editChords");
    chords->setText("3");
    QFocusEvent out(QEvent::FocusOut);
    QApplication::sendEvent(chords, &out);
    ui.files = {QString::fromStdString(saved)};
    sheet.selectionPage()->saveDisk();
    EXPECT_EQ(testing::wholeFile(saved + ".eta").size(), 436u);
  }

  CalibrationSheet file(rig.context);
  rig.image.configuration.chordPairs = 1;  // the file brings its own
  ASSERT_TRUE(file.open(ScreenSource::file(saved + ".eta")));
  EXPECT_TRUE(file.session().fromFile());
  EXPECT_EQ(child<QLineEdit>(file.measurementPointPage(), "editChords")->text(), "3");
  EXPECT_TRUE(child<QComboBox>(file.selectionPage(), "comboRead")->isHidden());
  EXPECT_FALSE(child<QComboBox>(file.selectionPage(), "comboWrite")->isHidden());

  // The unit (now showing its own configuration) against a file of it.
  CalibrationSheet unit(rig.context);
  ASSERT_TRUE(unit.open(ScreenSource::unit()));
  // A file of the unit's own values: saved first, then compared.
  ui.files = {QString::fromStdString(rig.context.settings.LastPathName + "unit")};
  unit.selectionPage()->saveDisk();
  ui.files = {QString::fromStdString(rig.context.settings.LastPathName + "unit.eta")};
  ui.messages.clear();
  unit.selectionPage()->compare();
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::kQuestion);
  EXPECT_TRUE(ui.messages[0].text.startsWith("Ecart entre Unité et Fichier "))
      << ui.messages[0].text.toStdString();
  const std::string report = rig.context.CurrentFilePath;
  EXPECT_TRUE(report.ends_with("Ecart.prn")) << report;
  EXPECT_NE(testing::wholeFile(report).find("Aucun écart entre unité et Fichier"),
            std::string::npos);
}

TEST(CalibrationSheetOnUnit, EnterAndEscapeLeaveTheSheetOpenAndItsShortcutsWorkOnEveryPage) {
  UnitRig rig("2");
  testing::FakeUserInterface ui;
  CalibrationSheet sheet(rig.context);
  ASSERT_TRUE(sheet.open(ScreenSource::unit()));
  sheet.show();
  QWidget* targets[] = {&sheet, child<QLineEdit>(sheet.measurementPointPage(), "editQMax"),
                        child<QComboBox>(sheet.selectionPage(), "comboWrite"),
                        child<QWidget>(sheet.selectionPage(), "buttonTransfert")};
  for (QWidget* target : targets) {
    for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
      QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
      QApplication::sendEvent(target, &press);
    }
  }
  EXPECT_TRUE(sheet.isVisible());
  EXPECT_TRUE(ui.questions.empty());  // Enter on TRANSFERT pressed nothing

  // Ctrl+S and Ctrl+T act from every page, once the edit stored its value.
  QApplication::setActiveWindow(&sheet);
  auto* chords = child<QLineEdit>(sheet.measurementPointPage(), "editChords");
  for (const int tab : {CalibrationSheet::kMeasurementPointTab, CalibrationSheet::kInputsOutputsTab,
                        CalibrationSheet::kSelectionTab}) {
    SCOPED_TRACE(tab);
    sheet.tabs().setCurrentIndex(tab);
    if (tab == CalibrationSheet::kMeasurementPointTab) {
      chords->setFocus();
      chords->selectAll();
      QTest::keyClicks(chords, "3");
    }
    const std::size_t files = ui.fileRequests.size();
    const std::size_t questions = ui.questions.size();
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &sheet, Qt::Key_S,
                    Qt::ControlModifier);
    EXPECT_EQ(ui.fileRequests.size(), files + 1) << "Ctrl+S asks for the file";
    QTest::keyClick(&sheet, Qt::Key_T, Qt::ControlModifier);
    EXPECT_EQ(ui.questions.size(), questions + 1) << "Ctrl+T asks before writing";
  }
  EXPECT_EQ(chords->text(), "3") << "no key landed in the edit";
  EXPECT_EQ(rig.image.configuration.chordPairs, 3) << "stored before the shortcut acted";
}

TEST(CalibrationSheetOnUnit, ASecondTransfertOrACloseDuringTheUploadWaitsForItsEnd) {
  UnitRig rig("2");
  testing::FakeUserInterface ui;
  ui.answers = {true, true};
  CalibrationSheet sheet(rig.context);
  ASSERT_TRUE(sheet.open(ScreenSource::unit()));
  sheet.show();
  QApplication::setActiveWindow(&sheet);
  bool pressed = false;
  bool openWhilePressed = false;
  // The wait for the unit's reply runs the idle hook: the person's keys and
  // the close box arrive there.
  const ScopedIdleHook idle([&](SerialPort*) {
    if (!pressed && sheet.busy()) {
      pressed = true;
      QTest::keyClick(&sheet, Qt::Key_T, Qt::ControlModifier);
      sheet.close();
      openWhilePressed = sheet.isVisible();
    }
    return 0;
  });
  sheet.selectionPage()->transfert();
  EXPECT_TRUE(pressed);
  EXPECT_TRUE(openWhilePressed);
  EXPECT_EQ(ui.questions.size(), 1u) << "Ctrl+T acted after the upload had closed the sheet";
  EXPECT_EQ(sheet.result(), QDialog::Accepted) << "the upload ended the sheet";
}

TEST(CalibrationSheetOnUnit, PrintPutsBothPagesOnOneSheetAndReturnsToTheSelection) {
  UnitRig rig("2");
  const PrintEnvironment saved = printEnvironment();
  // PRINT on the selection page, and Ctrl+P from each page (the measurement
  // point page, where the sheet opens, once printed nothing).
  const struct Case {
    int startTab;
    bool shortcut;
  } cases[] = {{CalibrationSheet::kSelectionTab, false},
               {CalibrationSheet::kSelectionTab, true},
               {CalibrationSheet::kMeasurementPointTab, true},
               {CalibrationSheet::kInputsOutputsTab, true}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "from tab " << c.startTab << (c.shortcut ? " Ctrl+P" : ""));
    testing::FakeUserInterface ui;
    testing::PrintJob job{QImage(2480, 3508, QImage::Format_RGB32)};
    const QStringList& calls = job.calls;
    PrintEnvironment print;
    print.showProgress = false;
    print.openPrinter = [&job] { return testing::printerFor(job); };
    setPrintEnvironment(print);

    CalibrationSheet sheet(rig.context);
    ASSERT_TRUE(sheet.open(ScreenSource::unit()));
    sheet.show();
    QApplication::setActiveWindow(&sheet);
    sheet.tabs().setCurrentIndex(c.startTab);
    if (c.shortcut) {
      QTest::keyClick(&sheet, Qt::Key_P, Qt::ControlModifier);
    } else {
      sheet.selectionPage()->print();
    }
    QElapsedTimer waited;
    waited.start();
    while (!calls.contains("end") && waited.elapsed() < 5000) QCoreApplication::processEvents();
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    setPrintEnvironment(saved);

    EXPECT_EQ(calls, (QStringList{"begin Etal1 1", "end"}));  // one job, one sheet
    EXPECT_EQ(sheet.tabs().currentIndex(), CalibrationSheet::kSelectionTab);
    EXPECT_FALSE(sheet.session().PrintMode);
    EXPECT_TRUE(ui.messages.empty());
    sheet.tabs().setCurrentIndex(CalibrationSheet::kInputsOutputsTab);
    for (int i = 0; i < 20; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(calls.size(), 2) << "a page switch after the print prints nothing more";
  }
}

// Pictures of the three pages in both languages; written to
// FLOWDESK_SCREENSHOT_DIR when it is set.
TEST(CalibrationSheetOnUnit, PagesDrawInBothLanguages) {
  const char* folder = std::getenv("FLOWDESK_SCREENSHOT_DIR");
  for (const Language language : {kFrench, kEnglish}) {
    UnitRig rig("18");
    rig.context.settings.Language = languageIndex(language);
    testing::FakeUserInterface ui;
    CalibrationSheet sheet(rig.context);
    ASSERT_TRUE(sheet.open(ScreenSource::unit()));
    sheet.resize(760, 520);
    sheet.show();
    const char* names[] = {"select", "point", "io"};
    for (int tab = 0; tab < 3; ++tab) {
      sheet.tabs().setCurrentIndex(tab);
      const QPixmap picture = sheet.grab();
      EXPECT_FALSE(picture.isNull());
      if (folder != nullptr) {
        picture.save(QDir(QString::fromLocal8Bit(folder))
                         .filePath(QStringLiteral("calibration_%1_%2.png")
                                       .arg(QLatin1String(names[tab]))
                                       .arg(language == kFrench ? "fr" : "en")));
      }
    }
  }
}

}  // namespace
}  // namespace flowdesk
