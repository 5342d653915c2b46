// The screen base's busy rule: while a screen talks to the unit its input is
// off and a close waits for the exchange to end; and what every screen
// shares: picture buttons by role, the timer's stopped value.
#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QTest>
#include <functional>

#include "base/Clock.h"
#include "base/qt/PictureButton.h"
#include "link/AppContext.h"
#include "link/qt/Screen.h"
#include "support/ScreenProbes.h"

namespace flowdesk {
namespace {

// A screen with TRANSFERT, whose press talks to a "unit" that runs `during`
// while it waits, and a timer whose tick does the same.
class ProbeScreen : public Screen {
 public:
  explicit ProbeScreen(AppContext& context) : Screen(context, nullptr) {
    auto* row = new QHBoxLayout(this);
    auto* transfert = new PictureButton(QStringLiteral("TRANSFERT"), this);
    transfert->setObjectName(QStringLiteral("buttonTransfert"));
    row->addWidget(transfert);
    edit = new QLineEdit(this);
    row->addWidget(edit);
    bindPictures({{PictureRole::Transfert, "buttonTransfert", [this] { press(); }}},
                 ShortcutContext::Configuration);
  }
  void press() {
    ++presses;
    talk([this] {
      if (during) during();
    });
  }
  void startTimer(int ms) { runTimer(ms); }

  std::function<void()> during;
  int presses = 0;
  int ticks = 0;
  QLineEdit* edit = nullptr;

 protected:
  bool load() override { return true; }
  void tick() override {
    ++ticks;
    if (during) during();
  }
};

void settle() {
  for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

TEST(ScreenBusyRule, InputDuringAnExchangeDoesNothingAndACloseWaitsForItsEnd) {
  AppContext context;
  ProbeScreen screen(context);
  ASSERT_TRUE(screen.open(ScreenSource::unit()));
  screen.show();
  QApplication::setActiveWindow(&screen);
  screen.edit->setFocus();
  bool visibleAfterClose = false;
  screen.during = [&] {
    EXPECT_TRUE(screen.busy());
    QTest::mouseClick(screen.picture(PictureRole::Transfert), Qt::LeftButton);
    QTest::keyClick(screen.edit, Qt::Key_T, Qt::ControlModifier);
    QTest::keyClicks(screen.edit, "12");
    screen.close();
    visibleAfterClose = screen.isVisible();
  };
  screen.press();
  EXPECT_EQ(screen.presses, 1) << "a second TRANSFERT, click or Ctrl+T, during the exchange";
  EXPECT_TRUE(screen.edit->text().isEmpty()) << "keys typed during the exchange";
  EXPECT_TRUE(visibleAfterClose) << "closed while the unit was being talked to";
  EXPECT_FALSE(screen.busy());
  settle();
  EXPECT_FALSE(screen.isVisible()) << "the close asked during the exchange happens after it";

  // Outside an exchange the same input acts.
  screen.during = nullptr;
  screen.show();
  QApplication::setActiveWindow(&screen);
  QTest::mouseClick(screen.picture(PictureRole::Transfert), Qt::LeftButton);
  QTest::keyClicks(screen.edit, "12");
  EXPECT_EQ(screen.presses, 2);
  EXPECT_EQ(screen.edit->text(), "12");
}

TEST(ScreenBusyRule, ATickIsNeverNestedInTheOneThatWaits) {
  AppContext context;
  ProbeScreen screen(context);
  ASSERT_TRUE(screen.open(ScreenSource::unit()));
  int depth = 0;
  int deepest = 0;
  screen.during = [&] {
    deepest = std::max(deepest, ++depth);
    // The wait lets events through, the timer's among them.
    QTest::qWait(20);
    --depth;
  };
  screen.startTimer(1);
  // Until a few ticks came, however long a busy machine takes for them.
  ASSERT_TRUE(testing::waitFor([&] { return screen.ticks > 3; }, 100));
  screen.startTimer(kTimerStopped);
  EXPECT_EQ(deepest, 1);
  const int ticks = screen.ticks;
  QTest::qWait(30);
  EXPECT_EQ(screen.ticks, ticks) << "kTimerStopped stops the timer";
}

}  // namespace
}  // namespace flowdesk
