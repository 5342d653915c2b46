// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/qt/UserInterface.h"

#include <QDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QMessageBox>
#include <QSortFilterProxyModel>

#include "base/qt/ProgressWindow.h"

namespace flowdesk {

namespace {

// Programs on Linux have no extension to filter on: the execute permission
// tells them apart.
class ExecutableFilter : public QSortFilterProxyModel {
 public:
  using QSortFilterProxyModel::QSortFilterProxyModel;

 protected:
  bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (files == nullptr) return true;
    const QFileInfo info = files->fileInfo(files->index(row, 0, parent));
    return info.isDir() || info.isExecutable();
  }
};

QString chooseFileWithDialog(QWidget* parent, const FileDialogRequest& request) {
  QFileDialog dialog(parent, QString(), request.folder);
  dialog.setNameFilters(request.filters);
  if (request.executablesOnly) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setProxyModel(new ExecutableFilter(&dialog));
  }
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (request.mode == FileDialogRequest::Mode::kSave) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
  }
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
  return dialog.selectedFiles().constFirst();
}

class WindowProgress : public ProgressDisplay {
 public:
  WindowProgress(QWidget* parent, Language language) : window_(language, parent) {}
  void setInfo(const QString& text) override { window_.setInfo(text); }

 private:
  ProgressWindow window_;
};

QMessageBox::Icon boxIcon(UserInterface::Icon icon) {
  switch (icon) {
    case UserInterface::Icon::kInformation:
      return QMessageBox::Information;
    case UserInterface::Icon::kWarning:
      return QMessageBox::Warning;
    case UserInterface::Icon::kQuestion:
      return QMessageBox::Question;
    case UserInterface::Icon::kCritical:
      break;
  }
  return QMessageBox::Critical;
}

// Real windows, modal over the screen that asks.
class WindowsInterface : public UserInterface {
 public:
  void message(QWidget* parent, Icon icon, const QString& caption, const QString& text) override {
    QMessageBox box(boxIcon(icon), caption, text, QMessageBox::Ok, parent);
    box.exec();
  }
  bool question(QWidget* parent, const QString& caption, const QString& text) override {
    return QMessageBox::question(parent, caption, text, QMessageBox::Yes | QMessageBox::No,
                                 QMessageBox::No) == QMessageBox::Yes;
  }
  QString chooseFile(QWidget* parent, const FileDialogRequest& request) override {
    return chooseFileWithDialog(parent, request);
  }
  std::unique_ptr<ProgressDisplay> progress(QWidget* parent, Language language) override {
    return std::make_unique<WindowProgress>(parent, language);
  }
  int runDialog(QDialog& dialog) override { return dialog.exec(); }
};

WindowsInterface& windows() {
  static WindowsInterface instance;
  return instance;
}

UserInterface* current = nullptr;

}  // namespace

UserInterface& userInterface() {
  return current != nullptr ? *current : windows();
}

UserInterface* setUserInterface(UserInterface* replacement) {
  UserInterface* previous = current;
  current = replacement;
  return previous;
}

}  // namespace flowdesk
