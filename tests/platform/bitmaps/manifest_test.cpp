#include "platform/artwork/manifest.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

namespace cw::artwork {
namespace {

class ManifestTest : public ::testing::Test {
 protected:
  QString Write(const QByteArray& text) {
    const QString path = dir_.filePath("bitmaps.tsv");
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text);
    return path;
  }

  QTemporaryDir dir_;
};

constexpr char kHeader[] = "id\tname\tqvga_width\tqvga_height\tvga_width\tvga_height\n";

TEST_F(ManifestTest, ReadsRowsAndLeavesASetWithoutTheIdEmpty) {
  QString error;
  const auto entries = ReadManifest(
      Write(QByteArray(kHeader) + "133\tcard_back_small_0\t20\t27\t0\t0\n"
                                  "101\tapplication_icon\t32\t32\t64\t64\n\n"),
      &error);
  ASSERT_TRUE(entries.has_value()) << error.toStdString();
  ASSERT_EQ(entries->size(), 2u);
  EXPECT_EQ((*entries)[0].id, 133);
  EXPECT_EQ((*entries)[0].name, "card_back_small_0");
  EXPECT_EQ(SizeIn((*entries)[0], BitmapSet::Qvga), QSize(20, 27));
  EXPECT_TRUE(SizeIn((*entries)[0], BitmapSet::Vga).isEmpty());
  EXPECT_EQ(SizeIn((*entries)[1], BitmapSet::Vga), QSize(64, 64));
}

TEST_F(ManifestTest, RefusesMalformedRowsNamingTheLine) {
  for (const char* row : {"133\tcard_back_small_0\t20\t27\t0\n",        // a column short
                          "133\tcard_back_small_0\t20\t27\t0\t0\tx\n",  // one too many
                          "x\tcard_back_small_0\t20\t27\t0\t0\n",       // id not a number
                          "0\tcard_back_small_0\t20\t27\t0\t0\n",       // id out of range
                          "70000\tcard_back_small_0\t20\t27\t0\t0\n",
                          "133\t\t20\t27\t0\t0\n",                   // no name
                          "133\tcard_back_small_0\t-20\t27\t0\t0\n",  // negative size
                          "133\tcard_back_small_0\t20\t99999\t0\t0\n"}) {
    QString error;
    const auto entries =
        ReadManifest(Write(QByteArray(kHeader) + "101\tapplication_icon\t32\t32\t64\t64\n" + row),
                     &error);
    EXPECT_FALSE(entries.has_value()) << row;
    EXPECT_TRUE(error.endsWith(":3: malformed row")) << error.toStdString();
  }
}

TEST_F(ManifestTest, ReportsAFileThatCannotBeRead) {
  QString error;
  EXPECT_FALSE(ReadManifest(dir_.filePath("missing.tsv"), &error).has_value());
  EXPECT_TRUE(error.contains("missing.tsv"));
}

}  // namespace
}  // namespace cw::artwork
