// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <map>
#include <string>

#include "app/qt/AboutDialog.h"
#include "app/qt/MainWindow.h"
#include "app/qt/StopMeasurementDialog.h"
#include "base/BuiltinProbeCatalogue.h"
#include "base/qt/QtPrint.h"
#include "config/CalibrationFile.h"
#include "config/FactoryFile.h"
#include "config/MakerFile.h"
#include "config/SpecialProbeFile.h"
#include "config/qt/InitialisationDialog.h"
#include "files/FileKinds.h"
#include "link/AppContext.h"
#include "link/qt/ConnectionDialog.h"
#include "support/FakeUserInterface.h"

namespace flowdesk {
namespace {

// The menu as one line: sub-menus in brackets, separators as "-", disabled
// commands marked with "~".
QString describe(const QList<QAction*>& actions) {
  QStringList parts;
  for (const QAction* a : actions) {
    if (a->isSeparator()) {
      parts << QStringLiteral("-");
    } else if (a->menu() != nullptr) {
      parts << a->text() + "[" + describe(a->menu()->actions()) + "]";
    } else {
      parts << (a->isEnabled() ? "" : "~") + a->text();
    }
  }
  return parts.join(',');
}

QString describe(const MainWindow& window) {
  QStringList menus;
  for (const QAction* a : window.menuBar()->actions()) menus << describe({const_cast<QAction*>(a)});
  return menus.join('|');
}

using testing::FakeUserInterface;

// The screen each command of the registry opens, by a readable name.
const std::map<int, std::string> kScreenNames = {
    {kCmdMeasurement, "measurement"},
    {kCmdCalibration, "calibration"},
    {kCmdEchoDisplay, "echo"},
    {kCmdLoggerConfiguration, "loggerConfiguration"},
    {kCmdLoggerDisplay, "loggerViewer"},
    {kCmdFactorySettings, "factory"},
    {kCmdMakerSettings, "maker"},
    {kCmdInitialisation, "initialisation"},
    {kCmdNewCalibration, "newCalibration"},
    {kCmdNewFactorySettings, "newFactory"},
    {kCmdNewMakerSettings, "newMaker"},
    {kCmdNewSpecialProbe, "specialProbe"},
};

// What the screens were asked to show.
struct ScreenLog {
  std::vector<std::string> opened;
  std::vector<bool> fromFile;
  std::vector<std::string> paths;

  ScreenOpener opener(const std::string& name) {
    return [this, name](AppContext&, const ScreenSource& source, QWidget*) {
      opened.push_back(name);
      fromFile.push_back(source.fromFile());
      paths.push_back(source.filePath);
    };
  }
  // This build's registry with every screen built.
  ScreenRegistry all() {
    ScreenRegistry screens = builtScreens();
    for (ScreenRow& row : screens) row.open = opener(kScreenNames.at(row.command));
    return screens;
  }
};

// The whole menu in order: depth (0 a title of the bar, 1 its entries, 2 a
// sub-menu's), the French and English texts ("-" a separator), the start-up
// switch that adds the line ("" none), and whether it is enabled when the
// echo screen is missing from the build.
struct MenuLine {
  int depth;
  const char* french;
  const char* english;
  const char* needs = "";
  bool enabled = true;
};
const MenuLine kMenu[] = {
    {0, "&Fichier", "&File"},
    {1, "&Ouvrir", "&Open"},
    {1, "Ouvrir en &graphique", "Open as &plot"},
    {1, "&Nouveau", "&New"},
    {2, "&Etalonnage", "&Calibration"},
    {2, "-", "-", "-q"},
    {2, "&Réglage Usine", "&Factory Settings", "-q"},
    {2, "-", "-", "-kRwT"},
    {2, "Réglage &NORVADINE", "&NORVADINE Settings", "-kRwT"},
    {2, "&Fichier SP", "&SP File", "-kRwT"},
    {1, "-", "-"},
    {1, "&Quitter", "E&xit"},
    {0, "&Dialogue", "&Dialogue"},
    {1, "&Mesure", "&Measurement"},
    {1, "&Etalonnage", "&Calibration"},
    {1, "&Visu. Echo", "&Echo display", "", false},
    {1, "&Logger", "&Logger"},
    {2, "&Etalonnage", "&Calibration"},
    {2, "&Visualisation", "&Display"},
    {1, "-", "-", "-q"},
    {1, "&Réglage Usine", "&Factory Settings", "-q"},
    {1, "-", "-", "-kRwT"},
    {1, "Réglage &NORVADINE", "&NORVADINE Settings", "-kRwT"},
    {1, "-", "-", "boot"},
    {1, "&Initialisation", "&Initialization", "boot"},
    {0, "&Configuration", "&Configuration"},
    {1, "&Configuration", "&Configuration"},
    {0, "&A Propos de ...", "&About ..."},
    {1, "&A Propos de ...", "&About ..."},
};

bool switchedOn(const char* needs, const ModeFlags& flags) {
  const std::string n = needs;
  return n.empty() || (n == "-q" && flags.factory) || (n == "-kRwT" && flags.maker) ||
         (n == "boot" && flags.initialisation);
}

// One line per entry: its depth, "~" when disabled, its text.
void flatten(const QList<QAction*>& actions, int depth, QStringList& lines) {
  for (const QAction* a : actions) {
    const QString text = a->isSeparator() ? QStringLiteral("-") : a->text();
    lines << QStringLiteral("%1 %2%3").arg(depth).arg(a->isEnabled() ? "" : "~", text);
    if (a->menu() != nullptr) flatten(a->menu()->actions(), depth + 1, lines);
  }
}

TEST(MainWindow, MenuForEachSwitchAndLanguage) {
  // The inner switches alone, or out of their order, add nothing.
  for (const char* commandLine :
       {"", "-kRwT", "boot", "-q", "-q boot", "-q -kRwT", "-q -kRwT boot"}) {
    for (const Language language : {kFrench, kEnglish}) {
      AppContext context;
      context.modeFlags = ModeFlags::fromCommandLine(commandLine, false);
      context.settings.Language = languageIndex(language);
      ScreenRegistry withoutEcho = builtScreens();
      screenForCommand(withoutEcho, kCmdEchoDisplay)->open = {};
      MainWindow window(context, withoutEcho);
      QStringList expected;
      for (const MenuLine& line : kMenu) {
        if (!switchedOn(line.needs, context.modeFlags)) continue;
        expected << QStringLiteral("%1 %2%3")
                        .arg(line.depth)
                        .arg(line.enabled ? "" : "~",
                             QString::fromUtf8(language == kFrench ? line.french : line.english));
      }
      QStringList shown;
      flatten(window.menuBar()->actions(), 0, shown);
      EXPECT_EQ(shown, expected) << commandLine << " language " << languageIndex(language);
    }
  }
}

// The letters after a single '&' in `texts` that an earlier text already took.
QStringList repeatedMnemonics(const QStringList& texts) {
  QStringList seen;
  QStringList repeated;
  for (const QString& text : texts) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
      if (text[i] != '&') continue;
      if (text[i + 1] == '&') {
        ++i;
        continue;
      }
      const QString letter = text.mid(i + 1, 1).toUpper();
      if (seen.contains(letter)) repeated << text;
      seen << letter;
      break;
    }
  }
  return repeated;
}

void expectDistinctMnemonics(const QList<QAction*>& actions, const QString& where) {
  QStringList texts;
  for (const QAction* a : actions) {
    if (a->isSeparator()) continue;
    texts << a->text();
    if (a->menu() != nullptr)
      expectDistinctMnemonics(a->menu()->actions(), where + ">" + a->text());
  }
  EXPECT_TRUE(repeatedMnemonics(texts).isEmpty())
      << where.toStdString() << ": " << repeatedMnemonics(texts).join(", ").toStdString();
}

void expectDistinctMnemonics(const QWidget& dialog) {
  QStringList texts;
  for (const QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) texts << b->text();
  for (const QGroupBox* g : dialog.findChildren<QGroupBox*>()) texts << g->title();
  for (const QLabel* l : dialog.findChildren<QLabel*>()) {
    if (l->buddy() != nullptr) texts << l->text();
  }
  EXPECT_TRUE(repeatedMnemonics(texts).isEmpty())
      << dialog.metaObject()->className() << ": "
      << repeatedMnemonics(texts).join(", ").toStdString();
}

TEST(Mnemonics, NoTwoEntriesOfAMenuOrADialogShareALetter) {
  for (const Language language : {kFrench, kEnglish}) {
    SCOPED_TRACE(languageIndex(language));
    AppContext context;
    context.modeFlags = ModeFlags::fromCommandLine("-q -kRwT boot", false);
    context.settings.Language = languageIndex(language);
    MainWindow window(context, builtScreens());
    expectDistinctMnemonics(window.menuBar()->actions(), "menu bar");

    expectDistinctMnemonics(InitialisationDialog(context));
    expectDistinctMnemonics(StopMeasurementDialog(language));
    expectDistinctMnemonics(ConnectionDialog(context));
  }
}

TEST(MainWindow, BuiltScreensEnableTheirCommands) {
  AppContext context;
  context.modeFlags = ModeFlags::fromCommandLine("-q -kRwT boot", false);
  ScreenLog log;
  MainWindow window(context, log.all());
  EXPECT_FALSE(describe(window).contains('~')) << describe(window).toStdString();
  // a disabled command does nothing even when run directly
  AppContext bare;
  ScreenRegistry withoutEcho = builtScreens();
  screenForCommand(withoutEcho, kCmdEchoDisplay)->open = {};
  MainWindow empty(bare, withoutEcho);
  empty.runCommand(kCmdEchoDisplay);
  EXPECT_FALSE(empty.commandAvailable(kCmdEchoDisplay));
}

// Every row of the registry drives its menu entry: enabled with a screen to
// open or a file to write, disabled with neither, whatever the other rows do.
TEST(ScreenRegistry, EachRowEnablesItsEntryWithAnOpenerOrAWriter) {
  const ScreenOpener opener = [](AppContext&, const ScreenSource&, QWidget*) {};
  const DefaultFileWriter writer = [](FileKind, const std::string&, const AppSettings&) {
    return FileResult{};
  };
  for (const ScreenRow& built : builtScreens()) {
    for (const bool withOpener : {false, true}) {
      for (const bool withWriter : {false, true}) {
        ScreenRegistry screens = builtScreens();
        ScreenRow& row = *screenForCommand(screens, built.command);
        row.open = withOpener ? opener : ScreenOpener();
        row.writeDefault = withWriter ? writer : DefaultFileWriter();
        AppContext context;
        context.modeFlags = ModeFlags::fromCommandLine("-q -kRwT boot", false);
        MainWindow window(context, screens);
        const QAction* entry =
            window.findChild<QAction*>(QStringLiteral("command%1").arg(built.command));
        ASSERT_NE(entry, nullptr) << built.command;  // every row is a menu entry
        EXPECT_EQ(entry->isEnabled(), withOpener || withWriter)
            << built.command << " opener " << withOpener << " writer " << withWriter;
        EXPECT_EQ(window.commandAvailable(built.command), withOpener || withWriter);
      }
    }
  }
}

// What Open and New rely on: every kind of file has a screen row, and the
// New rows are exactly the kinds with default files.
TEST(ScreenRegistry, EveryKindHasAScreenAndEveryDefaultKindANewCommand) {
  const ScreenRegistry screens = builtScreens();
  for (const FileKindInfo& kind : fileKinds()) {
    int rows = 0, writers = 0;
    for (const ScreenRow& row : screens) {
      if (row.kind != kind.kind) continue;
      ++rows;
      if (row.writeDefault) ++writers;
    }
    EXPECT_GE(rows, 1) << kind.extension;
    EXPECT_EQ(writers, kind.newFromDefaults ? 1 : 0) << kind.extension;
  }
  for (const ScreenRow& row : screens) {
    if (row.writeDefault) {
      EXPECT_TRUE(row.kind.has_value()) << row.command;
    }
  }
}

TEST(MainWindow, LanguageChangeOnConnectionPageRebuildsMenuAtOnce) {
  AppContext context;
  MainWindow window(context, builtScreens());
  ASSERT_TRUE(describe(window).startsWith("&Fichier"));
  QString whileOpen;
  FakeUserInterface ui;
  ui.dialogRunner = [&](QDialog& dialog) {
    auto* page = qobject_cast<ConnectionDialog*>(&dialog);
    EXPECT_NE(page, nullptr);
    if (page == nullptr) return 0;
    auto* language = page->findChild<QComboBox*>("comboLanguage");
    language->setCurrentIndex(1);
    emit language->activated(1);
    whileOpen = describe(window);  // before the page closes
    return 0;
  };
  window.runCommand(kCmdConfiguration);
  EXPECT_TRUE(whileOpen.startsWith("&File[&Open,Open as &plot,&New[")) << whileOpen.toStdString();
  EXPECT_TRUE(describe(window).startsWith("&File[")) << describe(window).toStdString();
  EXPECT_EQ(context.settings.language(), kEnglish);
}

TEST(MainWindow, OpenDispatchesOnTheExactExtension) {
  const struct {
    const char* file;
    const char* screen;  // "" = nothing opens
  } cases[] = {
      {"a.mes", "measurement"},
      {"a.eta", "calibration"},
      {"a.rus", "factory"},
      {"a.nvd", "maker"},
      {"a.log", "loggerViewer"},
      {"a.ech", "echo"},
      {"a.csp540", "specialProbe"},
      {"a.ETA", ""},
      {"a.Mes", ""},
      {"a.txt", ""},
      {"a.eta.bak", ""},
      {"noextension", ""},
  };
  for (const auto& c : cases) {
    AppContext context;
    context.settings.LastPathName = "/start/";
    context.master.markIdentified();
    ScreenLog log;
    MainWindow window(context, log.all());
    FakeUserInterface ui;
    ui.files.push_back(QStringLiteral("/data/unit 3/") + c.file);
    window.runCommand(kCmdOpen);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileRequests[0].folder, "/start/");
    EXPECT_EQ(context.settings.LastPathName, "/data/unit 3/");
    EXPECT_FALSE(context.master.identified()) << c.file;
    if (*c.screen == '\0') {
      EXPECT_TRUE(log.opened.empty()) << c.file;
    } else {
      ASSERT_EQ(log.opened.size(), 1u) << c.file;
      EXPECT_EQ(log.opened[0], c.screen);
      EXPECT_TRUE(log.fromFile[0]) << c.file;
      EXPECT_EQ(log.paths[0], std::string("/data/unit 3/") + c.file);
    }
  }
}

TEST(MainWindow, OpenWithoutTheScreensOpensNothingAndCancelChangesNothing) {
  AppContext context;
  context.settings.LastPathName = "/start/";
  ScreenRegistry withoutEcho = builtScreens();
  screenForCommand(withoutEcho, kCmdEchoDisplay)->open = {};
  MainWindow window(context, withoutEcho);
  FakeUserInterface ui;
  ui.files = {QStringLiteral("/d/x.ech"), QString()};
  window.runCommand(kCmdOpen);  // no echo screen to open: nothing, no crash
  EXPECT_EQ(context.settings.LastPathName, "/d/");
  context.settings.LastPathName = "kept";
  window.runCommand(kCmdOpen);  // cancelled
  EXPECT_EQ(context.settings.LastPathName, "kept");
}

TEST(MainWindow, OpenFilterFollowsTheModes) {
  const struct {
    const char* commandLine;
    const char* first;
  } cases[] = {
      {"", "(*.mes *.eta *.log *.ech *.csp540)"},
      {"-q", "(*.mes *.eta *.log *.ech *.csp540 *.rus)"},
      {"-q -kRwT", "(*.mes *.eta *.log *.ech *.csp540 *.rus *.nvd)"},
  };
  for (const auto& c : cases) {
    AppContext context;
    context.modeFlags = ModeFlags::fromCommandLine(c.commandLine, false);
    MainWindow window(context, builtScreens());
    FakeUserInterface ui;
    window.runCommand(kCmdOpen);
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_TRUE(ui.fileRequests[0].filters.value(0).endsWith(c.first))
        << ui.fileRequests[0].filters.join(";;").toStdString();
    EXPECT_EQ(ui.fileRequests[0].filters.value(2), "Fichier Etalonnage (*.eta)");
  }
}

QByteArray fileBytes(const std::string& path) {
  QFile f(QString::fromStdString(path));
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray asBytes(const Bytes& b) {
  return QByteArray(reinterpret_cast<const char*>(b.data()), static_cast<qsizetype>(b.size()));
}

TEST(MainWindow, NewWritesDefaultsAtTheNextFreeName) {
  QTemporaryDir dir;
  ASSERT_TRUE(dir.isValid());
  const std::string folder = dir.path().toStdString() + "/";
  AppContext context;
  context.modeFlags = ModeFlags::fromCommandLine("-q -kRwT", false);
  context.settings.LastPathName = folder;
  context.settings.probes = builtinProbeCatalogue();
  context.settings.FSp1 = 3;
  ScreenLog log;
  MainWindow window(context, log.all());
  FakeUserInterface ui;

  const struct {
    int command;
    Language language;
    const char* name;
    Bytes expected;
    const char* screen;
  } cases[] = {
      {kCmdNewCalibration, kFrench, "Nouveau.eta",
       calibrationFileBytes(defaultCalibrationFile(context.settings)), "calibration"},
      {kCmdNewCalibration, kFrench, "Nouveau1.eta",
       calibrationFileBytes(defaultCalibrationFile(context.settings)), "calibration"},
      {kCmdNewCalibration, kEnglish, "New.eta",
       calibrationFileBytes(defaultCalibrationFile(context.settings)), "calibration"},
      {kCmdNewCalibration, kEnglish, "New1.eta",
       calibrationFileBytes(defaultCalibrationFile(context.settings)), "calibration"},
      {kCmdNewFactorySettings, kFrench, "Nouveau.rus", factoryFileBytes(defaultFactoryFile()),
       "factory"},
      {kCmdNewMakerSettings, kFrench, "Nouveau.nvd", makerFileBytes(defaultMakerFile()), "maker"},
      {kCmdNewSpecialProbe, kEnglish, "New.csp540", specialProbeFileBytes(defaultSpecialProbe()),
       "specialProbe"},
  };
  for (const auto& c : cases) {
    context.settings.Language = languageIndex(c.language);
    log = ScreenLog{};
    window.runCommand(c.command);
    const std::string path = folder + c.name;
    EXPECT_EQ(fileBytes(path), asBytes(c.expected)) << c.name;
    ASSERT_EQ(log.opened.size(), 1u) << c.name;
    EXPECT_EQ(log.opened[0], c.screen);
    EXPECT_EQ(log.paths[0], path);
    EXPECT_TRUE(log.fromFile[0]) << c.name;
  }
  EXPECT_TRUE(ui.messages.empty());

  // The layouts the unit's other tools read: sizes and the header words.
  const struct {
    const char* name;
    qsizetype size;
    QByteArray head;
  } layouts[] = {
      {"Nouveau.eta", 436, QByteArray("\x36\x01\x7c\x00", 4)},  // format 310, length 124
      {"Nouveau.rus", 70, QByteArray("\x44\x00", 2)},           // length 68
      {"Nouveau.nvd", 20, QByteArray()},
      {"New.csp540", 10,
       QByteArray("SP N\xb0"
                  "1",
                  6)},  // Windows-1252 name
  };
  for (const auto& l : layouts) {
    const QByteArray bytes = fileBytes(folder + l.name);
    EXPECT_EQ(bytes.size(), l.size) << l.name;
    EXPECT_TRUE(bytes.startsWith(l.head)) << l.name;
  }
}

TEST(MainWindow, NewIntoAFolderThatCannotTakeAFileSaysSoAndOpensNothing) {
  AppContext context;
  context.settings.LastPathName = "/proc/no such folder/";
  context.settings.Language = languageIndex(kEnglish);
  context.versions.InternalName = "flowdesk";
  ScreenLog log;
  MainWindow window(context, log.all());
  FakeUserInterface ui;
  window.runCommand(kCmdNewCalibration);
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_EQ(ui.messages[0].icon, UserInterface::Icon::kCritical);
  EXPECT_EQ(ui.messages[0].caption, "flowdesk");
  EXPECT_EQ(ui.messages[0].parent, &window);
  EXPECT_TRUE(ui.messages[0].text.startsWith("Cannot create the file /proc/no such folder/New.eta"))
      << ui.messages[0].text.toStdString();
  EXPECT_TRUE(log.opened.empty());
}

TEST(MainWindow, UnitPictureAndItsReset) {
  const struct {
    std::int16_t unit;
    int picture;
    std::int16_t kept;
  } cases[] = {{0, 135, 0}, {1, 135, 1}, {2, 134, 2}, {3, 135, 3}, {4, 134, 4},
               {5, 136, 5}, {6, 134, 6}, {7, 135, 0}, {9, 135, 0}, {-2, 135, 0}};
  for (const auto& c : cases) {
    AppContext context;
    context.settings.Unit = c.unit;
    MainWindow window(context, builtScreens());
    EXPECT_EQ(window.unitPicture(), c.picture) << c.unit;
    EXPECT_EQ(context.settings.Unit, c.kept) << c.unit;
    EXPECT_FALSE(window.findChild<QLabel*>("picture")->pixmap().isNull()) << c.unit;
  }
}

TEST(MainWindow, ScreensRefreshThePictureAndTheMenuOpensThemOnTheUnit) {
  AppContext context;
  ScreenRegistry screens = builtScreens();
  bool fromFile = true;
  screenForCommand(screens, kCmdMeasurement)->open =
      [&fromFile](AppContext& c, const ScreenSource& source, QWidget*) {
        c.settings.Unit = 5;
        fromFile = source.fromFile();
      };
  MainWindow window(context, screens);
  window.runCommand(kCmdMeasurement);
  EXPECT_FALSE(fromFile);
  EXPECT_EQ(window.unitPicture(), 136);
}

TEST(MainWindow, EchoDisplayAsksFirst) {
  for (const bool yes : {false, true}) {
    AppContext context;
    context.settings.Language = languageIndex(kEnglish);
    ScreenLog log;
    MainWindow window(context, log.all());
    QStringList texts;
    FakeUserInterface ui;
    ui.dialogRunner = [&](QDialog& d) {
      EXPECT_NE(qobject_cast<StopMeasurementDialog*>(&d), nullptr);
      for (const auto* l : d.findChildren<QLabel*>()) texts << l->text();
      for (const auto* b : d.findChildren<QPushButton*>()) texts << b->text();
      return yes ? QDialog::Accepted : QDialog::Rejected;
    };
    window.runCommand(kCmdEchoDisplay);
    EXPECT_EQ(texts,
              (QStringList{"ATTENTION", "Measurement stopped", "Are you sure ?", "&Yes", "&No"}));
    EXPECT_EQ(log.opened.size(), yes ? 1u : 0u);
    if (yes) {
      EXPECT_FALSE(log.fromFile[0]);
    }
  }
}

TEST(MainWindow, AboutBoxShowsTheVersionTexts) {
  for (const Language language : {kFrench, kEnglish}) {
    AppContext context;
    context.settings.Language = languageIndex(language);
    context.versions.InternalName = "flowdesk";
    context.versions.FileDescription = "Compagnon";
    context.versions.FileDescriptionEn = "Companion";
    context.versions.FileVersion = "1.2.3";
    context.versions.LegalCopyright = "(C) nous";
    context.versions.LegalCopyrightEn = "(C) us";
    context.versions.CompanyName = "Company";
    MainWindow window(context, builtScreens());
    QString title;
    QStringList labels;
    FakeUserInterface ui;
    ui.dialogRunner = [&](QDialog& d) {
      EXPECT_NE(qobject_cast<AboutDialog*>(&d), nullptr);
      title = d.windowTitle();
      for (const char* name :
           {"labelDescription", "labelVersion", "labelCopyright", "labelCompany"}) {
        labels << d.findChild<QLabel*>(name)->text();
      }
      return QDialog::Accepted;
    };
    window.runCommand(kCmdAbout);
    EXPECT_EQ(title, language == kFrench ? "A Propos de flowdesk" : "About flowdesk");
    EXPECT_EQ(labels, language == kFrench
                          ? (QStringList{"Compagnon", "1.2.3", "(C) nous", "Company"})
                          : (QStringList{"Companion", "1.2.3", "(C) us", "Company"}));
  }
}

TEST(MainWindow, MenuActionsRunTheirCommandsEvenWhenTheMenuIsRebuilt) {
  AppContext context;
  MainWindow window(context, builtScreens());
  std::vector<std::string> shown;
  FakeUserInterface ui;
  ui.dialogRunner = [&](QDialog& d) {
    shown.push_back(d.metaObject()->className());
    return 0;
  };
  // The connection page rebuilds the menu, deleting the action that ran it.
  for (const char* action : {"command32779", "command32782", "command32779"}) {
    QAction* a = window.findChild<QAction*>(action);
    ASSERT_NE(a, nullptr) << action;
    a->trigger();
    QCoreApplication::processEvents();
  }
  EXPECT_EQ(shown, (std::vector<std::string>{"flowdesk::ConnectionDialog", "flowdesk::AboutDialog",
                                             "flowdesk::ConnectionDialog"}));
}

TEST(MainWindow, ExitClosesTheWindowAndTitleIsTheProgramName) {
  AppContext context;
  context.versions.InternalName = "flowdesk";
  MainWindow window(context, builtScreens());
  EXPECT_EQ(window.windowTitle(), "flowdesk");
  window.show();
  window.runCommand(kCmdExit);
  EXPECT_FALSE(window.isVisible());
  EXPECT_EQ(window.result(), QDialog::Accepted);
}

}  // namespace
}  // namespace flowdesk
