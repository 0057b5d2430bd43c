// One running program per player: the first start listens on a local socket
// named after the main window class; a later start finds it, asks it to come
// to the front and leaves.
#pragma once
#include <QObject>
#include <QString>
#include <functional>

class QLocalServer;

namespace cw {

// The socket name for a window class and the registry file the program uses:
// programs sharing one registry are one player's, and only those exclude
// each other.
QString InstanceName(const QString& className, const QString& registryFile);

class SingleInstance : public QObject {
 public:
  // `bringToFront` runs in the first program whenever a later one starts.
  SingleInstance(QString name, std::function<void()> bringToFront);
  ~SingleInstance() override;

  // True when this is the first program, which then listens for later ones;
  // false when another program answered and was asked to come to the front.
  bool Claim();

 private:
  bool AskRunningInstance() const;
  void Answer();

  QString name_;
  std::function<void()> bringToFront_;
  QLocalServer* server_ = nullptr;
};

}  // namespace cw
