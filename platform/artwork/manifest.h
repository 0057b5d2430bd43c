#pragma once

#include <QSize>
#include <QString>
#include <optional>
#include <vector>

namespace cw::artwork {

// One row of resources/bitmaps/bitmaps.tsv: a bitmap id, the name of its
// artwork and its size in each set (empty where a set does not carry it).
struct BitmapEntry {
  int id = 0;
  QString name;
  QSize qvga;
  QSize vga;
};

enum class BitmapSet { Qvga, Vga };

QString SetFolderName(BitmapSet set);
QSize SizeIn(const BitmapEntry& entry, BitmapSet set);

// Reads the tab-separated table (header line first). Returns nothing and sets
// *error when the file cannot be read or a row is malformed.
std::optional<std::vector<BitmapEntry>> ReadManifest(const QString& path, QString* error);

}  // namespace cw::artwork
