// The live measurement screen against flowdesk-unit on its pseudo-terminal:
// that it fills at its first poll, in either language, and SAVEDISK
// recording until ARRETDISK.
#include <gtest/gtest.h>

#include <QTableWidget>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>

#include "base/qt/PictureButton.h"
#include "link/AppContext.h"
#include "link/FrameTrace.h"
#include "measure/qt/MeasurementDialog.h"
#include "measure/qt/TrendGraphView.h"
#include "support/FakeUserInterface.h"
#include "support/Processes.h"
#include "support/ScreenProbes.h"
#include "support/TestFiles.h"

namespace flowdesk {
namespace {

using B = MeasurementButton;
using testing::FakeUserInterface;
using testing::TempDir;

constexpr int kFrench = 0;
constexpr int kEnglish = 1;

using testing::labelText;
using testing::waitFor;

std::string shownButtons(const MeasurementDialog& d) {
  return testing::shownButtons<MeasurementButton>(d, kMeasurementButtons);
}

// The virtual unit at 9600 baud on Com1.
struct LiveUnit {
  testing::UnitProcess unit{{"--baud", "9600"}};
  AppContext context;
  explicit LiveUnit(int language) {
    EXPECT_FALSE(unit.device().empty());
    context.deviceOverride = {unit.device(), "", "", ""};
    context.settings.Com = 0;
    context.settings.Bauds = 5;
    context.settings.Jbus = 1;
    context.settings.Language = language;
    context.master.identificationDone = true;
  }
};

// The requests the screen sends, counted as the frame trace sees them, and
// how many of them went out before the flow value was shown.
class RequestCount {
 public:
  explicit RequestCount(std::function<bool()> shown) {
    frameTrace().setSink([this, shown = std::move(shown)](const std::string& line) {
      if (line.find("] TX") == std::string::npos) return;
      ++sent;
      if (!shown()) ++beforeShown;
    });
    frameTrace().setEnabled(true);
  }
  ~RequestCount() {
    frameTrace().setEnabled(false);
    frameTrace().setSink({});
  }
  RequestCount(const RequestCount&) = delete;
  RequestCount& operator=(const RequestCount&) = delete;
  int sent = 0;
  int beforeShown = 0;
};

// The screen fills at the first poll, which reads the four blocks: counted
// in requests rather than timed, so a busy machine changes nothing.
TEST(MeasurementScreen, LiveScreenFillsAtTheFirstPollInEitherLanguage) {
  for (const auto& [language, waiting, flowLabel] :
       {std::tuple{kFrench, "Attente de connection", "Débit"},
        std::tuple{kEnglish, "Trying to connect", "Flow"}}) {
    LiveUnit live(language);
    FakeUserInterface ui;
    MeasurementDialog d(live.context);
    RequestCount requests([&] { return !labelText(d, "valueFlow").isEmpty(); });
    ASSERT_TRUE(d.open(ScreenSource::unit()));
    EXPECT_EQ(labelText(d, "labelTopLine"), QString::fromUtf8(waiting));
    EXPECT_EQ(shownButtons(d), "00000000");
    EXPECT_EQ(labelText(d, "valueFlow"), "");
    ASSERT_TRUE(waitFor([&] { return !labelText(d, "valueFlow").isEmpty(); }, 5000));
    EXPECT_EQ(requests.beforeShown, 4) << "S1, S2, M1 and M2, once each";
    EXPECT_EQ(labelText(d, "labelTopLine"), "");
    EXPECT_EQ(labelText(d, "labelFlow"), QString::fromUtf8(flowLabel));
    EXPECT_EQ(shownButtons(d), "10001000");  // SAVEDISK and PRINT
    EXPECT_GT(d.findChild<QTableWidget*>("tableChords")->columnCount(), 1);
    EXPECT_TRUE(d.findChild<TrendGraphView*>("trendGraph")->hasInput());
    EXPECT_FALSE(labelText(d, "valueUnitDateTime").isEmpty());
    d.reject();
    EXPECT_FALSE(d.session().isOpen());
    EXPECT_TRUE(ui.messages.empty());
  }
}

TEST(MeasurementScreen, SaveDiskRecordsUntilArretDisk) {
  TempDir dir;
  LiveUnit live(kEnglish);
  FakeUserInterface ui;
  live.context.settings.LastPathName = dir.path() + "/";
  MeasurementDialog d(live.context);
  ASSERT_TRUE(d.open(ScreenSource::unit()));
  ASSERT_TRUE(waitFor([&] { return d.session().hasDisplay(); }, 2000));

  // Cancelling the prompt records nothing.
  d.button(B::kSaveDisk)->click();
  EXPECT_EQ(ui.fileRequests.size(), 1u);
  EXPECT_EQ(shownButtons(d), "10001000");

  ui.files.push_back(QString::fromStdString(dir.file("run")));
  d.button(B::kSaveDisk)->click();
  const std::string path = dir.file("run.mes");
  EXPECT_EQ(shownButtons(d), "01001000");  // ARRETDISK and PRINT
  ASSERT_TRUE(waitFor([&] { return d.session().recordCount() >= 3; }, 5000));
  EXPECT_EQ(labelText(d, "labelTopLine").toStdString(), path);
  EXPECT_TRUE(labelText(d, "labelSecondLine").startsWith(QString::fromUtf8("Record n° ")));

  d.button(B::kArretDisk)->click();
  const int records = d.session().recordCount();
  EXPECT_EQ(shownButtons(d), "00001000");
  ASSERT_TRUE(waitFor([&] { return !d.button(B::kSaveDisk)->isHidden(); }, 2000));
  EXPECT_EQ(std::filesystem::file_size(path), 318u + 370u * static_cast<unsigned>(records));
  EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
}  // namespace flowdesk
