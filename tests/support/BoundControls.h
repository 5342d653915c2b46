// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Checks a screen's binding rows against its Qt Designer file: every object
// name a row binds must be a widget of the .ui, or the row would bind nothing
// at run time. Use it once per dialog:
//
//   EXPECT_TRUE(testing::boundControlsInUi(page.bindings(), "src/link/qt/ConnectionDialog.ui"));
#include <gtest/gtest.h>

#include <QFile>
#include <QSet>
#include <QString>
#include <QXmlStreamReader>
#include <string>
#include <vector>

#include "base/qt/Bindings.h"

namespace flowdesk::testing {

// The names of the widgets (and actions) a .ui file declares; false with a
// reason when the file cannot be read or is not well-formed.
inline ::testing::AssertionResult uiObjectNames(const QString& path, QSet<QString>& names) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    return ::testing::AssertionFailure() << "cannot read " << path.toStdString();
  }
  QXmlStreamReader xml(&file);
  while (!xml.atEnd()) {
    if (xml.readNext() != QXmlStreamReader::StartElement) continue;
    if (xml.name() == QLatin1String("widget") || xml.name() == QLatin1String("action")) {
      const QString name = xml.attributes().value(QLatin1String("name")).toString();
      if (!name.isEmpty()) names.insert(name);
    }
  }
  if (xml.hasError()) {
    return ::testing::AssertionFailure()
           << path.toStdString() << ": " << xml.errorString().toStdString();
  }
  return ::testing::AssertionSuccess();
}

// `uiFile` is relative to the source tree, e.g. "src/link/qt/ConnectionDialog.ui".
inline ::testing::AssertionResult boundControlsInUi(const std::vector<std::string>& bound,
                                                    const char* uiFile) {
  const QString path = QStringLiteral(FLOWDESK_SOURCE_DIR "/") + QString::fromUtf8(uiFile);
  QSet<QString> names;
  if (::testing::AssertionResult read = uiObjectNames(path, names); !read) return read;
  std::string missing;
  for (const std::string& name : bound) {
    if (!names.contains(QString::fromStdString(name))) missing += " " + name;
  }
  if (!missing.empty()) {
    return ::testing::AssertionFailure() << uiFile << " has no object named:" << missing;
  }
  return ::testing::AssertionSuccess() << bound.size() << " names found in " << uiFile;
}

inline ::testing::AssertionResult boundControlsInUi(const BindingRows& rows, const char* uiFile) {
  return boundControlsInUi(boundControls(rows), uiFile);
}

}  // namespace flowdesk::testing
