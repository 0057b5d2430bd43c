// Reads resources/bitmaps/bitmaps.tsv: each bitmap id with its size in the
// QVGA and the VGA set (0 × 0 where a set does not carry it).
#pragma once

#include <QFile>
#include <QList>
#include <QSize>
#include <map>

namespace cw {

struct BitmapSizes {
  QSize qvga;
  QSize vga;
};

inline std::map<int, BitmapSizes> ReadBitmapTable(const char* path) {
  std::map<int, BitmapSizes> table;
  QFile file(QString::fromUtf8(path));
  if (!file.open(QIODevice::ReadOnly)) return table;
  file.readLine();  // the column names
  while (!file.atEnd()) {
    const QList<QByteArray> fields = file.readLine().trimmed().split('\t');
    if (fields.size() != 6) continue;
    table[fields[0].toInt()] = {QSize(fields[2].toInt(), fields[3].toInt()),
                                QSize(fields[4].toInt(), fields[5].toInt())};
  }
  return table;
}

}  // namespace cw
