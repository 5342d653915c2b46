// SPDX-License-Identifier: GPL-3.0-or-later
#include "config/qt/MakerSettingsDialog.h"

#include <array>

#include "base/Texts.h"
#include "config/FactoryFields.h"
#include "config/qt/CalibrationPage.h"
#include "link/AppContext.h"
#include "ui_MakerSettingsDialog.h"

namespace flowdesk {

MakerSettingsDialog::MakerSettingsDialog(AppContext& context, QWidget* parent)
    : SettingsBlockDialog(context, std::make_unique<MakerSession>(context),
                          {kTxtNorvadineSettings, "NORVADINE Settings", FileKind::kMakerSettings,
                           kTxtUploadNorvadineSettings},
                          parent),
      ui_(std::make_unique<Ui::MakerSettingsDialog>()) {
  ui_->setupUi(this);
  setObjectName(QStringLiteral("CReglageNorvadineDlg"));
  DeviceImage& image = context.image;
  bindControls(
      {
          .labels = {{"labelSerial", kTxtSerialNumber},
                     {"label4mA", kTxtPoints4mA},
                     {"label20mA", kTxtPoints20mA},
                     {"labelDevice", kTxtDevice}},
          .fields = fieldRows(makerEdits(image)),
          .combos = comboRows(makerLists(image)),
      },
      ui_->labelCaption);
}

MakerSettingsDialog::~MakerSettingsDialog() = default;

void MakerSettingsDialog::applyRules() {
  // Shown either way, so the operator sees what the unit is; sent as shown.
  const bool editable = session().variantEditable();
  ui_->labelDevice->setEnabled(editable);
  ui_->comboDevice->setEnabled(editable);
}

}  // namespace flowdesk
