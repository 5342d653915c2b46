// SPDX-License-Identifier: GPL-3.0-or-later
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QWidget>
#include <cmath>
#include <vector>

#include "base/Texts.h"
#include "base/qt/Bindings.h"
#include "support/FakeUserInterface.h"

namespace flowdesk {
namespace {

template <typename W>
W* add(QWidget& window, const char* name) {
  auto* w = new W(&window);
  w->setObjectName(QString::fromLatin1(name));
  return w;
}

QLineEdit* edit(QWidget& window, const char* name) {
  return window.findChild<QLineEdit*>(QString::fromLatin1(name));
}

// The pool messages as critical boxes over the window that binds, without a
// caption; anything else arriving at the fake is a fault too.
QStringList poolMessages(const testing::FakeUserInterface& ui, const QWidget& window) {
  QStringList texts;
  for (const auto& m : ui.messages) {
    EXPECT_EQ(m.icon, UserInterface::Icon::kCritical);
    EXPECT_TRUE(m.caption.isEmpty());
    EXPECT_EQ(m.parent, &window);
    texts << m.text;
  }
  return texts;
}

TEST(FieldBindings, ShowClampsInPlaceAndFormats) {
  const struct {
    float value;
    const char* format;
    double min, max;
    const char* shown;
    float stored;
  } cases[] = {
      {150, "%.0f", 0, 100, "100", 100},
      {-3, "%.0f", 0, 100, "0", 0},
      {NAN, "%.1f", 2, 9, "2.0", 2},
      {5.25f, "%.2f", 0, 10, "5.25", 5.25f},
      // the empty format: adaptive precision
      {1.23456f, "", -1e9, 1e9, "1.235", 1.23456f},
      {12.3456f, "", -1e9, 1e9, "12.35", 12.3456f},
      {123.456f, "", -1e9, 1e9, "123.5", 123.456f},
      {12345.6f, "", -1e9, 1e9, "12350", 12345.6f},
      {123456, "", -1e9, 1e9, "123500", 123456},
      {2000000, "", -1e9, 1e9, "999999", 2000000},
  };
  QWidget window;
  std::vector<float> vars;
  for (const auto& c : cases) vars.push_back(c.value);
  std::vector<std::string> names;
  for (std::size_t i = 0; i < vars.size(); ++i) names.push_back("edit" + std::to_string(i));
  std::vector<FieldBinding> rows;
  for (std::size_t i = 0; i < vars.size(); ++i) {
    add<QLineEdit>(window, names[i].c_str());
    rows.push_back({names[i].c_str(), &vars[i], cases[i].format, cases[i].min, cases[i].max});
  }
  showNumbers(window, rows);
  for (std::size_t i = 0; i < vars.size(); ++i) {
    EXPECT_EQ(edit(window, names[i].c_str())->text().toStdString(), cases[i].shown) << i;
    EXPECT_FLOAT_EQ(vars[i], cases[i].stored) << i;
  }
}

TEST(FieldBindings, ReadTakesLeadingNumberThenClampsAndShowsAgain) {
  const struct {
    const char* typed;
    const char* format;
    double min, max;
    bool whole;
    float stored;
    const char* shown;
  } cases[] = {
      {"300", "%.0f", 0, 255, false, 255, "255"},
      {"abc", "%.0f", 0, 255, false, 0, "0"},
      {"abc", "%.1f", 5, 9, false, 5, "5.0"},  // no number reads 0, then clamps
      {"12.5kg", "%.2f", 0, 100, false, 12.5f, "12.50"},
      {"  -7.25", "", -10, 10, false, -7.25f, "-7.250"},
      {"1e3", "%.0f", 0, 5000, false, 1000, "1000"},
      // whole numbers: parsed as an integer, stored as a float
      {"42.9", "%d", 0, 100, true, 42, "42"},
      {"999", "%d", 0, 255, true, 255, "255"},
      {"", "%d", 1, 9, true, 1, "1"},
      {"x7", "%d", 0, 9, true, 0, "0"},
      {"-12", "%4d", -50, 50, true, -12, " -12"},
  };
  for (const auto& c : cases) {
    QWidget window;
    add<QLineEdit>(window, "value")->setText(QString::fromUtf8(c.typed));
    float var = 99;
    const FieldBinding rows[] = {{"value", &var, c.format, c.min, c.max}};
    if (c.whole) {
      readWholeNumbers(window, rows);
    } else {
      readNumbers(window, rows);
    }
    EXPECT_FLOAT_EQ(var, c.stored) << c.typed;
    EXPECT_EQ(edit(window, "value")->text().toStdString(), c.shown) << c.typed;
  }
}

TEST(FieldBindings, WholeNumbersAreTruncatedWhenShown) {
  QWidget window;
  add<QLineEdit>(window, "a");
  add<QLineEdit>(window, "b");
  float a = 12.9f, b = -3.7f;
  const FieldBinding rows[] = {{"a", &a, "%d", 0, 255}, {"b", &b, "%03d", -255, 255}};
  showWholeNumbers(window, rows);
  EXPECT_EQ(edit(window, "a")->text(), "12");
  EXPECT_EQ(edit(window, "b")->text(), "-03");
  EXPECT_FLOAT_EQ(a, 12.9f);  // clamped, not truncated, in memory
}

TEST(TextBindings, ReadCutsToMaximumCharacters) {
  QWidget window;
  add<QLineEdit>(window, "name")->setText(QStringLiteral("Sonde n°1 étalon"));
  std::string name = "old";
  const TextBinding rows[] = {{"name", &name, 8}};
  readTexts(window, rows);
  EXPECT_EQ(name, "Sonde n°");  // eight characters, "°" counting as one
  EXPECT_EQ(edit(window, "name")->text(), QStringLiteral("Sonde n°"));
  name = "SP N°1";
  showTexts(window, rows);
  EXPECT_EQ(edit(window, "name")->text(), QStringLiteral("SP N°1"));
}

constexpr const char* kThree[] = {"Un", "Deux", "Trois", "One", "Two", "Three"};
constexpr ValueList kThreeList{kThree, true};
constexpr const char* kHoles[] = {"A", "B", "", "D"};
constexpr ValueList kHolesList{kHoles, false};

QStringList itemsOf(const QComboBox* combo) {
  QStringList items;
  for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
  return items;
}

TEST(ComboBindings, FillShowsFirstNItemsInTheLanguageAndSelects) {
  const struct {
    const ValueList* list;
    int n;
    Language language;
    std::int32_t variable;
    QStringList items;
    int selected;
    std::int32_t stored;
  } cases[] = {
      {&kThreeList, 3, kEnglish, 2, {"One", "Two", "Three"}, 2, 2},
      // N smaller than the list: the English half still starts at the list's own N
      {&kThreeList, 2, kEnglish, 1, {"One", "Two"}, 1, 1},
      {&RelayTypeList, 4, kEnglish, 0, {"Open", "Close", "Totalizer 1", "Totalizer 2"}, 0, 0},
      {&kThreeList, 2, kFrench, 0, {"Un", "Deux"}, 0, 0},
      // an index at or beyond N selects the first item, and is stored
      {&kThreeList, 3, kFrench, 3, {"Un", "Deux", "Trois"}, 0, 0},
      {&kThreeList, 3, kFrench, 70000, {"Un", "Deux", "Trois"}, 0, 0},
      {&kThreeList, 3, kFrench, -1, {"Un", "Deux", "Trois"}, 0, 0},
      // a language-independent list is the same in both languages
      {&PortList, 4, kEnglish, 3, {"Com1", "Com2", "Com3", "Com4"}, 3, 3},
      // an empty item ends the list; an index past it but inside N selects nothing
      {&kHolesList, 4, kFrench, 1, {"A", "B"}, 1, 1},
      {&kHolesList, 4, kFrench, 3, {"A", "B"}, -1, 3},
      // N of 0: the whole list
      {&kThreeList, 0, kEnglish, 2, {"One", "Two", "Three"}, 2, 2},
      {&kThreeList, 0, kFrench, 3, {"Un", "Deux", "Trois"}, 0, 0},
      {&kHolesList, 0, kFrench, 3, {"A", "B"}, -1, 3},
  };
  for (const auto& c : cases) {
    QWidget window;
    auto* combo = add<QComboBox>(window, "list");
    combo->addItem(QStringLiteral("stale"));
    std::int32_t var = c.variable;
    const ComboBinding rows[] = {{"list", &var, c.n, c.list}};
    fillLists(window, rows, c.language);
    EXPECT_EQ(itemsOf(combo), c.items) << c.variable;
    EXPECT_EQ(combo->currentIndex(), c.selected) << c.variable;
    EXPECT_EQ(var, c.stored) << c.variable;
    // reading back never stores "no selection" as -1
    readLists(window, rows);
    EXPECT_EQ(var, c.stored) << c.variable;
  }
}

TEST(ComboBindings, SelectReadAndShowListTexts) {
  QWidget window;
  auto* combo = add<QComboBox>(window, "list");
  auto* label = add<QLabel>(window, "text");
  std::int32_t var = 1;
  const ComboBinding rows[] = {{"list", &var, 3, &kThreeList}};
  fillLists(window, rows, kFrench);
  combo->setCurrentIndex(2);
  readLists(window, rows);
  EXPECT_EQ(var, 2);
  var = 0;
  selectLists(window, rows);
  EXPECT_EQ(combo->currentIndex(), 0);

  const struct {
    std::int32_t var;
    int n;
    Language language;
    const char* shown;
  } texts[] = {{1, 3, kEnglish, "Two"},  {1, 3, kFrench, "Deux"},    {3, 3, kFrench, "*****"},
               {2, 2, kFrench, "*****"}, {-1, 3, kEnglish, "*****"}, {2, 0, kFrench, "Trois"},
               {3, 0, kFrench, "*****"}};
  for (const auto& t : texts) {
    std::int32_t v = t.var;
    const ComboBinding row[] = {{"text", &v, t.n, &kThreeList}};
    showListTexts(window, row, t.language);
    EXPECT_EQ(label->text().toStdString(), t.shown) << t.var << "/" << t.n;
  }
}

TEST(BindingLimits, FiftyListsAndFiftyChecksThroughAPool) {
  for (const bool checks : {false, true}) {
    testing::FakeUserInterface ui;
    QWidget window;
    std::vector<std::string> names;
    for (int i = 0; i < 51; ++i) names.push_back("c" + std::to_string(i));
    std::vector<std::int32_t> indexes(51, 0);
    std::vector<std::uint8_t> states(51, 1);
    std::vector<ComboBinding> lists;
    std::vector<CheckBinding> boxes;
    for (int i = 0; i < 51; ++i) {
      if (checks) {
        add<QCheckBox>(window, names[i].c_str());
        boxes.push_back({names[i].c_str(), &states[i], kTxtLogger});
      } else {
        add<QComboBox>(window, names[i].c_str());
        lists.push_back({names[i].c_str(), &indexes[i], 4, &PortList});
      }
    }
    const auto fill = [&](std::size_t count, BindingPool* pool) {
      if (checks) {
        setChecks(window, std::span(boxes).first(count), kFrench, pool);
      } else {
        fillLists(window, std::span(lists).first(count), kFrench, pool);
      }
    };
    const QString full = checks ? "Taille Button Trop faible" : "Taille ComboBox Trop faible";
    const auto lastIsBound = [&] {
      const QString last = QString::fromStdString(names[50]);
      if (checks) return window.findChild<QCheckBox*>(last)->isChecked();
      return window.findChild<QComboBox*>(last)->count() > 0;
    };

    fill(50, nullptr);
    fill(50, nullptr);  // binding the same controls again takes no new place
    EXPECT_TRUE(ui.messages.empty()) << checks;
    fill(51, nullptr);
    EXPECT_EQ(poolMessages(ui, window), QStringList{full}) << checks;
    EXPECT_FALSE(lastIsBound()) << checks;

    // a screen with a pool of its own has no such limit
    ui.messages.clear();
    BindingPool own(BindingPool::kUnlimited);
    fill(51, &own);
    EXPECT_TRUE(ui.messages.empty()) << checks;
    EXPECT_TRUE(lastIsBound()) << checks;
  }
}

TEST(CheckBindings, SetReadSelectAndLabels) {
  QWidget window;
  auto* a = add<QCheckBox>(window, "a");
  auto* b = add<QCheckBox>(window, "b");
  std::uint8_t va = 1, vb = 0;
  const CheckBinding rows[] = {{"a", &va, kTxtLogger}, {"b", &vb, kTxtSpreadsheet}};
  setChecks(window, rows, kEnglish);
  EXPECT_TRUE(a->isChecked());
  EXPECT_FALSE(b->isChecked());
  EXPECT_EQ(b->text(), "SpreadSheet");
  a->setChecked(false);
  b->setChecked(true);
  readChecks(window, rows);
  EXPECT_EQ(va, 0);
  EXPECT_EQ(vb, 1);
  va = 1;
  b->setText(QStringLiteral("kept"));
  selectChecks(window, rows);
  EXPECT_TRUE(a->isChecked());
  EXPECT_EQ(b->text(), "kept");  // labels untouched
}

TEST(LabelBindings, BothLanguagesOnEveryKindOfControl) {
  QWidget window;
  auto* label = add<QLabel>(window, "label");
  auto* button = add<QCheckBox>(window, "button");
  const LabelBinding rows[] = {
      {"label", kTxtLanguage}, {"button", kTxtBrowse}, {"absent", kTxtCom}};
  setLabels(window, rows, kFrench);
  EXPECT_EQ(label->text(), "Langue");
  EXPECT_EQ(button->text(), "Parcourir");
  setLabels(window, rows, kEnglish);
  EXPECT_EQ(label->text(), "Language");
  EXPECT_EQ(button->text(), "Browse");
}

// Qt's warnings while alive.
struct WarningCatcher {
  static inline QStringList* caught = nullptr;
  QStringList warnings;
  QtMessageHandler previous;
  WarningCatcher() {
    caught = &warnings;
    previous =
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext&, const QString& text) {
          if (type == QtWarningMsg) *caught << text;
        });
  }
  ~WarningCatcher() {
    qInstallMessageHandler(previous);
    caught = nullptr;
  }
};

TEST(BindingRows, AMissingControlIsNamedNotSkippedSilently) {
  QWidget window;
  window.setObjectName(QStringLiteral("CSomeDlg"));
  add<QLabel>(window, "label");
  add<QLabel>(window, "list");  // a label where the row expects a drop-down list
  std::int32_t index = 0;
  const BindingRows rows{.labels = {{"label", kTxtCom}, {"absent", kTxtCom}},
                         .combos = {{"list", &index, 0, &PortList}},
                         .checks = {{"label", nullptr, kTxtCom}}};
  WarningCatcher catcher;
  setLabels(window, rows.labels, kFrench);
  fillLists(window, rows.combos, kFrench);
  ASSERT_EQ(catcher.warnings.size(), 2) << catcher.warnings.join('\n').toStdString();
  EXPECT_TRUE(catcher.warnings[0].contains("CSomeDlg")) << catcher.warnings[0].toStdString();
  EXPECT_TRUE(catcher.warnings[0].contains("\"absent\"")) << catcher.warnings[0].toStdString();
  EXPECT_TRUE(catcher.warnings[1].contains("QComboBox")) << catcher.warnings[1].toStdString();
  // each name once, in row order, whatever kinds bind it
  EXPECT_EQ(boundControls(rows), (std::vector<std::string>{"label", "absent", "list"}));
}

}  // namespace
}  // namespace flowdesk
