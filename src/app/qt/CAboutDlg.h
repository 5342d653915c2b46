// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <memory>

#include "base/BilingualText.h"
#include "base/VersionStrings.h"

namespace Ui {
class CAboutDlg;
}

namespace flowdesk {

// The About box: the program's version texts under the title "About " and
// the program's name.
class CAboutDlg : public QDialog {
  Q_OBJECT
 public:
  CAboutDlg(const VersionStrings& versions, Language language, QWidget* parent = nullptr);
  ~CAboutDlg() override;

 private:
  std::unique_ptr<Ui::CAboutDlg> ui_;
};

}  // namespace flowdesk
