#include "uilib/menu_bar.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <cmath>

#include "platform/resources/menus.h"
#include "platform/resources/string_table.h"
#include "uilib/ce_msg_wnd.h"
#include "uilib/device_pixels.h"
#include "uilib/window_widgets.h"

namespace cw {

namespace {

// 26 pixels at 96 dpi, the handheld's menu bar.
constexpr int kBarHeight = 26;

void SendTo(const QPointer<QWidget>& client, unsigned msg, WPARAM wParam) {
  if (CeMsgWnd* window = CeMsgWnd::FromWidget(client)) window->SendMessage(msg, wParam, 0);
}

bool ValidSoftKeys(const MenuBarLayout& bar) {
  if (bar.buttons.empty() || bar.buttons.size() > 2) return false;
  for (const auto& button : bar.buttons) {
    if (button.separator) return false;
  }
  return true;
}

}  // namespace

MenuBarLayout ResolveMenuBar(const MenuBarResource& bar, const MenuResource* menu) {
  MenuBarLayout layout;
  for (const MenuBarButton& source : bar.buttons) {
    MenuBarLayout::Button button;
    button.separator = source.separator;
    button.command = static_cast<unsigned>(std::max(source.command, 0));
    button.text = source.text > 0 ? LoadString(source.text) : QString();
    button.image = source.image;
    if (menu != nullptr && source.popup >= 0 &&
        static_cast<std::size_t>(source.popup) < menu->popups.size()) {
      for (const MenuItem& item : menu->popups[static_cast<std::size_t>(source.popup)].items) {
        if (item.separator) {
          button.popup.push_back({0, QString()});
        } else {
          button.popup.push_back({static_cast<unsigned>(std::max(item.command, 0)), LoadString(item.text)});
        }
      }
    }
    layout.buttons.push_back(std::move(button));
  }
  return layout;
}

std::optional<MenuBarLayout> LoadMenuBar(int menuBarId) {
  const MenuBarResource* bar = FindMenuBar(menuBarId);
  if (bar == nullptr) return std::nullopt;
  const MenuResource* menu = nullptr;
  if (bar->menu != 0) {
    menu = FindMenu(bar->menu);
    if (menu == nullptr) return std::nullopt;
  }
  return ResolveMenuBar(*bar, menu);
}

CMenuBar::CMenuBar() = default;

CMenuBar::~CMenuBar() {
  if (!bar_.isNull()) {
    bar_->hide();
    // A button of the bar may be the sender of the signal being handled.
    bar_->deleteLater();
  }
}

bool CMenuBar::Create(CeMsgWnd& owner, MenuBarLayout iconBar, MenuBarLayout softKeys,
                      const QImage& images, int imageCount, bool softkeyMode) {
  if (!bar_.isNull() || !owner.IsWindow() || !ValidSoftKeys(softKeys)) return false;
  auto* site = dynamic_cast<MenuBarSite*>(owner.TopLevel());
  if (site == nullptr || owner.TopLevel() == owner.Widget()) return false;

  images_.clear();
  if (imageCount > 0 && !images.isNull()) {
    const int width = images.width() / imageCount;
    for (int i = 0; i < imageCount && width > 0; ++i) {
      images_.push_back(images.copy(i * width, 0, width, images.height()));
    }
  }
  for (const auto& button : iconBar.buttons) {
    if (button.separator) continue;
    if (button.image >= static_cast<int>(images_.size())) return false;
  }
  hasIconForm_ = !iconBar.buttons.empty();
  iconBar_ = std::move(iconBar);
  softKeys_ = std::move(softKeys);
  softkeyMode_ = softkeyMode || !hasIconForm_;
  ownerClient_ = owner.Widget();

  QWidget* bar = new QWidget(owner.TopLevel());
  bar->setObjectName(QStringLiteral("CMenuBar"));
  bar->setFixedHeight(kBarHeight);
  bar->setAutoFillBackground(true);
  bar->setBackgroundRole(QPalette::Button);
  auto* row = new QHBoxLayout(bar);
  row->setContentsMargins(2, 1, 2, 1);
  row->setSpacing(2);
  bar_ = bar;
  site->SetMenuBar(bar);
  Rebuild();
  return true;
}

bool CMenuBar::Create(CeMsgWnd& owner, MenuBarLayout softKeys) {
  return Create(owner, MenuBarLayout{}, std::move(softKeys), QImage(), 0, true);
}

bool CMenuBar::Create(CeMsgWnd& owner, int iconBarId, int softKeyBarId, const QImage& images,
                      int imageCount, bool softkeyMode) {
  std::optional<MenuBarLayout> iconBar = LoadMenuBar(iconBarId);
  std::optional<MenuBarLayout> softKeys = LoadMenuBar(softKeyBarId);
  if (!iconBar || !softKeys) return false;
  return Create(owner, std::move(*iconBar), std::move(*softKeys), images, imageCount, softkeyMode);
}

bool CMenuBar::Create(CeMsgWnd& owner, int softKeyBarId) {
  std::optional<MenuBarLayout> softKeys = LoadMenuBar(softKeyBarId);
  if (!softKeys) return false;
  return Create(owner, std::move(*softKeys));
}

void CMenuBar::SetSoftkeyMode(bool softkeys) {
  if (!hasIconForm_ || softkeys == softkeyMode_) return;
  softkeyMode_ = softkeys;
  Rebuild();
}

std::vector<QAbstractButton*> CMenuBar::Buttons() const {
  std::vector<QAbstractButton*> result;
  for (const auto& button : buttons_) result.push_back(button.data());
  return result;
}

int CMenuBar::Height() const {
  const double ratio = bar_.isNull() ? 1.0 : bar_->devicePixelRatioF();
  return static_cast<int>(std::lround(kBarHeight * ratio));
}

void CMenuBar::Rebuild() {
  if (bar_.isNull()) return;
  auto* row = static_cast<QHBoxLayout*>(bar_->layout());
  while (QLayoutItem* item = row->takeAt(0)) {
    if (QWidget* widget = item->widget()) {
      widget->hide();
      widget->deleteLater();
    }
    delete item;
  }
  buttons_.clear();

  const MenuBarLayout& layout = softkeyMode_ ? softKeys_ : iconBar_;
  for (std::size_t i = 0; i < layout.buttons.size(); ++i) {
    const MenuBarLayout::Button& button = layout.buttons[i];
    if (button.separator) {
      auto* line = new QFrame(bar_);
      line->setFrameShape(QFrame::VLine);
      line->setFrameShadow(QFrame::Sunken);
      row->addWidget(line);
      buttons_.emplace_back(nullptr);
      continue;
    }
    // Soft keys sit at the two ends of the bar.
    if (softkeyMode_ && i == 1) row->addStretch(1);
    QAbstractButton* widget = MakeButton(button, !softkeyMode_);
    row->addWidget(widget);
    buttons_.emplace_back(widget);
  }
  if (!softkeyMode_ || layout.buttons.size() == 1) row->addStretch(1);
}

QAbstractButton* CMenuBar::MakeButton(const MenuBarLayout::Button& button, bool iconForm) {
  QAbstractButton* widget = nullptr;
  if (iconForm && button.image >= 0) {
    auto* tool = new QToolButton(bar_);
    tool->setAutoRaise(true);
    // The images are in device pixels: one image pixel per screen pixel, so
    // the VGA images on a screen scaled by 2 show at their own size, unscaled.
    const QImage& image = images_[static_cast<std::size_t>(button.image)];
    QPixmap pixmap = QPixmap::fromImage(image);
    const double ratio = bar_->devicePixelRatioF();
    pixmap.setDevicePixelRatio(ratio);
    tool->setIcon(QIcon(pixmap));
    tool->setIconSize(FromDevice(QRect(QPoint(0, 0), image.size()), ratio).size());
    tool->setToolTip(button.text);
    widget = tool;
  } else {
    auto* push = new QPushButton(button.text, bar_);
    push->setFlat(true);
    widget = push;
  }
  widget->setFocusPolicy(Qt::NoFocus);
  widget->setObjectName(button.text);
  QPointer<QWidget> client = ownerClient_;
  QObject::connect(widget, &QAbstractButton::clicked, widget, [client, button, widget] {
    if (button.popup.empty()) {
      SendTo(client, WM_COMMAND, MAKEWPARAM(button.command, kCommandFromMenu));
      return;
    }
    SendTo(client, WM_ENTERMENULOOP, 0);
    QMenu menu;
    for (const auto& entry : button.popup) {
      if (entry.text.isEmpty()) {
        menu.addSeparator();
      } else {
        menu.addAction(entry.text)->setData(entry.command);
      }
    }
    // The popup opens above its button, towards the middle of the bar.
    const QSize size = menu.sizeHint();
    const bool rightHalf = widget->geometry().center().x() > widget->parentWidget()->width() / 2;
    const QPoint above =
        widget->mapToGlobal(QPoint(rightHalf ? widget->width() - size.width() : 0, -size.height()));
    const QAction* chosen = nullptr;
    {
      const MenuLoopScope loop;
      chosen = menu.exec(above);
    }
    SendTo(client, WM_EXITMENULOOP, 0);
    if (chosen != nullptr) {
      SendTo(client, WM_COMMAND, MAKEWPARAM(chosen->data().toUInt(), kCommandFromMenu));
    }
  });
  return widget;
}

}  // namespace cw
