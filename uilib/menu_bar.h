// The menu bar at the bottom of a top-level window or dialog frame: two soft
// keys, or icon buttons with a Menu button, each a command or a popup menu.
// A window created with both forms switches between them at run time.
// Commands reach the owner as WM_COMMAND (code kCommandFromMenu); a popup is
// bracketed by WM_ENTERMENULOOP and WM_EXITMENULOOP, and its command follows
// the WM_EXITMENULOOP.
#pragma once

#include <QImage>
#include <QPointer>
#include <QString>
#include <optional>
#include <vector>

class QAbstractButton;
class QWidget;

namespace cw {

class CeMsgWnd;
struct MenuBarResource;
struct MenuResource;

// A menu bar with its texts loaded and its popups looked up.
struct MenuBarLayout {
  struct PopupEntry {
    unsigned command = 0;
    QString text;  // empty for a separator
  };
  struct Button {
    bool separator = false;
    unsigned command = 0;
    QString text;
    int image = -1;  // index into the image strip, -1 for text
    std::vector<PopupEntry> popup;  // empty: the button is a command
  };
  std::vector<Button> buttons;
};

// Loads the texts of `bar` from the string table and takes its popups from
// `menu` (the bar's menu resource; null when none of its buttons opens one).
MenuBarLayout ResolveMenuBar(const MenuBarResource& bar, const MenuResource* menu);
// The same for a compiled-in menu bar; none when there is no such bar or its
// menu is missing.
std::optional<MenuBarLayout> LoadMenuBar(int menuBarId);

class CMenuBar {
 public:
  CMenuBar();
  ~CMenuBar();
  CMenuBar(const CMenuBar&) = delete;
  CMenuBar& operator=(const CMenuBar&) = delete;

  // Both forms; `images` is a strip of `imageCount` equal pictures side by
  // side. False when the owner has no place for a menu bar, the soft keys
  // are not one or two buttons, or a button names a picture the strip lacks.
  bool Create(CeMsgWnd& owner, MenuBarLayout iconBar, MenuBarLayout softKeys,
              const QImage& images, int imageCount, bool softkeyMode);
  // Soft keys only.
  bool Create(CeMsgWnd& owner, MenuBarLayout softKeys);
  // From compiled-in menu bar resources (false when one is missing).
  bool Create(CeMsgWnd& owner, int iconBarId, int softKeyBarId, const QImage& images,
              int imageCount, bool softkeyMode);
  bool Create(CeMsgWnd& owner, int softKeyBarId);

  // Ignored when the bar was created without an icon form.
  void SetSoftkeyMode(bool softkeys);
  bool IsSoftkeyMode() const { return softkeyMode_; }

  QWidget* Widget() const { return bar_; }
  // The buttons of the form shown, in order; null for a separator.
  std::vector<QAbstractButton*> Buttons() const;
  // The bar's height in device pixels.
  int Height() const;

 private:
  void Rebuild();
  QAbstractButton* MakeButton(const MenuBarLayout::Button& button, bool iconForm);

  QPointer<QWidget> ownerClient_;
  QPointer<QWidget> bar_;
  MenuBarLayout iconBar_;
  MenuBarLayout softKeys_;
  std::vector<QImage> images_;
  std::vector<QPointer<QAbstractButton>> buttons_;
  bool hasIconForm_ = false;
  bool softkeyMode_ = true;
};

}  // namespace cw
