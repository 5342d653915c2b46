// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The number edits of a settings page checked as an operator on any desktop
// would use them: values that hold more than their edit shows, the regional
// separator of four desktops, focus leaving every edit, one value typed.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>
#include <QLocale>
#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/qt/Bindings.h"

namespace flowdesk::testing {

// The desktops a page is tried on: their Qt locale, and the C library's when
// the machine has it (its formatter is what wrote commas that read back as
// points).
inline const std::vector<const char*> kDesktopLocales = {"fr_FR", "de_DE", "en_US", "C"};

class DesktopLocale {
 public:
  explicit DesktopLocale(const char* name) : previous_(std::setlocale(LC_NUMERIC, nullptr)) {
    QLocale::setDefault(QLocale(QString::fromLatin1(name)));
    const std::string full = std::string(name) + ".UTF-8";
    if (std::setlocale(LC_NUMERIC, full.c_str()) == nullptr) std::setlocale(LC_NUMERIC, name);
  }
  ~DesktopLocale() {
    QLocale::setDefault(qtPrevious_);
    std::setlocale(LC_NUMERIC, previous_.c_str());
  }
  DesktopLocale(const DesktopLocale&) = delete;
  DesktopLocale& operator=(const DesktopLocale&) = delete;
  static QString separator() { return QLocale().decimalPoint(); }

 private:
  std::string previous_;
  QLocale qtPrevious_;
};

// Every bound number given a value inside its range that its format cannot
// show whole (12.3456 in a "%.1f" edit, 7.25 in a "%.0f" one).
inline void setBetweenShownValues(const std::vector<FieldBinding>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const FieldBinding& f = fields[i];
    const double span = f.max - f.min;
    double v = f.min + span * (0.3 + 0.011 * static_cast<double>(i % 7)) + 0.0123;
    if (v > f.max) v = f.min;
    *f.variable = static_cast<float>(v);
  }
}

inline std::vector<std::uint32_t> fieldBits(const std::vector<FieldBinding>& fields) {
  std::vector<std::uint32_t> bits;
  for (const FieldBinding& f : fields) bits.push_back(std::bit_cast<std::uint32_t>(*f.variable));
  return bits;
}

inline void leaveEdit(QLineEdit* edit) {
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(edit, &out);
}

// Focus leaves every visible edit of the page in turn, changing nothing.
inline void tabThrough(QWidget& page, const std::vector<FieldBinding>& fields) {
  for (const FieldBinding& f : fields) {
    auto* edit = page.findChild<QLineEdit*>(QString::fromStdString(f.control));
    if (edit != nullptr && edit->isEnabled()) leaveEdit(edit);
  }
}

// The first decimal edit whose range holds 12.5.
inline std::optional<std::size_t> decimalFieldFor125(const std::vector<FieldBinding>& fields) {
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::string format = fields[i].format ? fields[i].format : "";
    const bool decimals = format.find(".1f") != std::string::npos ||
                          format.find(".2f") != std::string::npos ||
                          format.find(".3f") != std::string::npos;
    if (decimals && fields[i].min <= 12.5 && fields[i].max >= 12.5) return i;
  }
  return std::nullopt;
}

// On each desktop: tabbing through the page changes no byte of any field;
// "12,5" (or "12.5") typed in one decimal edit stores 12.5 there and nothing
// elsewhere. `page` shows the page anew on the image its rows point into.
inline void expectNumbersReadBackAsShown(const char* pageName, QWidget& page,
                                         const std::vector<FieldBinding>& fields) {
  ASSERT_FALSE(fields.empty()) << pageName;
  for (const char* locale : kDesktopLocales) {
    SCOPED_TRACE(std::string(pageName) + " on " + locale);
    const DesktopLocale desktop(locale);
    setBetweenShownValues(fields);
    showNumbers(page, fields);
    const std::vector<std::uint32_t> before = fieldBits(fields);
    tabThrough(page, fields);
    tabThrough(page, fields);
    const std::vector<std::uint32_t> after = fieldBits(fields);
    for (std::size_t i = 0; i < fields.size(); ++i) {
      EXPECT_EQ(after[i], before[i])
          << fields[i].control << " was " << std::bit_cast<float>(before[i]) << ", now "
          << *fields[i].variable;
    }
    const std::optional<std::size_t> typed = decimalFieldFor125(fields);
    if (!typed) continue;
    for (const QString& point :
         {DesktopLocale::separator(), QStringLiteral(","), QStringLiteral(".")}) {
      auto* edit = page.findChild<QLineEdit*>(QString::fromStdString(fields[*typed].control));
      ASSERT_NE(edit, nullptr) << fields[*typed].control;
      const std::vector<std::uint32_t> others = fieldBits(fields);
      edit->setText(QStringLiteral("12") + point + QStringLiteral("5"));
      leaveEdit(edit);
      EXPECT_EQ(*fields[*typed].variable, 12.5f)
          << fields[*typed].control << " typed with " << point.toStdString();
      EXPECT_TRUE(edit->text().contains(DesktopLocale::separator())) << edit->text().toStdString();
      const std::vector<std::uint32_t> now = fieldBits(fields);
      for (std::size_t i = 0; i < fields.size(); ++i) {
        if (i != *typed) {
          EXPECT_EQ(now[i], others[i]) << fields[i].control;
        }
      }
    }
  }
}

}  // namespace flowdesk::testing
