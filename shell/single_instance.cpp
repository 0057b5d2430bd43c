#include "shell/single_instance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

namespace cw {

namespace {
constexpr int kWaitMilliseconds = 2000;
constexpr char kBringToFront[] = "front\n";
}  // namespace

QString InstanceName(const QString& className, const QString& registryFile) {
  const QByteArray hash =
      QCryptographicHash::hash(registryFile.toUtf8(), QCryptographicHash::Sha1).toHex().left(12);
  return QStringLiteral("TheWnd:%1-%2").arg(className, QString::fromLatin1(hash));
}

SingleInstance::SingleInstance(QString name, std::function<void()> bringToFront)
    : name_(std::move(name)), bringToFront_(std::move(bringToFront)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::AskRunningInstance() const {
  QLocalSocket socket;
  socket.connectToServer(name_);
  if (!socket.waitForConnected(kWaitMilliseconds)) return false;
  socket.write(kBringToFront);
  const bool sent = socket.waitForBytesWritten(kWaitMilliseconds);
  socket.disconnectFromServer();
  return sent;
}

bool SingleInstance::Claim() {
  if (AskRunningInstance()) return false;
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  if (!server_->listen(name_)) {
    // Nobody answered on the name, so what holds it is left over from a
    // program that ended without closing it.
    QLocalServer::removeServer(name_);
    if (!server_->listen(name_)) return true;  // play on without exclusion
  }
  connect(server_, &QLocalServer::newConnection, this, [this] { Answer(); });
  return true;
}

void SingleInstance::Answer() {
  while (QLocalSocket* socket = server_->nextPendingConnection()) {
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    const auto read = [this, socket] {
      if (socket->readAll().contains('\n') && bringToFront_) bringToFront_();
    };
    connect(socket, &QLocalSocket::readyRead, this, read);
    if (socket->bytesAvailable() > 0) read();
  }
}

}  // namespace cw
