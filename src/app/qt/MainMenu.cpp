// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/MainMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>
#include <optional>

#include "base/Texts.h"

namespace flowdesk {

bool switchedOn(ModeSwitch mode, const ModeFlags& flags) {
  switch (mode) {
    case ModeSwitch::kFactory:
      return flags.factory;
    case ModeSwitch::kMaker:
      return flags.maker;
    case ModeSwitch::kInitialisation:
      return flags.initialisation;
    case ModeSwitch::kNone:
      break;
  }
  return true;
}

namespace {

// The menus themselves: where each stands (a menu of the bar has no parent)
// and its title.
struct MenuTitle {
  Menu menu;
  std::optional<Menu> parent;
  int rank;
  const BilingualText& title;
};

const MenuTitle kMenus[] = {
    {Menu::kFile, std::nullopt, 1, kTxtMenuFile},
    {Menu::kNew, Menu::kFile, 30, kTxtMenuNew},
    {Menu::kDialogue, std::nullopt, 2, kTxtMenuDialogue},
    {Menu::kLogger, Menu::kDialogue, 40, kTxtMenuLogger},
    {Menu::kConfiguration, std::nullopt, 3, kTxtMenuConfiguration},
    {Menu::kAbout, std::nullopt, 4, kTxtMenuAbout},
};

class MenuBuilder {
 public:
  MenuBuilder(const std::vector<MenuEntry>& entries, const ModeFlags& flags, Language language,
              const CommandAvailable& available, const CommandChecked& checked)
      : entries_(entries),
        flags_(flags),
        language_(language),
        available_(available),
        checked_(checked) {}

  // The entries and sub-menus of `parent` (the bar when empty).
  std::vector<MenuNode> contents(std::optional<Menu> parent) const {
    struct Item {
      int rank;
      ModeSwitch mode;
      bool separatorBefore;
      MenuNode node;
    };
    std::vector<Item> items;
    for (const MenuTitle& m : kMenus) {
      if (m.parent != parent) continue;
      MenuNode n;
      n.text = m.title.text(language_);
      n.children = contents(m.menu);
      if (n.isSubMenu()) items.push_back({m.rank, ModeSwitch::kNone, false, std::move(n)});
    }
    for (const MenuEntry& e : entries_) {
      if (!parent || e.place.menu != *parent || !switchedOn(e.mode, flags_)) continue;
      MenuNode n;
      n.text = e.text.text(language_);
      n.command = e.command;
      n.enabled = !available_ || available_(e.command);
      n.checkable = e.checkable;
      n.checked = e.checkable && checked_ && checked_(e.command);
      items.push_back({e.place.rank, e.mode, e.separatorBefore, std::move(n)});
    }
    std::stable_sort(items.begin(), items.end(),
                     [](const Item& a, const Item& b) { return a.rank < b.rank; });
    std::vector<MenuNode> nodes;
    for (std::size_t i = 0; i < items.size(); ++i) {
      if (i > 0 && (items[i].separatorBefore || items[i].mode != items[i - 1].mode)) {
        MenuNode separator;
        separator.separator = true;
        nodes.push_back(std::move(separator));
      }
      nodes.push_back(std::move(items[i].node));
    }
    return nodes;
  }

 private:
  const std::vector<MenuEntry>& entries_;
  const ModeFlags& flags_;
  Language language_;
  const CommandAvailable& available_;
  const CommandChecked& checked_;
};

}  // namespace

std::vector<MenuNode> buildMainMenu(const std::vector<MenuEntry>& entries, const ModeFlags& flags,
                                    Language language, const CommandAvailable& available,
                                    const CommandChecked& checked) {
  return MenuBuilder(entries, flags, language, available, checked).contents(std::nullopt);
}

namespace {

void addNodes(QMenu& menu, const std::vector<MenuNode>& nodes,
              const std::function<void(int)>& onCommand) {
  for (const MenuNode& n : nodes) {
    if (n.separator) {
      menu.addSeparator();
    } else if (n.isSubMenu()) {
      QMenu* sub = menu.addMenu(QString::fromStdString(n.text));
      addNodes(*sub, n.children, onCommand);
    } else {
      QAction* a = menu.addAction(QString::fromStdString(n.text));
      a->setData(n.command);
      a->setObjectName(QStringLiteral("command%1").arg(n.command));
      a->setEnabled(n.enabled);
      a->setCheckable(n.checkable);
      a->setChecked(n.checked);
      const int command = n.command;
      QObject::connect(a, &QAction::triggered, a, [onCommand, command] {
        if (onCommand) onCommand(command);
      });
    }
  }
}

}  // namespace

void fillMenuBar(QMenuBar& bar, const std::vector<MenuNode>& menu,
                 const std::function<void(int command)>& onCommand) {
  // clear() leaves the old sub-menus alive as children of the bar; delete
  // them so rebuilding on each language change does not pile them up.
  const auto oldMenus = bar.findChildren<QMenu*>(QString(), Qt::FindDirectChildrenOnly);
  bar.clear();
  qDeleteAll(oldMenus);
  for (const MenuNode& top : menu) {
    QMenu* m = bar.addMenu(QString::fromStdString(top.text));
    addNodes(*m, top.children, onCommand);
  }
}

}  // namespace flowdesk
