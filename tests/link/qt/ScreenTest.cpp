// SPDX-License-Identifier: GPL-3.0-or-later
// The screen base's busy rule: no action runs nested in the screen's
// exchange with the unit and no input is lost for it (a press, key or close
// during an exchange acts once, in order: at once when its role needs no
// exchange, else when the exchange ends and before the next tick); and what
// every screen shares: picture buttons by role, the timer's stopped value.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/Clock.h"
#include "base/qt/PictureButton.h"
#include "link/AppContext.h"
#include "link/qt/Screen.h"
#include "support/ScreenProbes.h"

namespace flowdesk {
namespace {

// A screen with PRINT (needs no exchange), TRANSFERT and SAVEDISK (whose
// presses talk to a "unit" that runs `during` while it waits), ARRETDISK
// (said to need no exchange on this screen), an edit, and a timer whose
// tick does the same. Everything it acts on goes to `log`.
class ProbeScreen : public Screen {
 public:
  explicit ProbeScreen(AppContext& context) : Screen(context, nullptr) {
    auto* row = new QHBoxLayout(this);
    for (const PictureRole role : {PictureRole::kPrint, PictureRole::kTransfert,
                                   PictureRole::kSaveDisk, PictureRole::kArretDisk}) {
      row->addWidget(new PictureButton(role, ShortcutContext::kConfiguration, this));
    }
    edit = new QLineEdit(this);
    row->addWidget(edit);
    connect(edit, &QLineEdit::textEdited, this, [this] { acted("key"); });
    bindPictures({{PictureRole::kPrint, [this] { acted("print"); }},
                  {PictureRole::kTransfert, [this] { press("transfert"); }},
                  {PictureRole::kSaveDisk, [this] { press("savedisk"); }},
                  {PictureRole::kArretDisk, [this] { acted("arretdisk"); }, true}},
                 ShortcutContext::kConfiguration);
  }
  void press(const char* what) {
    acted(what);
    talk([this] {
      if (during) std::exchange(during, nullptr)();
    });
    if (acceptAfterPress) accept();
  }
  void startTimer(int ms) { runTimer(ms); }
  void acted(const std::string& what) {
    log.push_back(what);
    if (busy()) actedWhileBusy.push_back(what);
  }

  std::function<void()> during;  // runs once, inside the next exchange
  std::vector<std::string> log;
  std::vector<std::string> actedWhileBusy;
  bool closes = false;  // readyToClose's answer
  bool acceptAfterPress = false;
  int ticks = 0;
  QLineEdit* edit = nullptr;

 protected:
  bool load() override { return true; }
  bool readyToClose() override {
    acted("close");
    return closes;
  }
  void tick() override {
    ++ticks;
    acted("tick");
    if (during) std::exchange(during, nullptr)();
  }
};

void settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

void shown(ProbeScreen& screen) {
  screen.show();
  QApplication::setActiveWindow(&screen);
  screen.edit->setFocus();
}

long count(const std::vector<std::string>& log, const std::string& what) {
  return std::count(log.begin(), log.end(), what);
}

TEST(ScreenBusyRule, EveryKindOfPressDuringAnExchangeActsOnceAtOnceOrAfterIt) {
  using Inject = std::function<void(ProbeScreen&)>;
  const struct Case {
    const char* name;
    Inject press;
    const char* acts;  // what the log shows for one press
    bool atOnce;
  } cases[] = {
      {"PRINT clicked",
       [](ProbeScreen& s) { QTest::mouseClick(s.picture(PictureRole::kPrint), Qt::LeftButton); },
       "print", true},
      {"Ctrl+P", [](ProbeScreen& s) { QTest::keyClick(s.edit, Qt::Key_P, Qt::ControlModifier); },
       "print", true},
      {"TRANSFERT clicked",
       [](ProbeScreen& s) {
         QTest::mouseClick(s.picture(PictureRole::kTransfert), Qt::LeftButton);
       },
       "transfert", false},
      {"Ctrl+T", [](ProbeScreen& s) { QTest::keyClick(s.edit, Qt::Key_T, Qt::ControlModifier); },
       "transfert", false},
      {"Ctrl+S", [](ProbeScreen& s) { QTest::keyClick(s.edit, Qt::Key_S, Qt::ControlModifier); },
       "savedisk", false},
      {"ARRETDISK of a screen whose recording needs no exchange",
       [](ProbeScreen& s) {
         QTest::mouseClick(s.picture(PictureRole::kArretDisk), Qt::LeftButton);
       },
       "arretdisk", true},
      {"Escape", [](ProbeScreen& s) { QTest::keyClick(s.edit, Qt::Key_Escape); }, "close", false},
      {"close box", [](ProbeScreen& s) { s.close(); }, "close", false},
      {"a digit typed", [](ProbeScreen& s) { QTest::keyClick(s.edit, Qt::Key_1); }, "key", false},
  };
  constexpr int kPresses = 10;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AppContext context;
    ProbeScreen screen(context);
    ASSERT_TRUE(screen.open(ScreenSource::unit()));
    shown(screen);
    long duringExchange = -1;
    screen.during = [&] {
      ASSERT_TRUE(screen.busy());
      for (int i = 0; i < kPresses; ++i) c.press(screen);
      duringExchange = count(screen.log, c.acts);
    };
    screen.press("exchange");
    EXPECT_EQ(duringExchange, c.atOnce ? kPresses : 0);
    settle();
    EXPECT_EQ(count(screen.log, c.acts), kPresses);
    EXPECT_TRUE(screen.isVisible()) << "the screen said no to closing";
    EXPECT_EQ(screen.heldInput(), 0u);
    if (!c.atOnce) {
      EXPECT_EQ(count(screen.actedWhileBusy, c.acts), 0) << "acted inside the exchange";
    }
    if (std::string(c.acts) == "key") {
      EXPECT_EQ(screen.edit->text(), QString(kPresses, '1'));
    }
  }
}

TEST(ScreenBusyRule, KeptInputActsInTheOrderItCameBeforeTheNextTick) {
  AppContext context;
  ProbeScreen screen(context);
  ASSERT_TRUE(screen.open(ScreenSource::unit()));
  shown(screen);
  screen.during = [&] {
    QTest::mouseClick(screen.picture(PictureRole::kTransfert), Qt::LeftButton);
    QTest::keyClick(screen.edit, Qt::Key_1);
    QTest::keyClick(screen.edit, Qt::Key_S, Qt::ControlModifier);
    QTest::keyClick(screen.edit, Qt::Key_P, Qt::ControlModifier);
    QTest::keyClick(screen.edit, Qt::Key_Escape);
  };
  // The exchange is the first tick's; the timer fires again at once.
  screen.startTimer(0);
  ASSERT_TRUE(QTest::qWaitFor([&] { return screen.ticks >= 2; }, 5000));
  screen.startTimer(kTimerStopped);
  const std::vector<std::string> expected = {"tick",     "print", "transfert", "key",
                                             "savedisk", "close", "tick"};
  EXPECT_EQ(std::vector<std::string>(screen.log.begin(), screen.log.begin() + 7), expected);
  EXPECT_TRUE(screen.actedWhileBusy == std::vector<std::string>({"tick", "print", "tick"}));
}

TEST(ScreenBusyRule, ACloseWaitsForTheExchangeUnlessTheScreenClosesItselfFirst) {
  AppContext context;
  {
    ProbeScreen screen(context);
    ASSERT_TRUE(screen.open(ScreenSource::unit()));
    shown(screen);
    screen.closes = true;
    bool visibleAfterClose = false;
    screen.during = [&] {
      screen.close();
      visibleAfterClose = screen.isVisible();
    };
    screen.press("exchange");
    EXPECT_TRUE(visibleAfterClose) << "closed while the unit was being talked to";
    EXPECT_TRUE(screen.isVisible());
    settle();
    EXPECT_FALSE(screen.isVisible()) << "the close asked during the exchange happens after it";
    EXPECT_EQ(screen.result(), QDialog::Rejected);
  }
  {
    // A TRANSFERT that succeeded closes the screen: the Escape pressed
    // during its writes was meant for a screen that is gone.
    ProbeScreen screen(context);
    ASSERT_TRUE(screen.open(ScreenSource::unit()));
    shown(screen);
    screen.closes = true;
    screen.acceptAfterPress = true;
    screen.during = [&] { QTest::keyClick(screen.edit, Qt::Key_Escape); };
    screen.press("transfert");
    settle();
    EXPECT_FALSE(screen.isVisible());
    EXPECT_EQ(screen.result(), QDialog::Accepted);
    EXPECT_EQ(count(screen.log, "close"), 1);
  }
}

TEST(ScreenBusyRule, ATickIsNeverNestedInTheOneThatWaits) {
  AppContext context;
  ProbeScreen screen(context);
  ASSERT_TRUE(screen.open(ScreenSource::unit()));
  int depth = 0;
  int deepest = 0;
  const std::function<void()> wait = [&] {
    deepest = std::max(deepest, ++depth);
    // The wait lets events through, the timer's among them.
    QTest::qWait(20);
    --depth;
    screen.during = wait;
  };
  screen.during = wait;
  screen.startTimer(1);
  // Until a few ticks came, however long a busy machine takes for them.
  ASSERT_TRUE(testing::waitFor([&] { return screen.ticks > 3; }, 100));
  screen.startTimer(kTimerStopped);
  EXPECT_EQ(deepest, 1);
  const int ticks = screen.ticks;
  QTest::qWait(30);
  EXPECT_EQ(screen.ticks, ticks) << "kTimerStopped stops the timer";
}

// A screen's exchange is one operation: no other program gets the port in
// the middle of it (the lock itself is the link's own test).
TEST(ScreenBusyRule, AnExchangeHoldsThePortUntilItEnds) {
  AppContext context;
  ProbeScreen screen(context);
  ASSERT_TRUE(screen.open(ScreenSource::unit()));
  bool held = false;
  screen.during = [&] { held = context.master.portHeld(); };
  screen.press("transfert");
  EXPECT_TRUE(held);
  EXPECT_FALSE(context.master.portHeld()) << "given back when the exchange ends";
}

TEST(PictureRoles, EveryButtonNamesItsActionAndShortcutInBothLanguages) {
  const struct Case {
    PictureRole role;
    ShortcutContext context;
    const char* french;
    const char* english;
  } cases[] = {
      {PictureRole::kPrint, ShortcutContext::kViewer, "Imprimer (Ctrl+P)", "Print (Ctrl+P)"},
      {PictureRole::kTableur, ShortcutContext::kViewer, "Ouvrir dans le tableur (Ctrl+T)",
       "Open in the spreadsheet (Ctrl+T)"},
      {PictureRole::kTransfert, ShortcutContext::kConfiguration, "Transférer vers l'unité (Ctrl+T)",
       "Upload to the unit (Ctrl+T)"},
      {PictureRole::kArretDisk, ShortcutContext::kViewer, "Arrêter l'enregistrement",
       "Stop saving"},
      {PictureRole::kPgd, ShortcutContext::kViewer, "Suivant (PgDown)", "Next (PgDown)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(pictureToolTip(c.role, c.context, kFrench).toStdString(), c.french);
    EXPECT_EQ(pictureToolTip(c.role, c.context, kEnglish).toStdString(), c.english);
  }
  // A bound button carries its tooltip in the screen's language.
  AppContext context;
  context.settings.Language = languageIndex(kFrench);
  ProbeScreen screen(context);
  EXPECT_EQ(screen.picture(PictureRole::kTransfert)->toolTip().toStdString(),
            "Transférer vers l'unité (Ctrl+T)");
}

}  // namespace
}  // namespace flowdesk
