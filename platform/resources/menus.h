// Menus, menu bars and accelerator tables as data: what the window library
// turns into popup menus, soft keys, icon bars and shortcuts. Compiled in
// from resources/menus/menus.json. Texts are string-table ids (LoadString);
// commands are the ids the windows receive (1 OK, 2 Cancel, 9 Help, 40000 and
// up the program's commands).
#pragma once

#include <QByteArrayView>
#include <QKeySequence>
#include <QString>
#include <optional>
#include <vector>

namespace cw {

struct MenuItem {
  bool separator = false;
  int command = 0;  // 0 for a separator
  int text = 0;     // string id; 0 for a separator
};

struct MenuPopup {
  int text = 0;  // string id of the popup's title
  std::vector<MenuItem> items;
};

struct MenuResource {
  int id = 0;
  std::vector<MenuPopup> popups;
};

struct MenuBarButton {
  bool separator = false;
  int command = 0;
  int text = 0;
  int image = -1;  // index into the bar's image strip; -1 for none
  int popup = -1;  // popup of the bar's menu that the button opens; -1 for none
};

// A menu bar: soft keys (two buttons) or an icon bar (buttons with images
// and separators). Buttons with a popup open that popup of `menu`.
struct MenuBarResource {
  int id = 0;
  int menu = 0;  // menu resource id; 0 when no button opens a popup
  std::vector<MenuBarButton> buttons;
};

struct Accelerator {
  QKeySequence keys;
  int command = 0;
};

struct AcceleratorTable {
  int id = 0;
  std::vector<Accelerator> entries;
};

struct MenuResources {
  std::vector<MenuResource> menus;
  std::vector<MenuBarResource> menuBars;
  std::vector<AcceleratorTable> accelerators;
};

// The compiled-in resources; null when there is no such id.
const MenuResource* FindMenu(int id);
const MenuBarResource* FindMenuBar(int id);
const AcceleratorTable* FindAccelerators(int id);
// The popup that `button` of `bar` opens; null when it opens none.
const MenuPopup* ButtonPopup(const MenuBarResource& bar, const MenuBarButton& button);

// Parses the source form of resources/menus/menus.json. Answers none, with
// the reason in `error`, when anything is missing, malformed or refers to a
// menu or popup that does not exist.
std::optional<MenuResources> ParseMenuResources(QByteArrayView json, QString* error = nullptr);

}  // namespace cw
