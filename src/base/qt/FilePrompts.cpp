// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/qt/FilePrompts.h"

#include <QFileInfo>

#include "base/FileFilters.h"
#include "base/FileNames.h"

namespace flowdesk {

namespace {

// The question of the second overwrite check, which has no text of its own in
// the program's tables.
constexpr BilingualText kTxtReplaceFile{"Le fichier %1 existe déjà.\nVoulez-vous le remplacer ?",
                                        "The file %1 already exists.\nDo you want to replace it?"};

bool replaceAnyway(QWidget* parent, const std::string& path, Language language) {
  const QString text =
      QString::fromUtf8(kTxtReplaceFile.text(language)).arg(QString::fromStdString(path));
  return userInterface().question(parent, QString(), text);
}

FileDialogRequest requestFor(FileDialogRequest::Mode mode, const std::string& lastPath,
                             const BilingualText& description, std::string_view extension,
                             Language language) {
  FileDialogRequest request;
  request.mode = mode;
  request.folder = QString::fromStdString(lastPath);
  for (const std::string& f : qtFilters(filterText(description.text(language), extension))) {
    request.filters << QString::fromStdString(f);
  }
  return request;
}

}  // namespace

ForcedSavePath forcedSavePath(const std::string& chosen, std::string_view extension) {
  ForcedSavePath out;
  out.path = forceExtension(chosen, extension);
  // The dialog asked about `chosen` only; a different final name that exists
  // would be replaced without anyone having agreed.
  out.replacesUnasked = out.path != chosen && QFileInfo::exists(QString::fromStdString(out.path));
  return out;
}

std::optional<std::string> askSaveFile(QWidget* parent, std::string& lastPath,
                                       const BilingualText& description, std::string_view extension,
                                       Language language) {
  const QString chosen = userInterface().chooseFile(
      parent,
      requestFor(FileDialogRequest::Mode::kSave, lastPath, description, extension, language));
  if (chosen.isEmpty()) return std::nullopt;
  const ForcedSavePath forced = forcedSavePath(chosen.toStdString(), extension);
  if (forced.replacesUnasked && !replaceAnyway(parent, forced.path, language)) return std::nullopt;
  lastPath = lastPathName(forced.path);
  return forced.path;
}

std::optional<std::string> askOpenFile(QWidget* parent, std::string& lastPath,
                                       const BilingualText& description, std::string_view extension,
                                       Language language) {
  const QString chosen = userInterface().chooseFile(
      parent,
      requestFor(FileDialogRequest::Mode::kOpen, lastPath, description, extension, language));
  if (chosen.isEmpty()) return std::nullopt;
  std::string path = forceExtension(chosen.toStdString(), extension);
  lastPath = lastPathName(path);
  return path;
}

}  // namespace flowdesk
