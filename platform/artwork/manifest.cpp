#include "platform/artwork/manifest.h"

#include <QFile>
#include <QStringList>
#include <QTextStream>

namespace cw::artwork {

QString SetFolderName(BitmapSet set) { return set == BitmapSet::Qvga ? "qvga" : "vga"; }

QSize SizeIn(const BitmapEntry& entry, BitmapSet set) {
  return set == BitmapSet::Qvga ? entry.qvga : entry.vga;
}

namespace {

bool ParseDimension(const QString& text, int* value) {
  bool ok = false;
  const int parsed = text.toInt(&ok);
  if (!ok || parsed < 0 || parsed > 4096) return false;
  *value = parsed;
  return true;
}

QSize SizeOrEmpty(int width, int height) {
  if (width == 0 || height == 0) return {};
  return {width, height};
}

}  // namespace

std::optional<std::vector<BitmapEntry>> ReadManifest(const QString& path, QString* error) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
    *error = path + ": " + file.errorString();
    return std::nullopt;
  }
  QTextStream in(&file);
  std::vector<BitmapEntry> entries;
  int lineNumber = 0;
  while (!in.atEnd()) {
    const QString line = in.readLine();
    ++lineNumber;
    if (lineNumber == 1 || line.trimmed().isEmpty()) continue;
    const QStringList fields = line.split('\t');
    int numbers[5] = {};
    bool ok = fields.size() == 6;
    bool idOk = false;
    if (ok) numbers[0] = fields[0].toInt(&idOk);
    ok = ok && idOk && numbers[0] > 0 && numbers[0] <= 65535 && !fields[1].isEmpty();
    for (int i = 1; ok && i < 5; ++i) ok = ParseDimension(fields[i + 1], &numbers[i]);
    if (!ok) {
      *error = QString("%1:%2: malformed row").arg(path).arg(lineNumber);
      return std::nullopt;
    }
    entries.push_back({numbers[0], fields[1], SizeOrEmpty(numbers[1], numbers[2]),
                       SizeOrEmpty(numbers[3], numbers[4])});
  }
  return entries;
}

}  // namespace cw::artwork
