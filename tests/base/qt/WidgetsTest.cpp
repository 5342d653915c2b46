#include <gtest/gtest.h>

#include <QApplication>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QLabel>
#include <QLocale>

#include "base/qt/PictureButton.h"
#include "base/qt/ProgressWindow.h"
#include "base/qt/QtPrint.h"
#include "base/qt/QtTranslations.h"
#include "base/BilingualText.h"
#include "base/qt/Resources.h"
#include "base/qt/core/SystemRegionalSettings.h"

namespace flowdesk {
namespace {

constexpr PictureRole kRoles[] = {
    PictureRole::Print,   PictureRole::SaveDisk,  PictureRole::ArretDisk, PictureRole::Tableur,
    PictureRole::Compare, PictureRole::Transfert, PictureRole::Home,      PictureRole::Pgd,
    PictureRole::Pgu,     PictureRole::End};

TEST(QtTranslations, QtsOwnButtonsFollowTheProgramsLanguage) {
  const struct {
    int language;
    QString yes, no, cancel;
  } cases[] = {{kFrench, "&Oui", "&Non", "Annuler"},
               {kEnglish, "&Yes", "&No", "Cancel"},
               {kFrench, "&Oui", "&Non", "Annuler"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.language);
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
    PictureButton button(role, ShortcutContext::Viewer, nullptr);
    EXPECT_TRUE(button.hasArtwork()) << pictureCaption(role);
    EXPECT_EQ(button.text(), pictureCaption(role));
    EXPECT_EQ(button.objectName(), pictureCaption(role));
  }
  // a caption without artwork still makes a usable (text) button
  PictureButton unknown(QStringLiteral("NOPICTURE"), nullptr);
  EXPECT_FALSE(unknown.hasArtwork());
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
      {PictureRole::Print, ShortcutContext::Viewer, "Ctrl+P"},
      {PictureRole::SaveDisk, ShortcutContext::Viewer, "Ctrl+S"},
      {PictureRole::Tableur, ShortcutContext::Viewer, "Ctrl+T"},
      {PictureRole::Tableur, ShortcutContext::Configuration, ""},
      {PictureRole::Transfert, ShortcutContext::Configuration, "Ctrl+T"},
      {PictureRole::Transfert, ShortcutContext::Viewer, ""},
      {PictureRole::Home, ShortcutContext::Viewer, "Home"},
      {PictureRole::End, ShortcutContext::Viewer, "End"},
      {PictureRole::Pgd, ShortcutContext::Viewer, "PgDown"},
      {PictureRole::Pgu, ShortcutContext::Viewer, "PgUp"},
      {PictureRole::ArretDisk, ShortcutContext::Viewer, ""},
      {PictureRole::Compare, ShortcutContext::Configuration, ""},
  };
  for (const auto& c : cases) {
    PictureButton button(c.role, c.context, nullptr);
    EXPECT_EQ(button.shortcut().toString(), c.keys) << pictureCaption(c.role);
  }
}

TEST(ProgressWindow, OpensInTheLanguageWithAnEmptyInfoLineAndStaysOnTop) {
  const struct {
    int language;
    const char* wait;
  } cases[] = {{0, "Veuillez patienter"}, {1, "Please wait"}};
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
