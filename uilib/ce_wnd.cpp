#include "uilib/ce_wnd.h"

#include <QLayout>

#include "uilib/device_pixels.h"
#include "uilib/window_widgets.h"

namespace cw {

bool CeWnd::Create(const QString& className, const QString& title, const QRect& geometry) {
  if (IsWindow()) return false;
  auto* host = new WindowHost();
  host->setObjectName(className);
  host->setWindowTitle(title);
  auto* client = new ClientWidget(host);
  client->setFocusPolicy(Qt::StrongFocus);
  host->SetClient(client);
  host->setFocusProxy(client);
  if (!geometry.isEmpty()) host->setGeometry(FromDevice(geometry, host->devicePixelRatioF()));
  // OnCreate already sees the client area it will have.
  host->layout()->activate();
  Attach(client, host);
  return RunCreate();
}

bool CeWnd::CreateChild(CeMsgWnd& parent, const QRect& rect, const QString& className) {
  if (IsWindow() || !parent.IsWindow()) return false;
  auto* client = new ClientWidget(parent.Widget());
  client->setObjectName(className);
  MoveChild(client, rect);
  Attach(client, nullptr);
  if (!RunCreate()) return false;
  client->show();
  return true;
}

}  // namespace cw
