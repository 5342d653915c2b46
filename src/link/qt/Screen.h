// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <deque>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/BilingualText.h"
#include "base/qt/PictureButton.h"
#include "link/JbusMaster.h"

namespace flowdesk {

class AppContext;

// Where a screen reads what it shows: the unit, or a file.
struct ScreenSource {
  std::string filePath;  // empty: the unit

  bool fromFile() const { return !filePath.empty(); }
  static ScreenSource unit() { return {}; }
  static ScreenSource file(std::string path) { return {std::move(path)}; }
};

// What every screen shares, written once:
// - it is built without talking to the unit, then opened on its source, and
//   says whether there is anything to show;
// - its picture buttons sit in one table keyed by their role;
// - one timer, whose interval the session gives (kTimerStopped stops it);
// - the busy rule: no action of the screen runs nested inside its exchange
//   with the unit (talk(), and every tick), and no input is dropped for it.
//   A click, key, shortcut or close that comes during an exchange is kept
//   and acted on once, in order: at once when its picture's role needs no
//   exchange (actsDuringExchange of the roles table: print, graph,
//   spreadsheet), the
//   rest as soon as the exchange ends and before the next tick;
// - printing with the picture buttons out of the picture, and one way to
//   tell an outcome (the file prompts by kind are files/qt/KindPrompts.h).
class Screen : public QDialog {
  Q_OBJECT
 public:
  Screen(AppContext& context, QWidget* parent);
  ~Screen() override;

  // Reads what the screen shows; false (after saying why, when there is
  // something to say) when it is not to be run.
  bool open(const ScreenSource& source);
  const ScreenSource& source() const { return source_; }

  bool busy() const { return busyDepth_ > 0; }
  // Input kept during an exchange and not acted on yet.
  std::size_t heldInput() const { return held_.size(); }
  PictureButton* picture(PictureRole role) const;

  // A close asked during an exchange happens when the exchange ends, unless
  // the screen has closed by itself before (a TRANSFERT that succeeded).
  void done(int result) override;

  // Settings screens: what the operator changes in the edits, lists and tick
  // boxes under `within` marks the screen edited until editsKept() (a save
  // or a TRANSFERT that succeeded); Escape or the close box then asks
  // whether to drop the changes, under `caption`.
  void watchEdits(QWidget* within, const BilingualText& caption);
  void editsKept() { edited_ = false; }
  // The program is ending by a signal (a logout, kill): no one is there to
  // answer, so closes no longer ask whether to drop changes.
  static void endWithoutQuestions(bool ending = true) { ending_ = ending; }
  bool edited() const { return edited_; }

  // Runs `exchange`, which talks to the unit, under the busy rule; the
  // pages of a screen run theirs through it too.
  template <typename Exchange>
  auto talk(Exchange&& exchange) {
    const Busy busy(*this);
    return std::forward<Exchange>(exchange)();
  }

 protected:
  // The screen's own reading; source() is already set.
  virtual bool load() = 0;
  // Called by a close that may happen now: false keeps the screen open (the
  // echo screen stops the unit's echo screen first, at its next tick).
  virtual bool readyToClose() { return true; }
  // One timeout of the timer, already under the busy rule.
  virtual void tick() {}

  // The picture buttons the screen has, by role; each is the button of the
  // .ui named as the roles table says (PictureButton.h), found once here.
  struct PictureRow {
    PictureRole role;
    std::function<void()> press;
    // True when this screen's press needs no exchange although its role
    // may elsewhere (SAVEDISK and ARRETDISK of a recording the tick writes
    // after its exchange): it acts at once, as the roles that never talk.
    bool needsNoExchange = false;
  };
  void bindPictures(std::span<const PictureRow> rows, ShortcutContext context);
  void bindPictures(std::initializer_list<PictureRow> rows, ShortcutContext context) {
    bindPictures(std::span<const PictureRow>(rows.begin(), rows.size()), context);
  }
  void showPicture(PictureRole role, bool shown);
  std::vector<PictureRole> pictureRoles() const;

  void runTimer(int ms);

  // Prints the screen without its picture buttons and `alsoHidden`; the note
  // for the person when nothing was printed, else an empty text.
  QString printScreen(const char* documentName, bool withDate,
                      std::initializer_list<QWidget*> alsoHidden = {});
  // printScreen, its note shown on `line` until a print works. A note still
  // shown is taken off before the picture is taken: it never reaches the
  // paper.
  void printWithNote(const char* documentName, bool withDate, QLabel* line,
                     std::initializer_list<QWidget*> alsoHidden = {});

  // A message box captioned in the screen's language.
  enum class Tone { kInformation, kFailure, kWarning };
  void tell(Tone tone, const BilingualText& caption, const std::string& text);
  bool ask(const BilingualText& caption, const BilingualText& question);

  Language language() const;
  QString text(const BilingualText& t) const;

  bool eventFilter(QObject* watched, QEvent* event) override;

  AppContext& context_;

 private:
  class Busy {
   public:
    explicit Busy(Screen& screen);
    ~Busy();
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

   private:
    Screen& screen_;
  };
  bool isInputForMe(QObject* receiver) const;
  bool isPicture(QObject* receiver) const;
  void timedOut();
  void pressed(bool atOnce, const std::function<void()>& press);
  bool holding() const { return busy() || (!held_.empty() && !runningHeld_); }
  void hold(std::function<void()> action);
  void holdEvent(QObject* receiver, const QEvent* event);
  void runHeldSoon();
  void runHeld();
  void watchInput(bool on);

  ScreenSource source_;
  struct BoundPicture {
    PictureRole role;
    PictureButton* button;
  };
  std::vector<BoundPicture> pictures_;
  QTimer timer_;
  int busyDepth_ = 0;
  // An exchange's sequence (a TRANSFERT, Connect's scan, a tick's polls) is
  // one operation: no other program gets the port in the middle of it.
  PortHold portHold_;
  // What came during an exchange, in the order it came.
  std::deque<std::function<void()>> held_;
  bool runningHeld_ = false;
  bool runScheduled_ = false;
  bool watching_ = false;
  const QEvent* replaying_ = nullptr;  // a kept event now delivered
  int closes_ = 0;                     // how many times the screen has closed
  bool edited_ = false;
  static inline bool ending_ = false;
  std::optional<BilingualText> editsCaption_;  // set when the screen watches its edits
  // The line a failed print wrote its note on, the note and what it covered.
  QPointer<QLabel> noteLine_;
  QString note_;
  QString underNote_;
};

}  // namespace flowdesk
