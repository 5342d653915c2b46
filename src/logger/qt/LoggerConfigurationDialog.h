// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <cstdint>
#include <memory>

#include "base/qt/Bindings.h"
#include "link/qt/Screen.h"
#include "logger/LoggerConfigurationSession.h"

namespace Ui {
class LoggerConfigurationDialog;
}

namespace flowdesk {

class AppContext;

// The logger configuration screen ("Configuration Logger"): the logger type,
// parameters 2 to 9, the period and the point number read from the unit,
// how long the memory lasts with them, and TRANSFERT with an optional erase.
// The session keeps the rules and runs the writes; the dialog forwards and
// draws.
// The unit's documentation calls it CConfigLoggerDlg, the name its .ui keeps for the
// window.
class LoggerConfigurationDialog : public Screen {
  Q_OBJECT
 public:
  explicit LoggerConfigurationDialog(AppContext& context, QWidget* parent = nullptr);
  ~LoggerConfigurationDialog() override;

  const BindingRows& bindings() const { return rows_; }
  LoggerConfigurationSession& session() { return session_; }

  // What a change of any control, and the buttons, run.
  void changed();
  void transfert();
  void print();

 protected:
  // Reads the unit. False when there is nothing to show: on a file, on a
  // unit without a logger or after a failed read; the screen then closes
  // without a word.
  bool load() override;

 private:
  void draw();

  LoggerConfigurationSession session_;
  std::int32_t parameter1_ = 0;  // always the average flow
  std::uint8_t erase_ = 0;
  const BindingRows rows_;
  std::unique_ptr<Ui::LoggerConfigurationDialog> ui_;
};

}  // namespace flowdesk
