// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/qt/core/QtSettingsStore.h"

#include <QSettings>
#include <QStringList>
#include <QVariant>
#include <limits>

namespace flowdesk {

namespace {

QString valuePath(const std::string& key, const std::string& name) {
  const QString value = QString::fromStdString(name);
  if (key.empty()) return value;
  return QString::fromStdString(key) + QLatin1Char('/') + value;
}

}  // namespace

QtSettingsStore::QtSettingsStore(const QString& applicationName)
    : settings_(std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                            QStringLiteral("flowdesk"), applicationName)) {}

QtSettingsStore::~QtSettingsStore() = default;

std::string QtSettingsStore::readText(const std::string& key, const std::string& name,
                                      const std::string& defaultValue) {
  const QVariant value = settings_->value(valuePath(key, name));
  if (!value.isValid()) return defaultValue;
  // An unquoted comma in a hand-edited file makes Qt read a list; the text
  // the operator meant is the items with their separators.
  if (value.typeId() == QMetaType::QStringList) {
    return value.toStringList().join(QStringLiteral(", ")).toStdString();
  }
  if (!value.canConvert<QString>()) return defaultValue;
  return value.toString().toStdString();
}

std::int32_t QtSettingsStore::readNumber(const std::string& key, const std::string& name,
                                         std::int32_t defaultValue) {
  const QVariant value = settings_->value(valuePath(key, name));
  if (!value.isValid() || !value.canConvert<QString>()) return defaultValue;
  bool ok = false;
  const qlonglong number = value.toString().trimmed().toLongLong(&ok, 10);
  if (!ok || number < std::numeric_limits<std::int32_t>::min() ||
      number > static_cast<qlonglong>(std::numeric_limits<std::uint32_t>::max())) {
    return defaultValue;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(number));
}

void QtSettingsStore::writeText(const std::string& key, const std::string& name,
                                const std::string& value) {
  settings_->setValue(valuePath(key, name), QString::fromStdString(value));
}

void QtSettingsStore::writeNumber(const std::string& key, const std::string& name,
                                  std::int32_t value) {
  settings_->setValue(valuePath(key, name), static_cast<int>(value));
}

bool QtSettingsStore::sync() {
  settings_->sync();
  return settings_->status() == QSettings::NoError;
}

QString QtSettingsStore::fileName() const {
  return settings_->fileName();
}

}  // namespace flowdesk
