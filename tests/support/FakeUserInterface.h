// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The one stand-in for everything a screen asks of the person: it records
// messages, questions and progress steps, answers questions and file dialogs
// from what the test queued, and runs other dialogs through the test's own
// function. Installed for the lifetime of the object.
#include <QDialog>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

#include "base/qt/UserInterface.h"

namespace flowdesk::testing {

class FakeUserInterface : public UserInterface {
 public:
  struct Message {
    Icon icon;
    QString caption;
    QString text;
    const QWidget* parent = nullptr;  // the window the box would be shown over
  };

  FakeUserInterface() : previous_(setUserInterface(this)) {}
  ~FakeUserInterface() override { setUserInterface(previous_); }
  FakeUserInterface(const FakeUserInterface&) = delete;
  FakeUserInterface& operator=(const FakeUserInterface&) = delete;

  // What the test queues: answers to questions (an empty queue answers "no"),
  // files chosen (an empty queue cancels), and how other dialogs are run (by
  // default rejected without being shown).
  std::deque<bool> answers;
  std::deque<QString> files;
  std::function<int(QDialog&)> dialogRunner;

  // What the screen asked.
  std::vector<Message> messages;
  std::vector<QString> questions;
  std::vector<FileDialogRequest> fileRequests;
  std::vector<QString> progressSteps;
  int progressShown = 0;
  std::vector<QString> dialogsRun;  // object names, else class names

  void message(QWidget* parent, Icon icon, const QString& caption, const QString& text) override {
    messages.push_back({icon, caption, text, parent});
  }
  bool question(QWidget*, const QString&, const QString& text) override {
    questions.push_back(text);
    if (answers.empty()) return false;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  QString chooseFile(QWidget*, const FileDialogRequest& request) override {
    fileRequests.push_back(request);
    if (files.empty()) return QString();
    QString chosen = files.front();
    files.pop_front();
    return chosen;
  }
  std::unique_ptr<ProgressDisplay> progress(QWidget*, Language) override {
    ++progressShown;
    return std::make_unique<Steps>(progressSteps);
  }
  int runDialog(QDialog& dialog) override {
    dialogsRun.push_back(dialog.objectName().isEmpty()
                             ? QString::fromLatin1(dialog.metaObject()->className())
                             : dialog.objectName());
    return dialogRunner ? dialogRunner(dialog) : QDialog::Rejected;
  }

 private:
  class Steps : public ProgressDisplay {
   public:
    explicit Steps(std::vector<QString>& steps) : steps_(steps) {}
    void setInfo(const QString& text) override { steps_.push_back(text); }

   private:
    std::vector<QString>& steps_;
  };

  UserInterface* previous_;
};

}  // namespace flowdesk::testing
