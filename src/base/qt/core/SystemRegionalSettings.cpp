// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/qt/core/SystemRegionalSettings.h"

namespace flowdesk {

namespace {

// The text after the first field made of one of `fields` ("dd/MM/yyyy" with
// "dMy" gives "/"; "AP h:mm" with "hH" gives ":"), up to the next letter,
// quotes taken off.
QString separatorOf(const QString& format, const QString& fields, const QString& fallback) {
  qsizetype i = 0;
  while (i < format.size() && !fields.contains(format[i])) ++i;
  if (i == format.size()) return fallback;
  const QChar field = format[i];
  while (i < format.size() && format[i] == field) ++i;
  QString separator;
  while (i < format.size() && !format[i].isLetter()) separator += format[i++];
  separator.remove(QLatin1Char('\''));
  return separator.isEmpty() ? fallback : separator;
}

int dateOrderOf(const QString& format) {
  const qsizetype day = format.indexOf(QLatin1Char('d'));
  const qsizetype month = format.indexOf(QLatin1Char('M'));
  const qsizetype year = format.indexOf(QLatin1Char('y'));
  if (year >= 0 && (day < 0 || year < day) && (month < 0 || year < month)) {
    return RegionalSettings::kYearFirst;
  }
  if (month >= 0 && day >= 0 && month < day) return RegionalSettings::kMonthFirst;
  return RegionalSettings::kDayFirst;
}

}  // namespace

RegionalSettings regionalSettingsFrom(const QLocale& locale) {
  RegionalSettings r;
  const QString date = locale.dateFormat(QLocale::ShortFormat);
  const QString time = locale.timeFormat(QLocale::ShortFormat);
  r.dateOrder = dateOrderOf(date);
  // A date whose fields are parted by blanks alone (the C and POSIX
  // locales: "08 12 2026") takes "/", so spreadsheets read it as a date.
  QString dateSeparator = separatorOf(date, QStringLiteral("dMy"), QStringLiteral("/"));
  if (dateSeparator.trimmed().isEmpty()) dateSeparator = QStringLiteral("/");
  r.dateSeparator = dateSeparator.toStdString();
  r.timeSeparator = separatorOf(time, QStringLiteral("hH"), QStringLiteral(":")).toStdString();
  r.clock24 = !time.contains(QLatin1Char('a'), Qt::CaseInsensitive);
  if (!locale.amText().isEmpty()) r.amSymbol = locale.amText().toStdString();
  if (!locale.pmText().isEmpty()) r.pmSymbol = locale.pmText().toStdString();
  r.decimalSeparator = locale.decimalPoint().toStdString();
  return r;
}

RegionalSettings systemRegionalSettings() {
  // The default locale is the system's, unless a test has set another; it is
  // read each time so that such a test sees its own.
  return regionalSettingsFrom(QLocale());
}

}  // namespace flowdesk
