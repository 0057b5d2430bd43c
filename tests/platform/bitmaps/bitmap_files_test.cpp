#include <gtest/gtest.h>

#include <QDir>
#include <QImage>
#include <QSet>

#include "tools/artgen/artwork.h"
#include "platform/artwork/manifest.h"

namespace cw::artwork {
namespace {

const QString kBitmapDir = QStringLiteral(CW_SOURCE_DIR "/resources/bitmaps");
constexpr BitmapSet kSets[] = {BitmapSet::Qvga, BitmapSet::Vga};

const std::vector<BitmapEntry>& Table() {
  static const std::vector<BitmapEntry> table = [] {
    QString error;
    auto entries = ReadManifest(kBitmapDir + "/bitmaps.tsv", &error);
    EXPECT_TRUE(entries.has_value()) << error.toStdString();
    return entries.value_or(std::vector<BitmapEntry>{});
  }();
  return table;
}

QString PngPath(BitmapSet set, int id) {
  return QString("%1/%2/%3.png").arg(kBitmapDir, SetFolderName(set)).arg(id);
}

QImage LoadPng(BitmapSet set, int id) {
  return QImage(PngPath(set, id)).convertToFormat(QImage::Format_RGB32);
}

std::string Describe(BitmapSet set, const BitmapEntry& entry) {
  return (SetFolderName(set) + "/" + QString::number(entry.id) + " " + entry.name).toStdString();
}

QSet<QRgb> ColoursOf(const QImage& image) {
  QSet<QRgb> colours;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) colours.insert(image.pixel(x, y) & 0xFFFFFF);
  }
  return colours;
}

TEST(BitmapFiles, EveryListedIdIsAPngOfItsSizeInEachSet) {
  ASSERT_GE(Table().size(), 200u);
  for (const BitmapSet set : kSets) {
    int listed = 0;
    for (const BitmapEntry& entry : Table()) {
      const QSize size = SizeIn(entry, set);
      if (size.isEmpty()) continue;
      ++listed;
      const QImage image(PngPath(set, entry.id));
      ASSERT_FALSE(image.isNull()) << Describe(set, entry) << " is missing or unreadable";
      EXPECT_EQ(image.size(), size) << Describe(set, entry);
    }
    EXPECT_GE(listed, 100) << SetFolderName(set).toStdString();
  }
}

// The build embeds every PNG of a set's folder, so a stray file would become
// a bitmap the program can load.
TEST(BitmapFiles, NoSetHoldsAPngTheTableDoesNotGiveIt) {
  for (const BitmapSet set : kSets) {
    QSet<QString> expected;
    for (const BitmapEntry& entry : Table()) {
      if (!SizeIn(entry, set).isEmpty()) expected.insert(QString("%1.png").arg(entry.id));
    }
    const QStringList present =
        QDir(kBitmapDir + "/" + SetFolderName(set)).entryList({"*.png"}, QDir::Files);
    for (const QString& file : present) {
      EXPECT_TRUE(expected.contains(file)) << SetFolderName(set).toStdString() << "/"
                                           << file.toStdString() << " is not in the table";
    }
  }
}

// The committed pictures are what the generator draws now: a drawing changed
// without rerunning it shows up here.
TEST(BitmapFiles, MatchWhatTheGeneratorDraws) {
  for (const BitmapSet set : kSets) {
    for (const BitmapEntry& entry : Table()) {
      const QSize size = SizeIn(entry, set);
      if (size.isEmpty()) continue;
      const auto drawn = DrawArtwork(entry.name, size, set);
      ASSERT_TRUE(drawn.has_value()) << Describe(set, entry) << " has no drawing";
      EXPECT_TRUE(drawn->convertToFormat(QImage::Format_RGB32) == LoadPng(set, entry.id))
          << Describe(set, entry) << " is stale: rerun artgen";
    }
  }
}

TEST(BitmapFiles, EveryPictureShowsMoreThanItsBackground) {
  for (const BitmapSet set : kSets) {
    for (const BitmapEntry& entry : Table()) {
      if (SizeIn(entry, set).isEmpty()) continue;
      EXPECT_GE(ColoursOf(LoadPng(set, entry.id)).size(), 2) << Describe(set, entry);
    }
  }
}

// Empty-pile marks are copied keyed on white over the table colour: any
// blended edge pixel would show as a pale fringe, so they hold white and one
// ink only.
TEST(BitmapFiles, ColourKeyedMarksHoldWhiteAndOneInk) {
  int marks = 0;
  for (const BitmapSet set : kSets) {
    for (const BitmapEntry& entry : Table()) {
      const bool keyed = entry.name.startsWith("grey_") || entry.name.startsWith("empty_arrow");
      if (!keyed || SizeIn(entry, set).isEmpty()) continue;
      ++marks;
      const QSet<QRgb> colours = ColoursOf(LoadPng(set, entry.id));
      EXPECT_EQ(colours.size(), 2) << Describe(set, entry);
      EXPECT_TRUE(colours.contains(0xFFFFFF)) << Describe(set, entry);
    }
  }
  EXPECT_EQ(marks, 2 * (26 + 16 + 2));
}

bool IsReddish(QRgb pixel) { return qRed(pixel) > 0x80 && qGreen(pixel) < 0x60; }

// Hearts and diamonds are red, spades and clubs black, ranks black for every
// suit: a suit index taken for another would show here.
TEST(BitmapFiles, SuitSymbolsCarryTheirSuitsColourAndRanksAreBlack) {
  for (const BitmapSet set : kSets) {
    for (const BitmapEntry& entry : Table()) {
      const bool suit = entry.name.startsWith("suit_");
      const bool rank = entry.name.startsWith("rank_");
      if ((!suit && !rank) || SizeIn(entry, set).isEmpty()) continue;
      const bool shouldBeRed =
          suit && (entry.name.endsWith("_hearts") || entry.name.endsWith("_diamonds"));
      bool anyRed = false;
      bool anyDark = false;
      for (const QRgb colour : ColoursOf(LoadPng(set, entry.id))) {
        anyRed = anyRed || IsReddish(colour);
        anyDark = anyDark || qGray(colour) < 0x20;
      }
      EXPECT_EQ(anyRed, shouldBeRed) << Describe(set, entry);
      EXPECT_EQ(anyDark, !shouldBeRed) << Describe(set, entry);
    }
  }
}

TEST(Artwork, RefusesNamesItHasNoDrawingFor) {
  const QSize size(16, 16);
  for (const char* name : {"rank_large_eleven", "rank_medium_ace", "suit_big_large_stars",
                           "suit_huge_large_hearts", "card_back_small_4", "card_back_small_x",
                           "grey_card_back_small_0", "category_golf", "skill_4", "skill_0",
                           "duration_forever", "menu", ""}) {
    EXPECT_FALSE(DrawArtwork(name, size, BitmapSet::Qvga).has_value()) << name;
  }
  EXPECT_FALSE(DrawArtwork("rank_large_ace", QSize(), BitmapSet::Qvga).has_value());
}

TEST(Artwork, DrawsTheSameImageEveryTime) {
  for (const BitmapEntry& entry : Table()) {
    for (const BitmapSet set : kSets) {
      const QSize size = SizeIn(entry, set);
      if (size.isEmpty()) continue;
      EXPECT_TRUE(DrawArtwork(entry.name, size, set) == DrawArtwork(entry.name, size, set))
          << Describe(set, entry);
    }
  }
}

}  // namespace
}  // namespace cw::artwork
