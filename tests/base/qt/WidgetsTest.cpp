// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QXmlStreamReader>
#include <map>

#include "base/BilingualText.h"
#include "base/qt/PictureButton.h"
#include "base/qt/ProgressWindow.h"
#include "base/qt/QtPrint.h"
#include "base/qt/QtTranslations.h"
#include "base/qt/Resources.h"
#include "base/qt/core/SystemRegionalSettings.h"

namespace flowdesk {
namespace {

constexpr PictureRole kRoles[] = {
    PictureRole::kPrint,   PictureRole::kSaveDisk,  PictureRole::kArretDisk, PictureRole::kTableur,
    PictureRole::kCompare, PictureRole::kTransfert, PictureRole::kHome,      PictureRole::kPgd,
    PictureRole::kPgu,     PictureRole::kEnd,       PictureRole::kGraph};

TEST(QtTranslations, QtsOwnButtonsFollowTheProgramsLanguage) {
  const struct {
    Language language;
    QString yes, no, cancel;
  } cases[] = {{kFrench, "&Oui", "&Non", "Annuler"},
               {kEnglish, "&Yes", "&No", "Cancel"},
               {kFrench, "&Oui", "&Non", "Annuler"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(languageIndex(c.language));
    EXPECT_TRUE(installQtTranslations(c.language)) << qtTranslationsFolder().toStdString();
    QDialogButtonBox box(QDialogButtonBox::Yes | QDialogButtonBox::No | QDialogButtonBox::Cancel);
    EXPECT_EQ(box.button(QDialogButtonBox::Yes)->text(), c.yes);
    EXPECT_EQ(box.button(QDialogButtonBox::No)->text(), c.no);
    EXPECT_EQ(box.button(QDialogButtonBox::Cancel)->text(), c.cancel);
  }
  installQtTranslations(kEnglish);
}

TEST(PictureButton, EveryCaptionHasItsThreePictures) {
  for (const PictureRole role : kRoles) {
    PictureButton button(role, ShortcutContext::kViewer, nullptr);
    EXPECT_TRUE(button.hasArtwork()) << pictureCaption(role);
    EXPECT_EQ(button.text(), pictureCaption(role));
    EXPECT_EQ(button.objectName(), pictureRole(role).control);
  }
  // a caption without artwork still makes a usable (text) button
  PictureButton unknown(QStringLiteral("NOPICTURE"), nullptr);
  EXPECT_FALSE(unknown.hasArtwork());
}

// A screen finds the button of a role by the name the roles table gives it:
// every picture button of every .ui is named as its caption's role says.
TEST(PictureButton, EveryUiNamesItsPictureButtonsAsTheirRoles) {
  std::map<QString, QString> controlOf;  // caption -> object name
  for (const PictureRole role : kRoles) {
    controlOf[pictureCaption(role)] = QString::fromLatin1(pictureRole(role).control);
  }
  int buttons = 0;
  QDirIterator files(QStringLiteral(FLOWDESK_SOURCE_DIR "/src"), {QStringLiteral("*.ui")},
                     QDir::Files, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    const QString path = files.next();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << path.toStdString();
    QXmlStreamReader xml(&file);
    QString name;  // of the picture button whose caption comes next
    while (!xml.atEnd()) {
      if (xml.readNext() != QXmlStreamReader::StartElement) continue;
      if (xml.name() == QLatin1String("widget")) {
        const bool picture =
            xml.attributes().value("class") == QLatin1String("flowdesk::PictureButton");
        name = picture ? xml.attributes().value("name").toString() : QString();
      } else if (xml.name() == QLatin1String("string") && !name.isEmpty()) {
        const QString caption = xml.readElementText();
        EXPECT_EQ(controlOf[caption], name) << path.toStdString() << ": " << caption.toStdString();
        ++buttons;
        name.clear();
      }
    }
  }
  EXPECT_GE(buttons, 40) << "the .ui files were not found";
}

TEST(PictureButton, AHiddenButtonKeepsItsRoom) {
  QWidget window;
  auto* row = new QHBoxLayout(&window);
  const PictureRole roles[] = {PictureRole::kHome, PictureRole::kPgu, PictureRole::kPgd};
  PictureButton* buttons[3];
  for (int i = 0; i < 3; ++i) {
    buttons[i] = new PictureButton(roles[i], ShortcutContext::kViewer, &window);
    row->addWidget(buttons[i]);
  }
  row->addStretch();
  window.resize(800, 100);
  window.show();
  QCoreApplication::processEvents();
  const int x = buttons[2]->x();
  buttons[0]->hide();
  buttons[1]->hide();
  window.layout()->activate();
  EXPECT_EQ(buttons[2]->x(), x);
}

TEST(ProgressWindow, StandsBesideTheScreenThatOpenedItInsideTheDesktop) {
  const QRect desktop(0, 0, 1280, 800);
  const QSize window(200, 100);
  const struct {
    const char* what;
    QRect opener;
    QPoint at;
  } cases[] = {
      {"room on the right", {100, 100, 600, 400}, {708, 100}},
      {"against the right edge: the left", {600, 100, 600, 400}, {392, 100}},
      {"as wide as the desktop: below", {0, 50, 1280, 500}, {0, 558}},
      {"wide and low: above", {0, 300, 1280, 500}, {0, 192}},
      {"low on the right: pulled up inside", {100, 750, 600, 40}, {708, 700}},
      {"the whole desktop: the far corner", {0, 0, 1280, 800}, {0, 0}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const QPoint at = progressPlacement(c.opener, window, desktop);
    EXPECT_EQ(at, c.at);
    EXPECT_TRUE(desktop.contains(QRect(at, window)));
  }
}

TEST(PictureButton, PictureFollowsTheButtonState) {
  QWidget window;
  PictureButton button(QStringLiteral("PRINT"), &window);
  PictureButton other(QStringLiteral("END"), &window);
  window.show();
  EXPECT_EQ(button.pictureState(), 'U');
  button.setDown(true);
  EXPECT_EQ(button.pictureState(), 'D');
  button.setDown(false);
  QApplication::setActiveWindow(&window);
  button.setFocus();
  ASSERT_TRUE(button.hasFocus());
  EXPECT_EQ(button.pictureState(), 'F');
  other.setFocus();
  EXPECT_EQ(button.pictureState(), 'U');
}

TEST(PictureButton, ShortcutsOfTheConventions) {
  const struct {
    PictureRole role;
    ShortcutContext context;
    const char* keys;
  } cases[] = {
      {PictureRole::kPrint, ShortcutContext::kViewer, "Ctrl+P"},
      {PictureRole::kSaveDisk, ShortcutContext::kViewer, "Ctrl+S"},
      {PictureRole::kTableur, ShortcutContext::kViewer, "Ctrl+T"},
      {PictureRole::kTableur, ShortcutContext::kConfiguration, ""},
      {PictureRole::kTransfert, ShortcutContext::kConfiguration, "Ctrl+T"},
      {PictureRole::kTransfert, ShortcutContext::kViewer, ""},
      {PictureRole::kHome, ShortcutContext::kViewer, "Home"},
      {PictureRole::kEnd, ShortcutContext::kViewer, "End"},
      {PictureRole::kPgd, ShortcutContext::kViewer, "PgDown"},
      {PictureRole::kPgu, ShortcutContext::kViewer, "PgUp"},
      {PictureRole::kArretDisk, ShortcutContext::kViewer, ""},
      {PictureRole::kCompare, ShortcutContext::kConfiguration, ""},
      {PictureRole::kGraph, ShortcutContext::kViewer, "Ctrl+G"},
  };
  for (const auto& c : cases) {
    PictureButton button(c.role, c.context, nullptr);
    EXPECT_EQ(button.shortcut().toString(), c.keys) << pictureCaption(c.role);
  }
}

TEST(ProgressWindow, OpensInTheLanguageWithAnEmptyInfoLineAndStaysOnTop) {
  const struct {
    Language language;
    const char* wait;
  } cases[] = {{kFrench, "Veuillez patienter"}, {kEnglish, "Please wait"}};
  for (const auto& c : cases) {
    ProgressWindow progress(c.language);
    EXPECT_TRUE(progress.isVisible());
    EXPECT_EQ(progress.pleaseWaitText(), c.wait);
    EXPECT_TRUE(progress.info().isEmpty());
    EXPECT_TRUE(progress.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_FALSE(progress.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    progress.setInfo(QStringLiteral("Com2  9600"));
    EXPECT_EQ(progress.info(), "Com2  9600");
    EXPECT_EQ(progress.findChild<QLabel*>("labelInfo")->font().pixelSize(), 10);
  }
}

TEST(Resources, UnitPicturesAndIconAreThere) {
  for (const char* name : {"unit134.svg", "unit135.svg", "unit136.svg", "icon130.svg"}) {
    EXPECT_FALSE(resourcePicture(QString::fromLatin1(name)).isNull()) << name;
  }
}

TEST(RegionalSettings, ReadFromTheLocale) {
  const struct {
    const char* locale;
    int order;
    const char* date;
    const char* time;
    bool clock24;
    const char* decimal;
    const char* printed;  // 5 March 2004, 13:07:09
  } cases[] = {
      {"fr_FR", RegionalSettings::kDayFirst, "/", ":", true, ",", "05/03/2004 13:07:09"},
      {"en_US", RegionalSettings::kMonthFirst, "/", ":", false, ".", "03/05/2004 01:07:09 PM"},
      {"de_DE", RegionalSettings::kDayFirst, ".", ":", true, ",", "05.03.2004 13:07:09"},
      {"ja_JP", RegionalSettings::kYearFirst, "/", ":", true, ".", "2004/03/05 13:07:09"},
      // the clock comes first in this format: the separator is still found
      {"ko_KR", RegionalSettings::kYearFirst, ". ", ":", false, ".", nullptr},
      // the C locale's blank would not read back as a date in a spreadsheet
      {"C", RegionalSettings::kDayFirst, "/", ":", true, ".", "05/03/2004 13:07:09"},
  };
  for (const auto& c : cases) {
    const RegionalSettings r = regionalSettingsFrom(QLocale(QString::fromLatin1(c.locale)));
    EXPECT_EQ(r.dateOrder, c.order) << c.locale;
    EXPECT_EQ(r.dateSeparator, c.date) << c.locale;
    EXPECT_EQ(r.timeSeparator, c.time) << c.locale;
    EXPECT_EQ(r.clock24, c.clock24) << c.locale;
    EXPECT_EQ(r.decimalSeparator, c.decimal) << c.locale;
    if (c.printed != nullptr) {
      EXPECT_EQ(formatDateTime(5, 3, 2004, 13, 7, 9, r), c.printed) << c.locale;
    }
  }
}

}  // namespace
}  // namespace flowdesk
