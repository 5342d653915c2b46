// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/qt/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>
#include <vector>

#include "base/BilingualText.h"

namespace flowdesk {

namespace {

// The catalogues installed now; the application keeps pointers to them.
std::vector<std::unique_ptr<QTranslator>>& installed() {
  static std::vector<std::unique_ptr<QTranslator>> translators;
  return translators;
}

}  // namespace

QString qtTranslationsFolder() {
  return QLibraryInfo::path(QLibraryInfo::TranslationsPath);
}

bool installQtTranslations(Language language) {
  for (const std::unique_ptr<QTranslator>& t : installed()) {
    QCoreApplication::removeTranslator(t.get());
  }
  installed().clear();
  if (language == kEnglish) return true;
  bool any = false;
  // qtbase holds the dialogs' and message boxes' texts; qt_fr is the
  // umbrella catalogue that older installations have alone.
  for (const char* catalogue : {"qtbase", "qt"}) {
    auto translator = std::make_unique<QTranslator>();
    if (!translator->load(QLocale(QLocale::French), QString::fromLatin1(catalogue),
                          QStringLiteral("_"), qtTranslationsFolder())) {
      continue;
    }
    QCoreApplication::installTranslator(translator.get());
    installed().push_back(std::move(translator));
    any = true;
  }
  return any;
}

}  // namespace flowdesk
