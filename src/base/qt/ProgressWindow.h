// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QString>
#include <QWidget>
#include <memory>

#include "base/BilingualText.h"

namespace Ui {
class ProgressWindow;
}

namespace flowdesk {

// Where the "please wait" window of size `window` goes so that it covers
// none of the screen that opened it (`opener`, its frame): beside it on the
// right, else on the left, else below, else above, always inside `desktop`;
// when nothing fits, the corner of the desktop farthest from the opener.
QPoint progressPlacement(const QRect& opener, const QSize& window, const QRect& desktop);

// The small "please wait" window shown while a long operation talks to the
// unit, prints or converts. It has no buttons, stays above every other window
// and appears as soon as it is created, beside the window of `parent` (so the
// step texts that screen shows stay readable) or centred on the screen
// without one; the caller writes the current step on its information line
// and destroys it when done.
class ProgressWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ProgressWindow(Language language, QWidget* parent = nullptr);
  ~ProgressWindow() override;

  // Writes the step and draws it at once: the caller is usually busy and
  // would otherwise show it only after the step is over.
  void setInfo(const QString& text);
  QString info() const;
  QString pleaseWaitText() const;

 private:
  std::unique_ptr<Ui::ProgressWindow> ui_;
};

}  // namespace flowdesk
