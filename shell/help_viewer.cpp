#include "shell/help_viewer.h"

#include <QTextBrowser>

#include "platform/resources/resource_ids.h"
#include "platform/resources/string_table.h"
#include "uilib/child_layout.h"

namespace cw {

namespace {

constexpr QStringView kBoldOpen = u"<b>";
constexpr QStringView kBoldClose = u"</b>";
constexpr QStringView kLineBreak = u"<br>";

}  // namespace

QString MarkupToHtml(QStringView markup) {
  QString html;
  html.reserve(markup.size() + markup.size() / 8);
  int openBold = 0;
  qsizetype i = 0;
  while (i < markup.size()) {
    const QStringView rest = markup.mid(i);
    if (rest.startsWith(kBoldOpen)) {
      html += kBoldOpen;
      ++openBold;
      i += kBoldOpen.size();
    } else if (rest.startsWith(kBoldClose)) {
      // A close without an open is only a stray mark; dropping it keeps the
      // nesting the renderer sees balanced.
      if (openBold > 0) {
        html += kBoldClose;
        --openBold;
      }
      i += kBoldClose.size();
    } else if (rest.startsWith(kLineBreak)) {
      html += kLineBreak;
      i += kLineBreak.size();
    } else {
      const QChar c = markup[i];
      switch (c.unicode()) {
        case u'\n': html += kLineBreak; break;
        case u'<': html += u"&lt;"; break;
        case u'>': html += u"&gt;"; break;
        case u'&': html += u"&amp;"; break;
        case u'"': html += u"&quot;"; break;
        case u'\'': html += u"&#39;"; break;
        default: html += c; break;
      }
      ++i;
    }
  }
  for (; openBold > 0; --openBold) html += kBoldClose;
  return html;
}

HtmlTextDialog::HtmlTextDialog(int titleStringId, QString markup)
    : CeDialog(LoadString(titleStringId), LoadMenuBar(menu_bar_id::kHtmlViewer)),
      markup_(std::move(markup)) {}

HtmlTextDialog::HtmlTextDialog(int titleStringId, int textStringId)
    : HtmlTextDialog(titleStringId, LoadString(textStringId)) {}

void HtmlTextDialog::OnInitDialog(bool& handled) {
  handled = true;
  auto* viewer = new QTextBrowser(Widget());
  viewer->setObjectName(QStringLiteral("HtmlViewer"));
  viewer->setFrameShape(QFrame::NoFrame);
  // The texts carry no links; a browser that followed one would leave the page.
  viewer->setOpenLinks(false);
  viewer->setOpenExternalLinks(false);
  viewer->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  viewer->setHtml(MarkupToHtml(markup_));
  Layout().Fill(viewer);
  viewer->setGeometry(QRect(QPoint(0, 0), Widget()->size()));
  // The dialog gives its client the focus when it shows; the viewer takes it.
  Widget()->setFocusProxy(viewer);
  viewer->setFocus(Qt::OtherFocusReason);
  viewer_ = viewer;
}

}  // namespace cw
