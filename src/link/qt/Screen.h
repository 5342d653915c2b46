#pragma once
#include <QDialog>
#include <QLabel>
#include <QPointer>
#include <QTimer>
#include <functional>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "base/BilingualText.h"
#include "base/qt/PictureButton.h"

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
// - the busy rule: while the screen talks to the unit (talk(), and every
//   tick), its input is off (clicks, keys and shortcuts on it are dropped
//   without greying anything), and a close waits for the exchange to end;
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
  PictureButton* picture(PictureRole role) const;

  // A close asked during an exchange happens when the exchange ends.
  void done(int result) override;

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

  // The picture buttons of the screen, found by their object names.
  struct PictureRow {
    PictureRole role;
    const char* control;
    std::function<void()> press;
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
  enum class Tone { Information, Failure, Warning };
  void tell(Tone tone, const BilingualText& caption, const std::string& text);
  bool ask(const BilingualText& caption, const BilingualText& question);

  int language() const;
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
  void timedOut();

  ScreenSource source_;
  struct BoundPicture {
    PictureRole role;
    PictureButton* button;
  };
  std::vector<BoundPicture> pictures_;
  QTimer timer_;
  int busyDepth_ = 0;
  // A close asked during an exchange, done when the exchange has ended
  // unless the screen closes by itself before (a TRANSFERT that succeeded).
  std::optional<int> closeWaiting_;
  // The line a failed print wrote its note on, the note and what it covered.
  QPointer<QLabel> noteLine_;
  QString note_;
  QString underNote_;
};

}  // namespace flowdesk
