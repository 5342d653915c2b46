// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <memory>

#include "base/BilingualText.h"
#include "base/VersionStrings.h"

namespace Ui {
class AboutDialog;
}

namespace flowdesk {

// The About box: the program's version texts under the title "About " and
// the program's name.
// The unit's documentation calls it CAboutDlg, the name its .ui keeps for the
// window.
class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  AboutDialog(const VersionStrings& versions, Language language, QWidget* parent = nullptr);
  ~AboutDialog() override;

 private:
  std::unique_ptr<Ui::AboutDialog> ui_;
};

}  // namespace flowdesk
