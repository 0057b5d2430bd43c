#include "uilib/dialog_frame.h"

#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include "platform/screen/screen_facts.h"
#include "uilib/ce_msg_wnd.h"
#include "uilib/device_pixels.h"

namespace cw {

namespace {
// At 96 dpi: the title takes 24 pixels, the band under it one, and a line of
// scrolling moves 5.
constexpr int kTitleHeight = 24;
constexpr int kBandHeight = 1;
constexpr int kScrollLine = 5;
constexpr int kTitleFontPixels = 11;
// The handheld's screen at 96 dpi, which a dialog fills there. A dialog over
// a bigger window, or told before any window exists, keeps this size (at the
// screen's scale, as text and menus do) rather than spreading its few lines
// and controls over a desktop-sized page.
constexpr int kHandheldWidth = 240;
constexpr int kHandheldHeight = 320;

// The handheld's screen in Qt's coordinates on a screen of this pixel ratio.
QSize HandheldPanel(double ratio) {
  const ScreenFacts facts = ReadScreenFacts();
  return FromDevice(QRect(0, 0, facts.ScaleX(kHandheldWidth), facts.ScaleY(kHandheldHeight)), ratio)
      .size();
}

// As much of `over` as the handheld's screen takes, centred on it: all of it
// when it is no bigger.
QRect PanelOver(const QRect& over, QSize panel) {
  const QSize size = over.size().boundedTo(panel);
  return {over.left() + (over.width() - size.width()) / 2, over.top() + (over.height() - size.height()) / 2,
          size.width(), size.height()};
}
}  // namespace

DialogFrame::DialogFrame(QWidget* owner, const QString& title)
    : QDialog(owner), layout_(new QVBoxLayout(this)), title_(new QLabel(title, this)),
      scroll_(new QScrollArea(this)) {
  setWindowTitle(title);
  // The frame draws its own title bar, as the handheld's screen does; a
  // desktop's window manager would add a second one above it.
  setWindowFlag(Qt::FramelessWindowHint);
  setModal(true);
  layout_->setContentsMargins(0, 0, 0, 0);
  layout_->setSpacing(0);

  QFont font(QStringLiteral("Tahoma"));
  font.setPixelSize(kTitleFontPixels);
  font.setWeight(QFont::Bold);
  title_->setFont(font);
  title_->setObjectName(QStringLiteral("DialogTitle"));
  title_->setFixedHeight(kTitleHeight);
  title_->setContentsMargins(4, 0, 4, 0);
  title_->setAutoFillBackground(true);
  QPalette palette = title_->palette();
  palette.setColor(QPalette::WindowText, palette.color(QPalette::Highlight));
  title_->setPalette(palette);
  layout_->addWidget(title_);

  auto* band = new QFrame(this);
  band->setFixedHeight(kBandHeight);
  band->setAutoFillBackground(true);
  QPalette black = band->palette();
  black.setColor(QPalette::Window, Qt::black);
  band->setPalette(black);
  layout_->addWidget(band);

  scroll_->setFrameShape(QFrame::NoFrame);
  scroll_->setWidgetResizable(true);
  scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QScrollBar* vertical = scroll_->verticalScrollBar();
  vertical->setSingleStep(kScrollLine);
  // A page step goes all the way, to the top or to the bottom.
  connect(vertical, &QAbstractSlider::actionTriggered, vertical, [vertical](int action) {
    if (action == QAbstractSlider::SliderPageStepAdd) vertical->setSliderPosition(vertical->maximum());
    if (action == QAbstractSlider::SliderPageStepSub) vertical->setSliderPosition(vertical->minimum());
  });
  layout_->addWidget(scroll_, 1);

  const QWidget* top = owner != nullptr ? owner->window() : nullptr;
  if (top != nullptr) {
    setGeometry(PanelOver(top->geometry(), HandheldPanel(top->devicePixelRatioF())));
  } else if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    setGeometry(PanelOver(screen->availableGeometry(), HandheldPanel(screen->devicePixelRatio())));
  }
}

void DialogFrame::SetContent(QWidget* content) { scroll_->setWidget(content); }

void DialogFrame::SetMenuBar(QWidget* bar) { layout_->addWidget(bar, 0); }

QString DialogFrame::Title() const { return title_->text(); }

QScrollBar* DialogFrame::VerticalScrollBar() const { return scroll_->verticalScrollBar(); }

void DialogFrame::reject() {
  if (CeMsgWnd* dialog = CeMsgWnd::FromWidget(this)) {
    dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDCANCEL, kCommandFromMenu));
  } else {
    QDialog::reject();
  }
}

bool DialogFrame::event(QEvent* event) {
  if (RouteEvent(this, event)) return true;
  return QDialog::event(event);
}

}  // namespace cw
