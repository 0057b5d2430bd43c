// Sets or removes environment variables for the length of a test and puts
// back what was there before.
#pragma once

#include <QByteArray>
#include <QtGlobal>
#include <optional>
#include <utility>
#include <vector>

namespace cw {

class EnvGuard {
 public:
  EnvGuard() = default;
  EnvGuard(const EnvGuard&) = delete;
  EnvGuard& operator=(const EnvGuard&) = delete;
  ~EnvGuard() {
    for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
      if (it->second) {
        qputenv(it->first.constData(), *it->second);
      } else {
        qunsetenv(it->first.constData());
      }
    }
  }

  void Set(const char* name, const QByteArray& value) {
    Save(name);
    qputenv(name, value);
  }
  void Unset(const char* name) {
    Save(name);
    qunsetenv(name);
  }

 private:
  void Save(const char* name) {
    std::optional<QByteArray> old;
    if (qEnvironmentVariableIsSet(name)) old = qgetenv(name);
    saved_.emplace_back(QByteArray(name), std::move(old));
  }

  std::vector<std::pair<QByteArray, std::optional<QByteArray>>> saved_;
};

}  // namespace cw
