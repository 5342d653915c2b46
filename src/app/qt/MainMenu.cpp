// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/qt/MainMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

#include "base/Texts.h"

namespace flowdesk {

namespace {

class MenuBuilder {
 public:
  MenuBuilder(Language language, const CommandAvailable& available)
      : language_(language), available_(available) {}

  MenuNode command(const BilingualText& text, int id) const {
    MenuNode n;
    n.text = text.text(language_);
    n.command = id;
    n.enabled = !available_ || available_(id);
    return n;
  }

  MenuNode menu(const BilingualText& text, std::vector<MenuNode> children) const {
    MenuNode n;
    n.text = text.text(language_);
    n.children = std::move(children);
    return n;
  }

  static MenuNode separator() {
    MenuNode n;
    n.separator = true;
    return n;
  }

 private:
  Language language_;
  const CommandAvailable& available_;
};

}  // namespace

std::vector<MenuNode> buildMainMenu(const ModeFlags& flags, Language language,
                                    const CommandAvailable& available, bool openAsPlot) {
  const MenuBuilder b(language, available);

  std::vector<MenuNode> newFiles{b.command(kTxtMenuCalibration, kCmdNewCalibration)};
  if (flags.factory) {
    newFiles.push_back(MenuBuilder::separator());
    newFiles.push_back(b.command(kTxtMenuFactorySettings, kCmdNewFactorySettings));
  }
  if (flags.maker) {
    newFiles.push_back(MenuBuilder::separator());
    newFiles.push_back(b.command(kTxtMenuNorvadineSettings, kCmdNewMakerSettings));
    newFiles.push_back(b.command(kTxtMenuSpFile, kCmdNewSpecialProbe));
  }

  MenuNode asPlot = b.command(kTxtMenuOpenAsPlot, kCmdOpenAsPlot);
  asPlot.checkable = true;
  asPlot.checked = openAsPlot;
  std::vector<MenuNode> file{b.command(kTxtMenuOpen, kCmdOpen), std::move(asPlot),
                             b.menu(kTxtMenuNew, std::move(newFiles)), MenuBuilder::separator(),
                             b.command(kTxtMenuExit, kCmdExit)};

  std::vector<MenuNode> dialogue{
      b.command(kTxtMenuMeasurement, kCmdMeasurement),
      b.command(kTxtMenuCalibration, kCmdCalibration),
      b.command(kTxtMenuEchoDisplay, kCmdEchoDisplay),
      b.menu(kTxtMenuLogger, {b.command(kTxtMenuCalibration, kCmdLoggerConfiguration),
                              b.command(kTxtMenuDisplay, kCmdLoggerDisplay)})};
  if (flags.factory) {
    dialogue.push_back(MenuBuilder::separator());
    dialogue.push_back(b.command(kTxtMenuFactorySettings, kCmdFactorySettings));
  }
  if (flags.maker) {
    dialogue.push_back(MenuBuilder::separator());
    dialogue.push_back(b.command(kTxtMenuNorvadineSettings, kCmdMakerSettings));
  }
  if (flags.initialisation) {
    dialogue.push_back(MenuBuilder::separator());
    dialogue.push_back(b.command(kTxtMenuInitialization, kCmdInitialisation));
  }

  std::vector<MenuNode> menu;
  menu.push_back(b.menu(kTxtMenuFile, std::move(file)));
  menu.push_back(b.menu(kTxtMenuDialogue, std::move(dialogue)));
  menu.push_back(
      b.menu(kTxtMenuConfiguration, {b.command(kTxtMenuConfiguration, kCmdConfiguration)}));
  menu.push_back(b.menu(kTxtMenuAbout, {b.command(kTxtMenuAbout, kCmdAbout)}));
  return menu;
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
