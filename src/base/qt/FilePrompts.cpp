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

bool replaceAnyway(QWidget* parent, const std::string& path, int language) {
  const QString text =
      QString::fromUtf8(kTxtReplaceFile.text(language)).arg(QString::fromStdString(path));
  return userInterface().question(parent, QString(), text);
}

FileDialogRequest requestFor(FileDialogRequest::Mode mode, const FilePromptState& state,
                             const BilingualText& description, std::string_view extension,
                             int language) {
  FileDialogRequest request;
  request.mode = mode;
  request.folder = QString::fromStdString(state.lastPathName);
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

bool saveFilePrompt(QWidget* parent, FilePromptState state, const BilingualText& description,
                    std::string_view extension, int language) {
  const QString chosen = userInterface().chooseFile(
      parent, requestFor(FileDialogRequest::Mode::Save, state, description, extension, language));
  if (chosen.isEmpty()) return false;
  const ForcedSavePath forced = forcedSavePath(chosen.toStdString(), extension);
  if (forced.replacesUnasked && !replaceAnyway(parent, forced.path, language)) return false;
  state.currentFilePath = forced.path;
  state.lastPathName = lastPathName(forced.path);
  return true;
}

bool openFilePrompt(QWidget* parent, FilePromptState state, const BilingualText& description,
                    std::string_view extension, int language) {
  const QString chosen = userInterface().chooseFile(
      parent, requestFor(FileDialogRequest::Mode::Open, state, description, extension, language));
  if (chosen.isEmpty()) return false;
  state.currentFilePath = forceExtension(chosen.toStdString(), extension);
  state.lastPathName = lastPathName(state.currentFilePath);
  return true;
}

}  // namespace flowdesk
