// A registry file in a fresh temporary directory, named through
// CARDWRIGHT_REGISTRY the way the program finds its own, so that a test never
// touches the player's registry.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>

namespace cw {

class TemporaryRegistryFile {
 public:
  TemporaryRegistryFile() : path_(directory_.filePath(QStringLiteral("registry.sqlite3"))) {
    qputenv("CARDWRIGHT_REGISTRY", QFile::encodeName(path_));
  }
  ~TemporaryRegistryFile() { qunsetenv("CARDWRIGHT_REGISTRY"); }
  TemporaryRegistryFile(const TemporaryRegistryFile&) = delete;
  TemporaryRegistryFile& operator=(const TemporaryRegistryFile&) = delete;

  const QString& Path() const { return path_; }
  QString Directory() const { return directory_.path(); }

 private:
  QTemporaryDir directory_;
  QString path_;
};

}  // namespace cw
