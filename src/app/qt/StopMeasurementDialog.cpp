// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/StopMeasurementDialog.h"

#include "base/Texts.h"
#include "ui_StopMeasurementDialog.h"

namespace flowdesk {

StopMeasurementDialog::StopMeasurementDialog(Language language, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::StopMeasurementDialog>()) {
  ui_->setupUi(this);
  const auto tr = [language](const BilingualText& t) {
    return QString::fromUtf8(t.text(language));
  };
  setWindowTitle(tr(kTxtAttention));
  ui_->labelAttention->setText(tr(kTxtAttention));
  ui_->labelStopped->setText(tr(kTxtMeasurementStopped));
  ui_->labelSure->setText(tr(kTxtAreYouSure));
  ui_->buttonYes->setText(tr(kTxtButtonYes));
  ui_->buttonNo->setText(tr(kTxtButtonNo));
  connect(ui_->buttonYes, &QPushButton::clicked, this, &QDialog::accept);
  connect(ui_->buttonNo, &QPushButton::clicked, this, &QDialog::reject);
  adjustSize();
  setFixedSize(size());
}

StopMeasurementDialog::~StopMeasurementDialog() = default;

}  // namespace flowdesk
