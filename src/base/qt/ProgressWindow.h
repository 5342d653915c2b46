#pragma once
#include <QString>
#include <QWidget>
#include <memory>

namespace Ui {
class ProgressWindow;
}

namespace flowdesk {

// The small "please wait" window shown while a long operation talks to the
// unit, prints or converts. It has no buttons, stays above every other window
// and appears centred on the screen as soon as it is created; the caller
// writes the current step on its information line and destroys it when done.
class ProgressWindow : public QWidget {
  Q_OBJECT
 public:
  explicit ProgressWindow(int language, QWidget* parent = nullptr);
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
