// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/qt/ComparisonDisplay.h"

#include <QString>

#include "base/qt/ProgramLauncher.h"
#include "base/qt/UserInterface.h"
#include "link/AppContext.h"

namespace flowdesk {

void showComparison(QWidget* parent, AppContext& context, const ComparisonOutcome& outcome,
                    const BilingualText& caption) {
  const Language language = context.settings.language();
  const QString title = QString::fromUtf8(caption.text(language));
  const QString text = QString::fromStdString(comparisonText(outcome, language));
  if (!outcome.ok) {
    userInterface().message(parent, UserInterface::Icon::kCritical, title, text);
    return;
  }
  context.CurrentFilePath = outcome.reportPath;
  // A short file's missing fields were compared as their defaults: said
  // before the report opens, which could otherwise pass for a clean one.
  const bool warned = outcome.shortFile();
  if (warned) userInterface().message(parent, UserInterface::Icon::kWarning, title, text);
  const std::string& program = context.settings.LastFileSpName;
  QString error;
  if (!program.empty() && startProgram(QString::fromStdString(program),
                                       QString::fromStdString(outcome.reportPath), &error)) {
    return;
  }
  if (warned && error.isEmpty()) return;
  userInterface().message(parent, UserInterface::Icon::kQuestion, title,
                          error.isEmpty() ? text : text + QLatin1Char('\n') + error);
}

}  // namespace flowdesk
