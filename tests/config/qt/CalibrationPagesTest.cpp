// SPDX-License-Identifier: GPL-3.0-or-later
// The calibration sheet's two configuration pages offscreen: their rows
// against the .ui files, the core's visibility flags reaching the widgets,
// values stored when the focus leaves an edit (clamped), and Enter and
// Escape kept from the sheet.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "base/Clock.h"
#include "config/ConfigurationFields.h"
#include "config/ConfigurationSession.h"
#include "config/qt/InputsOutputsPage.h"
#include "config/qt/MeasurementPointPage.h"
#include "config/qt/SelectConfigurationPage.h"
#include "link/AppContext.h"
#include "support/BoundControls.h"
#include "support/FakeUserInterface.h"

namespace flowdesk {
namespace {

constexpr int kAngled = 5;  // the catalogue's probe with an angle

// A context on its own image, with defaults in the configuration.
struct Rig {
  DeviceImage image;
  AppContext context{systemClock(), image};
  ConfigurationSession session{context};
  Rig() {
    // Named up to the angled one: the list stops at the first empty name.
    for (int p = 0; p < kAngled; ++p) context.settings.probes[p] = {"P" + std::to_string(p), 0};
    context.settings.probes[kAngled] = {"T45", 4500};
    ConfigurationRegion& c = image.configuration;
    c.probe = 2;
    c.chordPairs = 1;
    c.diameterType = 0;
    c.product = 0;
    c.khType = 0;
    for (auto& chord : c.chords) chord.coefficient = 0.5f;
  }
};

bool shown(const QWidget& page, const char* control) {
  const auto* w = page.findChild<QWidget*>(QString::fromLatin1(control));
  EXPECT_NE(w, nullptr) << control;
  return w != nullptr && w->isVisibleTo(&page);
}

void leave(QWidget& page, const char* edit, const QString& text) {
  auto* e = page.findChild<QLineEdit*>(QString::fromLatin1(edit));
  ASSERT_NE(e, nullptr) << edit;
  e->setText(text);
  QFocusEvent out(QEvent::FocusOut);
  QApplication::sendEvent(e, &out);
}

void choose(QWidget& page, const char* combo, int index) {
  auto* c = page.findChild<QComboBox*>(QString::fromLatin1(combo));
  ASSERT_NE(c, nullptr) << combo;
  c->setCurrentIndex(index);
  emit c->activated(index);
}

QString textOf(const QWidget& page, const char* control) {
  if (auto* e = page.findChild<QLineEdit*>(QString::fromLatin1(control))) return e->text();
  if (auto* l = page.findChild<QLabel*>(QString::fromLatin1(control))) return l->text();
  return QStringLiteral("<missing %1>").arg(QLatin1String(control));
}

TEST(CalibrationPages, RowsMatchTheUiFilesAndTheCoreTables) {
  Rig rig;
  testing::FakeUserInterface ui;
  const SelectConfigurationPage select(rig.context, rig.session);
  const MeasurementPointPage point(rig.context, rig.session);
  const InputsOutputsPage io(rig.context, rig.session);
  EXPECT_TRUE(
      testing::boundControlsInUi(select.bindings(), "src/config/qt/SelectConfigurationPage.ui"));
  EXPECT_TRUE(
      testing::boundControlsInUi(point.bindings(), "src/config/qt/MeasurementPointPage.ui"));
  EXPECT_TRUE(testing::boundControlsInUi(io.bindings(), "src/config/qt/InputsOutputsPage.ui"));

  // Every field of the core's tables is bound, none twice.
  const ValueList none{};
  EXPECT_EQ(point.bindings().fields.size(), measurementPointEdits(rig.image).size());
  EXPECT_EQ(point.bindings().combos.size(), measurementPointLists(rig.image, none).size());
  EXPECT_EQ(io.bindings().fields.size(), inputsOutputsEdits(rig.image).size());
  EXPECT_EQ(io.bindings().combos.size(), inputsOutputsLists(rig.image).size());
  for (const BindingRows* rows : {&point.bindings(), &io.bindings()}) {
    const std::vector<std::string> names = boundControls(*rows);
    for (std::size_t i = 0; i < names.size(); ++i) {
      for (std::size_t j = i + 1; j < names.size(); ++j) EXPECT_NE(names[i], names[j]);
    }
  }
  EXPECT_TRUE(ui.messages.empty());
}

struct VisibilityCase {
  const char* name;
  std::function<void(ConfigurationRegion&)> setup;
  std::vector<std::pair<const char*, bool>> expected;
};

TEST(CalibrationPages, MeasurementPointShowsWhatTheCoreDecides) {
  const VisibilityCase cases[] = {
      {"one pair, probe without angle",
       [](ConfigurationRegion&) {},
       {{"frameKh", true},
        {"labelChord1", true},
        {"editLength1", true},
        {"editCi1", false},
        {"labelCiRow", false},
        {"labelChord2", false},
        {"editDeltaT02", false},
        {"comboMounting", false},
        {"comboMaterial", false},
        {"editThickness", false}}},
      {"three pairs, all Ci 1.000",
       [](ConfigurationRegion& c) {
         c.chordPairs = 3;
         for (int k = 0; k < 3; ++k) c.chords[k].coefficient = 1.0f;
       },
       {{"frameKh", true}, {"editCi3", true}, {"labelChord3", true}, {"labelChord4", false}}},
      {"three pairs, one Ci 0.999",
       [](ConfigurationRegion& c) {
         c.chordPairs = 3;
         for (int k = 0; k < 3; ++k) c.chords[k].coefficient = 1.0f;
         c.chords[1].coefficient = 0.999f;
       },
       {{"frameKh", false}, {"editKh", false}}},
      {"probe with an angle",
       [](ConfigurationRegion& c) {
         c.chordPairs = 3;
         c.probe = kAngled;
       },
       {{"frameKh", true},
        {"comboMounting", true},
        {"comboMaterial", true},
        {"editThickness", true},
        {"unitThickness", true},
        {"editLength1", false},
        {"labelLengthRow", false},
        {"editAxial2", false},
        {"editCi3", false},
        {"editDeltaT03", true},
        {"labelChord3", true}}},
      {"external diameter shows the thickness",
       [](ConfigurationRegion& c) { c.diameterType = 1; },
       {{"editThickness", true}, {"labelThickness", true}}},
      {"other product shows C0 and DeltaC",
       [](ConfigurationRegion& c) { c.product = 1; },
       {{"editC0", true}, {"unitC0", true}, {"editDeltaC", true}}},
      {"water hides C0 and DeltaC",
       [](ConfigurationRegion&) {},
       {{"editC0", false}, {"labelDeltaC", false}}},
      {"automatic KH",
       [](ConfigurationRegion&) {},
       {{"editKh", false}, {"editViscosity", true}, {"unitRoughness", true}}},
      {"manual KH",
       [](ConfigurationRegion& c) { c.khType = 1; },
       {{"editKh", true}, {"labelKh", true}, {"editViscosity", false}, {"editRoughness", false}}},
  };
  for (const VisibilityCase& c : cases) {
    Rig rig;
    c.setup(rig.image.configuration);
    MeasurementPointPage page(rig.context, rig.session);
    page.activate();
    for (const auto& [control, visible] : c.expected) {
      EXPECT_EQ(shown(page, control), visible) << c.name << ": " << control;
    }
  }
}

TEST(CalibrationPages, MeasurementPointFollowsEditsAndLists) {
  Rig rig;
  MeasurementPointPage page(rig.context, rig.session);
  page.activate();
  EXPECT_FALSE(shown(page, "labelChord3"));

  // Values are stored and clamped when the focus leaves, and the rules run.
  leave(page, "editChords", "9");
  EXPECT_EQ(rig.image.configuration.chordPairs, 6.0f);
  EXPECT_EQ(textOf(page, "editChords"), "6");
  EXPECT_TRUE(shown(page, "labelChord6"));
  leave(page, "editChords", "abc");
  EXPECT_EQ(textOf(page, "editChords"), "1");
  leave(page, "editCi1", "5000");
  EXPECT_EQ(textOf(page, "editCi1"), "999.000");
  leave(page, "editThickness", "-3");
  EXPECT_EQ(textOf(page, "editThickness"), "0.0");

  choose(page, "comboProbe", kAngled);
  EXPECT_EQ(rig.image.configuration.probe, kAngled);
  EXPECT_TRUE(shown(page, "comboMounting"));
  choose(page, "comboKhType", 1);
  EXPECT_TRUE(shown(page, "editKh"));
}

TEST(CalibrationPages, EveryTabStopIsAVisibleControl) {
  for (const float chords : {1.0f, 6.0f}) {
    SCOPED_TRACE(chords);
    Rig rig;
    rig.image.configuration.chordPairs = chords;
    MeasurementPointPage page(rig.context, rig.session);
    page.activate();
    page.show();
    QApplication::setActiveWindow(&page);
    page.findChild<QWidget*>(QStringLiteral("comboProbe"))->setFocus();
    QStringList visited;
    for (int n = 0; n < 80; ++n) {
      QWidget* focused = QApplication::focusWidget();
      ASSERT_NE(focused, nullptr);
      visited << focused->objectName();
      EXPECT_TRUE(focused->isVisible() && !focused->size().isEmpty())
          << focused->objectName().toStdString() << " after " << visited.join(',').toStdString();
      QTest::keyClick(focused, Qt::Key_Tab);
    }
  }
}

TEST(CalibrationPages, ProbeIndexOutsideTheNamedEntries) {
  const struct {
    std::int32_t stored;
    int selected;
    std::int32_t kept;
  } cases[] = {{30, 0, 0}, {25, -1, 25}};
  for (const auto& c : cases) {
    Rig rig;
    for (int p = 0; p < 20; ++p) rig.context.settings.probes[p].name = "P" + std::to_string(p);
    rig.image.configuration.probe = c.stored;
    MeasurementPointPage page(rig.context, rig.session);
    page.activate();
    EXPECT_EQ(page.findChild<QComboBox*>("comboProbe")->currentIndex(), c.selected) << c.stored;
    EXPECT_EQ(rig.image.configuration.probe, c.kept) << c.stored;
  }
}

TEST(CalibrationPages, InputsOutputsShowsWhatTheCoreDecides) {
  const VisibilityCase cases[] = {
      {"all off and open",
       [](ConfigurationRegion& c) {
         for (auto& t : c.totalizers) t.type = 0;
         for (auto& r : c.relays) r.type = 0;
       },
       {{"editWeight1", false},
        {"unitWeight2", false},
        {"editThreshold1", false},
        {"editThreshold4", false},
        {"comboPulseWidth", false},
        {"labelPulseWidth", false}}},
      {"totalizer 2 in KWh, relay 3 on totalizer 1, relay 4 on a threshold",
       [](ConfigurationRegion& c) {
         for (auto& r : c.relays) r.type = 0;
         c.totalizers[1].type = 4;
         c.relays[2].type = 2;
         c.relays[3].type = 8;
       },
       {{"editWeight2", true},
        {"labelWeight2", true},
        {"comboPulseWidth", true},
        {"editThreshold3", false},
        {"editThreshold4", true},
        {"labelThreshold4", true}}},
  };
  for (const VisibilityCase& c : cases) {
    Rig rig;
    c.setup(rig.image.configuration);
    InputsOutputsPage page(rig.context, rig.session);
    page.activate();
    for (const auto& [control, visible] : c.expected) {
      EXPECT_EQ(shown(page, control), visible) << c.name << ": " << control;
    }
  }

  Rig rig;
  InputsOutputsPage page(rig.context, rig.session);
  page.activate();
  choose(page, "comboTotalizer2", 4);
  EXPECT_TRUE(shown(page, "editWeight2"));
  EXPECT_EQ(textOf(page, "unitWeight2"), "KWh");
  choose(page, "comboTotalizer2", 1);
  EXPECT_EQ(textOf(page, "unitWeight2"), "m3");
  choose(page, "comboTotalizer2", 0);
  EXPECT_FALSE(shown(page, "editWeight2"));

  const struct {
    const char* edit;
    const char* typed;
    const char* shownText;
  } clamps[] = {
      {"editFilter", "75", "60"}, {"editMemory", "-1", "0"}, {"editWeight1", "0", "0.001"}};
  for (const auto& c : clamps) {
    leave(page, c.edit, QString::fromLatin1(c.typed));
    EXPECT_EQ(textOf(page, c.edit), QLatin1String(c.shownText)) << c.edit;
  }
}

TEST(CalibrationPages, EnterAndEscapeStoreNothingAndNeverReachTheSheet) {
  Rig rig;
  QDialog sheet;
  InputsOutputsPage page(rig.context, rig.session, &sheet);
  page.activate();
  sheet.show();
  auto* filter = page.findChild<QLineEdit*>("editFilter");
  const float before = rig.image.configuration.filter;
  filter->setText("42");
  for (const int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(filter, &press);
    QKeyEvent onPage(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(&page, &onPage);
  }
  EXPECT_TRUE(sheet.isVisible());
  EXPECT_EQ(rig.image.configuration.filter, before);
  leave(page, "editFilter", "42");
  EXPECT_EQ(rig.image.configuration.filter, 42.0f);
}

}  // namespace
}  // namespace flowdesk
