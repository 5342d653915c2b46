// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <array>
#include <cstdint>
#include <memory>

#include "base/qt/PictureButton.h"
#include "config/qt/CalibrationPage.h"

namespace Ui {
class SelectConfigurationPage;
}

namespace flowdesk {

class AppContext;
class ConfigurationSession;
class Screen;

// The configuration-management page of the calibration sheet: which
// configuration is shown and which TRANSFERT writes, the clock and totalizer
// requests, and the sheet's picture buttons PRINT, COMPARE, TRANSFERT and
// SAVEDISK. The session does the work; the page forwards and draws.
// The unit's documentation calls it CSelectConfigDlg, the name its .ui keeps for the
// window.
class SelectConfigurationPage : public CalibrationPage {
  Q_OBJECT
 public:
  // `sheet`, when given, is the screen whose busy rule the page's exchanges
  // with the unit follow.
  SelectConfigurationPage(AppContext& context, ConfigurationSession& session,
                          Screen* sheet = nullptr, QWidget* parent = nullptr);
  ~SelectConfigurationPage() override;

  void activate() override;

  // The buttons, as a press runs them.
  void transfert();
  void print();
  void saveDisk();
  void compare();

  // The sheet's shortcuts: the button of `role` when this page offers it
  // (shown, so allowed on this unit or file); false when it does not.
  bool press(PictureRole role);

 signals:
  // PRINT: the measurement point page is to be shown, and prints itself.
  void printRequested();
  // TRANSFERT wrote the unit: the sheet's work is done.
  void uploaded();

 private:
  void readChosen();
  void writeChosen();
  void checksChosen();
  void showSelection();
  QString caption(const BilingualText& text) const;
  template <typename Exchange>
  auto exchange(Exchange&& run);

  Screen* sheet_;

  std::int32_t read_ = 0;
  std::int32_t write_ = 0;
  std::array<std::uint8_t, 4> checks_{};  // clock, then the three totalizer resets
  std::unique_ptr<Ui::SelectConfigurationPage> ui_;
  // The sheet's picture buttons, which this page holds.
  struct PageButton {
    PictureRole role;
    void (SelectConfigurationPage::*run)();
    PictureButton* button;
  };
  std::array<PageButton, 4> buttons_;
};

}  // namespace flowdesk
