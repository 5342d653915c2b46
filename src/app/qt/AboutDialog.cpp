// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/AboutDialog.h"

#include "base/Texts.h"
#include "base/qt/Resources.h"
#include "ui_AboutDialog.h"

namespace flowdesk {

AboutDialog::AboutDialog(const VersionStrings& versions, Language language, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::AboutDialog>()) {
  ui_->setupUi(this);
  setWindowTitle(QString::fromUtf8(kTxtAboutTitle.text(language)) +
                 QString::fromStdString(versions.InternalName));
  const VersionStrings shown = versions.in(language);
  ui_->labelDescription->setText(QString::fromStdString(shown.FileDescription));
  ui_->labelVersion->setText(QString::fromStdString(shown.FileVersion));
  ui_->labelCopyright->setText(QString::fromStdString(shown.LegalCopyright));
  ui_->labelCompany->setText(QString::fromStdString(shown.CompanyName));
  ui_->icon->setPixmap(resourcePicture(QStringLiteral("icon130.svg")));
  connect(ui_->buttonOk, &QPushButton::clicked, this, &QDialog::accept);
  adjustSize();
  setFixedSize(size());
}

AboutDialog::~AboutDialog() = default;

}  // namespace flowdesk
