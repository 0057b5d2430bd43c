// Built once per display variant: the program's embedded set, read through
// LoadBitmap, holds every id of the table for that set at its size.
#include <gtest/gtest.h>

#include <QImage>

#include "platform/resources/bitmaps.h"
#include "platform/resources/build_variant.h"
#include "platform/artwork/manifest.h"

namespace cw {
namespace {

TEST(LoadedBitmaps, EveryBitmapOfThisBuildsSetLoadsAtItsSizeAsDrawn) {
  QString error;
  const auto table =
      artwork::ReadManifest(QStringLiteral(CW_SOURCE_DIR "/resources/bitmaps/bitmaps.tsv"), &error);
  ASSERT_TRUE(table.has_value()) << error.toStdString();
  const artwork::BitmapSet set = IsVgaBuild() ? artwork::BitmapSet::Vga : artwork::BitmapSet::Qvga;
  const QString folder = QStringLiteral(CW_SOURCE_DIR "/resources/bitmaps/") + artwork::SetFolderName(set);
  int carried = 0;
  for (const artwork::BitmapEntry& entry : *table) {
    const QSize size = artwork::SizeIn(entry, set);
    const QImage loaded = LoadBitmap(entry.id);
    if (size.isEmpty()) {
      EXPECT_TRUE(loaded.isNull()) << entry.id << " belongs to the other set";
      continue;
    }
    ++carried;
    ASSERT_FALSE(loaded.isNull()) << entry.id << " " << entry.name.toStdString();
    EXPECT_EQ(loaded.size(), size) << entry.id;
    const QImage file =
        QImage(QString("%1/%2.png").arg(folder).arg(entry.id)).convertToFormat(QImage::Format_RGB32);
    EXPECT_TRUE(loaded.convertToFormat(QImage::Format_RGB32) == file) << entry.id;
  }
  EXPECT_GE(carried, 100);
}

}  // namespace
}  // namespace cw
