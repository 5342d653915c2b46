// SPDX-License-Identifier: GPL-3.0-or-later
// The echo screen offscreen with the fake user interface: the picture as
// painted and playback of a file (the live screen is in
// EchoScreenEndToEndTest.cpp).
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <filesystem>
#include <functional>
#include <string>

#include "base/qt/PictureButton.h"
#include "echo/qt/EchoDialog.h"
#include "echo/qt/EchoPictureView.h"
#include "link/AppContext.h"
#include "support/BoundControls.h"
#include "support/FakeUserInterface.h"
#include "support/ScreenProbes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using B = EchoButton;
using testing::FakeUserInterface;
using testing::TempDir;

using testing::labelText;
using testing::waitFor;

std::string shownButtons(const EchoDialog& d) {
  return testing::shownButtons<EchoButton>(d, kEchoButtons);
}

// The dark pixels of a picture painted on an image: the black area, its
// bounding box, and that everything else is the background grey.
TEST(EchoScreen, PicturePaintedOnAnImage) {
  struct Case {
    std::size_t at;
    std::uint8_t bits;
    QSize size;
    QRect black;
  } cases[] = {
      {0, 0x01, {128, 64}, {0, 0, 1, 1}},
      {1023, 0x80, {128, 64}, {127, 63, 1, 1}},
      // Not a multiple of 128 x 64: columns of 7, bands of 62 (the cells of
      // a band take 7 or 8 lines), the right and bottom edges stay grey.
      {0, 0x01, {1000, 500}, {0, 0, 7, 8}},
      {1023, 0x80, {1000, 500}, {889, 489, 7, 7}},
  };
  const QRgb grey = qRgb(192, 192, 192);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.size.width() * 10000 + c.at);
    EchoImage picture{};
    picture[c.at] = c.bits;
    QImage image(c.size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintEchoPicture(painter, c.size, picture);
    painter.end();
    QRect black;
    int others = 0;
    for (int y = 0; y < image.height(); ++y) {
      for (int x = 0; x < image.width(); ++x) {
        const QRgb p = image.pixel(x, y);
        if (p == qRgb(0, 0, 0)) {
          black |= QRect(x, y, 1, 1);
        } else if (p != grey) {
          ++others;
        }
      }
    }
    EXPECT_EQ(black, c.black);
    EXPECT_EQ(others, 0);
  }
}

TEST(EchoScreen, PlaybackOfAFile) {
  TempDir dir;
  AppContext context;
  context.settings.Language = languageIndex(kEnglish);
  const std::string path = dir.file("five.ech");
  EchoImage picture{};
  for (std::uint8_t k = 1; k <= 5; ++k) {
    picture.fill(k);
    ASSERT_TRUE((k == 1 ? startEchoFile(path, picture) : appendEchoImage(path, picture)).ok());
  }
  FakeUserInterface ui;
  EchoDialog d(context);
  ASSERT_TRUE(d.open(ScreenSource::file(path)));
  EXPECT_TRUE(d.findChild<QProgressBar*>("progressBar")->isHidden());
  EXPECT_TRUE(d.findChild<QComboBox*>("comboScreen")->isHidden());
  EXPECT_EQ(labelText(d, "labelTopLine").toStdString(), path);
  ASSERT_TRUE(waitFor([&] { return !labelText(d, "labelSecondLine").isEmpty(); }, 2000));
  EXPECT_EQ(labelText(d, "labelSecondLine"), QString::fromUtf8("Total Records=5  Record N°=1"));
  EXPECT_EQ(shownButtons(d), "0010101");  // PGD, PRINT, END
  EXPECT_EQ(d.picture()->image()[0], 1);

  d.button(B::kEnd)->click();
  ASSERT_TRUE(waitFor([&] { return d.picture()->image()[0] == 5; }, 2000));
  EXPECT_EQ(labelText(d, "labelSecondLine"), QString::fromUtf8("Total Records=5  Record N°=5"));
  EXPECT_EQ(shownButtons(d), "0001110");  // PGU, PRINT, HOME
  d.button(B::kPgu)->click();
  ASSERT_TRUE(waitFor([&] { return d.picture()->image()[0] == 4; }, 2000));
  EXPECT_EQ(shownButtons(d), "0011111");

  // Escape is swallowed; the close box closes at once on a file.
  d.show();
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QApplication::sendEvent(&d, &escape);
  EXPECT_TRUE(d.isVisible());
  d.close();
  EXPECT_FALSE(d.isVisible());
  EXPECT_TRUE(ui.messages.empty());

  // A record size of 0 is refused with its reason.
  testing::putFile(path, Bytes{0, 0, 1, 2});
  EchoDialog zero(context);
  EXPECT_FALSE(zero.open(ScreenSource::file(path)));
  ASSERT_EQ(ui.messages.size(), 1u);
  EXPECT_TRUE(ui.messages[0].text.contains("Record size of 0"))
      << ui.messages[0].text.toStdString();
}

}  // namespace
}  // namespace flowdesk
