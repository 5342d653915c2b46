// SPDX-License-Identifier: GPL-3.0-or-later
// FLOWDESK_BENCH_QT
// FLOWDESK_BENCH_QTTEST
// Press to action on the polling screens, against flowdesk-unit at 9600 baud.
//   bench_press_latency [--presses N] [--unit PATH]
// The live measurement screen, the live echo display and the logger viewer
// (with its download) are opened on the unit and left polling; PRINT,
// Ctrl+P, SAVEDISK, ARRETDISK, Ctrl+S and Escape are each pressed N times
// (default 10) at moments drawn at random, so most land while an exchange
// waits for the unit, as the operator's do. Each press is timed from the
// moment it is sent to the moment its action shows: the print job asked
// for, the save prompt asked for, ARRETDISK hidden again (the recording or
// the download has ended), Escape delivered to the screen (which closes the
// measurement screen and does nothing on the two others).
// Target: every press acted on, each within 0.5 s. Status 1 otherwise.
// Runs offscreen unless told otherwise.
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "base/qt/PictureButton.h"
#include "base/qt/UserInterface.h"
#include "base/qt/WindowPrinter.h"
#include "echo/qt/EchoDialog.h"
#include "link/AppContext.h"
#include "link/SerialPort.h"
#include "logger/qt/LoggerViewerDialog.h"
#include "measure/qt/MeasurementDialog.h"

namespace {

using namespace flowdesk;

constexpr double kGoalMs = 500;
constexpr int kTimeoutMs = 5000;

QElapsedTimer wall;

double nowMs() {
  return static_cast<double>(wall.nsecsElapsed()) / 1e6;
}

// The moment the press was sent and the moment its action showed.
struct Watch {
  double pressedAt = -1;
  double actedAt = -1;
  bool duringExchange = false;
  bool armed = false;
  void arm() {
    pressedAt = actedAt = -1;
    duringExchange = false;
    armed = true;
  }
  void acted() {
    if (armed && pressedAt >= 0 && actedAt < 0) actedAt = nowMs();
  }
};
Watch watch;

// The person: the save prompt answers with the next name queued (none
// cancels), everything else is answered at once without a window.
class BenchInterface : public UserInterface {
 public:
  BenchInterface() : previous_(setUserInterface(this)) {}
  ~BenchInterface() override { setUserInterface(previous_); }
  BenchInterface(const BenchInterface&) = delete;
  BenchInterface& operator=(const BenchInterface&) = delete;

  std::optional<std::string> nextFile;

  void message(QWidget*, Icon, const QString&, const QString&) override {}
  bool question(QWidget*, const QString&, const QString&) override { return false; }
  QString chooseFile(QWidget*, const FileDialogRequest&) override {
    watch.acted();
    const QString chosen = nextFile ? QString::fromStdString(*nextFile) : QString();
    nextFile.reset();
    return chosen;
  }
  std::unique_ptr<ProgressDisplay> progress(QWidget*, Language) override {
    struct Silent : ProgressDisplay {
      void setInfo(const QString&) override {}
    };
    return std::make_unique<Silent>();
  }
  int runDialog(QDialog&) override { return QDialog::Rejected; }

 private:
  UserInterface* previous_;
};

// A printer that refuses the job: the request is the action.
class RefusingPrinter : public PrintTarget {
 public:
  bool begin(const QString&, int) override { return false; }
  QPainter& painter() override { return painter_; }
  QSize pageSize() const override { return {}; }
  int dpiX() const override { return 300; }
  int dpiY() const override { return 300; }
  void end() override {}

 private:
  QPainter painter_;
};

// Escape reaching the screen, and ARRETDISK hidden once its work has ended.
class Spy : public QObject {
 public:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape && escape) {
      watch.acted();
    }
    if (event->type() == QEvent::Hide && arretDisk) watch.acted();
    return false;
  }
  bool escape = false;
  bool arretDisk = false;
};

bool runUntil(const std::function<bool()>& done, int ms) {
  QElapsedTimer t;
  t.start();
  while (!done()) {
    if (t.elapsed() > ms) return false;
    QApplication::processEvents(QEventLoop::AllEvents, 5);
  }
  return true;
}

struct Figures {
  std::string screen;
  std::string press;
  std::vector<double> ms;
  int duringExchange = 0;
  int lost = 0;
};

enum class Press { Print, CtrlP, SaveDisk, ArretDisk, CtrlS, Escape };
const char* name(Press p) {
  switch (p) {
    case Press::Print:
      return "PRINT";
    case Press::CtrlP:
      return "Ctrl+P";
    case Press::SaveDisk:
      return "SAVEDISK";
    case Press::ArretDisk:
      return "ARRETDISK";
    case Press::CtrlS:
      return "Ctrl+S";
    case Press::Escape:
      return "Escape";
  }
  return "";
}

// One press on `screen` after a random wait, timed until its action shows.
// `ready` says when the press can be made (its button shown).
class Presser {
 public:
  Presser(Screen& screen, Spy& spy, std::mt19937& random) : s_(screen), spy_(spy), r_(random) {}

  bool press(Press p, Figures& f) {
    PictureButton* button = buttonFor(p);
    if (button != nullptr && !runUntil([&] { return button->isVisible() && !s_.busy(); }, 30000)) {
      std::fprintf(stderr, "%s: %s never shown\n", f.screen.c_str(), name(p));
      ++f.lost;
      return false;
    }
    QApplication::setActiveWindow(&s_);
    spy_.escape = p == Press::Escape;
    spy_.arretDisk = p == Press::ArretDisk;
    watch.arm();
    // The press comes at a moment drawn over about one poll, from a timer,
    // so it lands wherever the events are let through: mostly inside the
    // wait of an exchange.
    std::uniform_int_distribution<int> delay(0, 600);
    QTimer::singleShot(delay(r_), &s_, [this, p, button] {
      watch.duringExchange = s_.busy();
      watch.pressedAt = nowMs();
      switch (p) {
        case Press::Print:
        case Press::SaveDisk:
        case Press::ArretDisk:
          QTest::mouseClick(button, Qt::LeftButton);
          break;
        case Press::CtrlP:
          QTest::keyClick(&s_, Qt::Key_P, Qt::ControlModifier);
          break;
        case Press::CtrlS:
          QTest::keyClick(&s_, Qt::Key_S, Qt::ControlModifier);
          break;
        case Press::Escape:
          QTest::keyClick(&s_, Qt::Key_Escape);
          break;
      }
    });
    const bool acted = runUntil([] { return watch.actedAt >= 0; }, kTimeoutMs);
    watch.armed = false;
    spy_.escape = spy_.arretDisk = false;
    if (!acted) {
      ++f.lost;
      return false;
    }
    f.ms.push_back(watch.actedAt - watch.pressedAt);
    if (watch.duringExchange) ++f.duringExchange;
    return true;
  }

 private:
  PictureButton* buttonFor(Press p) const {
    switch (p) {
      case Press::Print:
      case Press::CtrlP:
        return s_.picture(PictureRole::kPrint);
      case Press::SaveDisk:
      case Press::CtrlS:
        return s_.picture(PictureRole::kSaveDisk);
      case Press::ArretDisk:
        return s_.picture(PictureRole::kArretDisk);
      case Press::Escape:
        return nullptr;
    }
    return nullptr;
  }

  Screen& s_;
  Spy& spy_;
  std::mt19937& r_;
};

void prepare(AppContext& context, const std::string& device) {
  context.deviceOverride = {device, "", "", ""};
  context.settings.Com = 0;
  context.settings.Bauds = 5;  // 9600
  context.settings.Jbus = 1;
  context.settings.Language = 1;
  context.master.markIdentified();
}

// A screen on the unit, shown and polling; nullptr when it did not open.
template <typename Dialog>
std::unique_ptr<Dialog> openOnUnit(AppContext& context, Spy& spy) {
  auto screen = std::make_unique<Dialog>(context);
  if (!screen->open(ScreenSource::unit())) return nullptr;
  screen->show();
  QApplication::setActiveWindow(screen.get());
  screen->installEventFilter(&spy);
  const Screen& base = *screen;
  if (PictureButton* stop = base.picture(PictureRole::kArretDisk)) stop->installEventFilter(&spy);
  return screen;
}

}  // namespace

int main(int argc, char** argv) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  int presses = 10;
  std::string unitPath;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--unit") == 0 && i + 1 < argc) {
      unitPath = argv[++i];
    } else if (std::strcmp(argv[i], "--presses") == 0 && i + 1 < argc) {
      presses = std::max(1, std::atoi(argv[++i]));
    }
  }
  unitPath = bench::buildProgram(unitPath, "FLOWDESK_UNIT_BIN", "flowdesk-unit");
  const std::string folder = bench::scratchFolder("flowdesk-pressbench");
  if (folder.empty()) return 2;
  bench::BenchUnit unit(unitPath, folder + "/unit",
                        {"--baud", "9600", "--configs", "18", "--logger-records", "2000"});
  if (!unit.started()) {
    std::fprintf(stderr, "cannot start the unit: %s\n", unitPath.c_str());
    std::filesystem::remove_all(folder);
    return 2;
  }
  struct Cleanup {
    bench::BenchUnit& unit;
    std::string folder;
    ~Cleanup() {
      unit.stop();
      std::error_code ec;
      std::filesystem::remove_all(folder, ec);
    }
  } cleanup{unit, folder};

  wall.start();
  // As the program waits for the unit: the window's events go on.
  const ScopedIdleHook idle([](SerialPort*) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    return 0;
  });
  BenchInterface ui;
  PrintEnvironment print = printEnvironment();
  print.showProgress = false;
  print.showError = [](QWidget*, const QString&) {};
  print.openPrinter = []() -> std::unique_ptr<PrintTarget> {
    watch.acted();
    return std::make_unique<RefusingPrinter>();
  };
  setPrintEnvironment(print);

  std::mt19937 random(20240611);
  Spy spy;
  std::vector<Figures> all;
  int fileNo = 0;
  const auto nextFile = [&] { return folder + "/f" + std::to_string(++fileNo); };
  const Press kPresses[] = {Press::Print,     Press::CtrlP, Press::SaveDisk,
                            Press::ArretDisk, Press::CtrlS, Press::Escape};
  const auto figures = [&](const std::string& screen, Press p) -> Figures& {
    for (Figures& f : all) {
      if (f.screen == screen && f.press == name(p)) return f;
    }
    all.push_back({screen, name(p), {}, 0, 0});
    return all.back();
  };

  AppContext context;
  prepare(context, unit.device());

  // The measurement screen: SAVEDISK starts a recording that ARRETDISK
  // ends, Ctrl+S is cancelled at its prompt, Escape closes the screen.
  {
    std::unique_ptr<MeasurementDialog> screen;
    for (int round = 0; round < presses; ++round) {
      if (!screen || !screen->isVisible()) {
        screen = openOnUnit<MeasurementDialog>(context, spy);
        if (!screen || !runUntil([&] { return screen->session().hasDisplay(); }, kTimeoutMs)) {
          std::fprintf(stderr, "the measurement screen did not fill\n");
          return 2;
        }
      }
      Presser presser(*screen, spy, random);
      for (Press p : kPresses) {
        if (p == Press::SaveDisk) ui.nextFile = nextFile();
        presser.press(p, figures("measurement", p));
      }
    }
    if (screen) screen->reject();
  }

  // The echo display: the same, but Escape leaves it open.
  {
    std::unique_ptr<EchoDialog> screen = openOnUnit<EchoDialog>(context, spy);
    if (!screen) {
      std::fprintf(stderr, "the echo display did not open\n");
      return 2;
    }
    Presser presser(*screen, spy, random);
    for (int round = 0; round < presses; ++round) {
      for (Press p : kPresses) {
        if (p == Press::SaveDisk) ui.nextFile = nextFile();
        presser.press(p, figures("echo", p));
      }
    }
    screen->reject();
    runUntil([&] { return !screen->isVisible(); }, kTimeoutMs);
  }

  // The logger viewer: SAVEDISK starts a download that ARRETDISK ends (the
  // download hides PRINT and SAVEDISK; Escape is pressed during it too).
  {
    std::unique_ptr<LoggerViewerDialog> screen = openOnUnit<LoggerViewerDialog>(context, spy);
    if (!screen) {
      std::fprintf(stderr, "the logger viewer did not open\n");
      return 2;
    }
    Presser presser(*screen, spy, random);
    for (int round = 0; round < presses; ++round) {
      for (Press p : {Press::CtrlS, Press::Escape, Press::Print, Press::CtrlP}) {
        presser.press(p, figures("logger viewer", p));
      }
      ui.nextFile = nextFile();
      presser.press(Press::SaveDisk, figures("logger viewer", Press::SaveDisk));
      for (Press p : {Press::Escape, Press::ArretDisk}) {
        presser.press(p, figures("logger download", p));
      }
    }
    screen->reject();
  }

  std::printf("press to action at 9600 baud, %d presses of each (goal: each within %.0f ms)\n",
              presses, kGoalMs);
  std::printf("%-16s %-10s %5s %6s %9s %9s %6s\n", "screen", "press", "acted", "lost", "median ms",
              "worst ms", "in exch");
  bool met = true;
  for (Figures& f : all) {
    std::sort(f.ms.begin(), f.ms.end());
    const double median = f.ms.empty() ? 0 : f.ms[f.ms.size() / 2];
    const double worst = f.ms.empty() ? 0 : f.ms.back();
    std::printf("%-16s %-10s %5zu %6d %9.1f %9.1f %6d\n", f.screen.c_str(), f.press.c_str(),
                f.ms.size(), f.lost, median, worst, f.duringExchange);
    if (f.lost > 0 || worst > kGoalMs) met = false;
  }
  std::printf("target: every press acted on within %.0f ms -> %s\n", kGoalMs,
              met ? "met" : "NOT met");
  return met ? 0 : 1;
}
