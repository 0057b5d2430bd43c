// The chooser as drawn, in the build this test is linked into: QVGA on an
// ordinary screen, VGA on a screen scaled by 2. With CARDWRIGHT_SCREENSHOT_DIR
// set, the dialog is also saved there as PNG.
#include <gtest/gtest.h>

#include <QDir>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPalette>
#include <QTest>

#include "chooser/chooser_dialog.h"
#include "chooser_test_support.h"
#include "engine/database/embedded_resources.h"
#include "platform/resources/build_variant.h"
#include "uilib/list_view.h"

namespace cw {
namespace {

using namespace chooser_control;

TEST(ChooserMetrics, PlacesScaleWithTheScreen) {
  const ChooserMetrics qvga = ChooserMetricsFor(ScreenFacts{96, 96});
  EXPECT_EQ(qvga.rowHeight, 15);
  EXPECT_EQ(qvga.nameLimit, 92);
  EXPECT_EQ(qvga.star, 90);
  EXPECT_EQ(qvga.category, 71);
  EXPECT_EQ(qvga.duration, 18);
  EXPECT_EQ(qvga.SkillOffset(3), 52);
  EXPECT_EQ(qvga.SkillOffset(1), 42);

  const ChooserMetrics vga = ChooserMetricsFor(ScreenFacts{192, 192});
  EXPECT_EQ(vga.rowHeight, 30);
  EXPECT_EQ(vga.nameLimit, 184);
  EXPECT_EQ(vga.star, 180);
  EXPECT_EQ(vga.category, 142);
  EXPECT_EQ(vga.duration, 36);
  EXPECT_EQ(vga.SkillOffset(2), 94);

  // Between 1 and 2 the rows stay 15 high with places of their own.
  const ChooserMetrics between = ChooserMetricsFor(ScreenFacts{144, 144});
  EXPECT_EQ(between.rowHeight, 15);
  EXPECT_LE(QFontMetrics(between.font).height(), 15);
  EXPECT_EQ(between.nameLimit, 120);
  EXPECT_EQ(between.star, 118);
  EXPECT_EQ(between.category, 91);
  EXPECT_EQ(between.duration, 22);
  EXPECT_EQ(between.SkillOffset(3), 64);
  EXPECT_EQ(between.SkillOffset(1), 54);
}

TEST(ChooserMetrics, LongNamesLoseCharactersFromTheEnd) {
  const QFontMetrics metrics(ChooserMetricsFor(ScreenFacts{96, 96}).font);
  const QString name = QStringLiteral("Challenge FreeCell");
  const int whole = metrics.horizontalAdvance(name);
  EXPECT_EQ(ShortenedName(name, metrics, whole), name);
  const QString shortened = ShortenedName(name, metrics, whole - 1);
  EXPECT_TRUE(shortened.endsWith(QStringLiteral("…")));
  EXPECT_TRUE(name.startsWith(shortened.chopped(1)));
  EXPECT_LE(metrics.horizontalAdvance(shortened), whole - 1);
  // The longest such prefix: one more character would not fit.
  EXPECT_GT(metrics.horizontalAdvance(name.left(shortened.size()) + QStringLiteral("…")), whole - 1);
  const int twoAndEllipsis = metrics.horizontalAdvance(QStringLiteral("Ch…"));
  EXPECT_EQ(ShortenedName(name, metrics, twoAndEllipsis), QStringLiteral("Ch…"));
  EXPECT_EQ(ShortenedName(name, metrics, twoAndEllipsis - 1), QStringLiteral("…"));
  EXPECT_EQ(ShortenedName(name, metrics, 0), QStringLiteral("…"));
}

class ChooserRenderingTest : public testing::ChooserWindowTest {
 protected:
  static void Save(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("CARDWRIGHT_SCREENSHOT_DIR");
    if (folder.isEmpty()) return;
    QDir().mkpath(folder);
    const QString variant = IsVgaBuild() ? QStringLiteral("vga") : QStringLiteral("qvga");
    EXPECT_TRUE(
        widget->grab().toImage().save(QStringLiteral("%1/chooser-%2-%3.png").arg(folder, variant, name)));
  }
  // Whether anything but the background (white, or the highlight of a
  // selected row) is drawn in `area`.
  static bool AnyInk(const QImage& image, const QRect& area, QRgb background = qRgb(255, 255, 255)) {
    for (int y = area.top(); y <= area.bottom(); ++y) {
      for (int x = area.left(); x <= area.right(); ++x) {
        if (image.pixel(x, y) != background) return true;
      }
    }
    return false;
  }
};

TEST_F(ChooserRenderingTest, RowsShowNameStarAndPicturesInTheirPlaces) {
  ChooserOptions options;
  options.currentGame = 9;     // FreeCell
  options.favourites = {562};  // Antares
  ChooserDialog dialog(EmbeddedGameResources(), options);
  testing::WhenChooserRuns(dialog, [&](ChooserDialog& d) {
    const ScreenFacts facts = ReadScreenFacts();
    EXPECT_EQ(facts.HighDpi(), IsVgaBuild());
    const ChooserMetrics metrics = ChooserMetricsFor(facts);
    auto* games = qobject_cast<ListView*>(d.GetDlgItem(kGames));
    ASSERT_NE(games, nullptr);
    games->scrollToTop();
    testing::Settle();
    EXPECT_EQ(d.TopLevel()->grab().toImage().size(), QSize(240, 320) * (facts.HighDpi() ? 2 : 1));
    Save(d.TopLevel(), QStringLiteral("games"));

    const QImage rows = games->viewport()->grab().toImage();
    const int height = metrics.rowHeight;
    const int right = rows.width();
    auto band = [&](int row, int fromRight, int toRight) {
      return QRect(right - fromRight, row * height + 1, fromRight - toRight, height - 2);
    };
    // Antares, a favourite: the star; Baker's Game: none.
    EXPECT_TRUE(AnyInk(rows, band(0, metrics.star, metrics.category + 2)));
    EXPECT_FALSE(AnyInk(rows, band(1, metrics.star, metrics.category + 2)));
    for (int row : {0, 1}) {
      EXPECT_TRUE(AnyInk(rows, QRect(metrics.nameLeft, row * height, 20, height))) << "name " << row;
      EXPECT_TRUE(AnyInk(rows, band(row, metrics.category, metrics.category - 10))) << "category " << row;
      EXPECT_TRUE(AnyInk(rows, band(row, metrics.duration, 2))) << "duration " << row;
      EXPECT_TRUE(AnyInk(rows, band(row, metrics.SkillOffset(3), metrics.SkillOffset(3) - 8)))
          << "skill " << row;
    }
    // The current game's row is selected, in the highlight colour.
    const QColor highlight = QGuiApplication::palette().color(QPalette::Highlight);
    EXPECT_EQ(rows.pixelColor(1, 9 * height + 1), highlight);

    QTest::mouseClick(d.GetDlgItem(kCategoryButton), Qt::LeftButton);
    testing::Settle();
    Save(d.TopLevel(), QStringLiteral("categories"));
    auto* categories = qobject_cast<ListView*>(d.GetDlgItem(kCategoryList));
    const QImage list = categories->viewport()->grab().toImage();
    EXPECT_EQ(list.height(), 12 * height) << "all twelve rows are shown";
    EXPECT_EQ(list.pixelColor(1, 1), highlight) << "the current value, All";

    QTest::mouseClick(d.GetDlgItem(kLetterButton), Qt::LeftButton);
    testing::Settle();
    Save(d.TopLevel(), QStringLiteral("letters"));
    QTest::keyClick(d.GetDlgItem(kLetterColumns[0]), Qt::Key_Escape);
    testing::Settle();

    QTest::mouseClick(d.GetDlgItem(kFavouritesOnly), Qt::LeftButton);
    testing::Settle();
    testing::ClickRow(games, 0);
    Save(d.TopLevel(), QStringLiteral("favourites"));
    d.EndDialog(IDCANCEL);
  });
  dialog.Run(&main);
}

TEST_F(ChooserRenderingTest, ButtonsShowTheFiltersAndTheNoticeIsCentred) {
  ChooserOptions options;
  options.filters.category = 5;  // 40Thieves, the longest category name
  options.filters.skill = 3;
  options.filters.duration = 3;
  options.filters.letter = 24;  // X
  ChooserDialog dialog(EmbeddedGameResources(), options);
  testing::WhenChooserRuns(dialog, [&](ChooserDialog& d) {
    const ChooserMetrics metrics = ChooserMetricsFor(ReadScreenFacts());
    auto* games = qobject_cast<ListView*>(d.GetDlgItem(kGames));
    ASSERT_EQ(games->ItemCount(), 1);
    EXPECT_EQ(games->ItemData(0), kEmptyListRow);
    Save(d.TopLevel(), QStringLiteral("filtered"));
    const QImage rows = games->viewport()->grab().toImage();
    const int width = rows.width();
    const QRgb background = rows.pixel(0, 0);
    EXPECT_FALSE(AnyInk(rows, QRect(0, 0, width / 5, metrics.rowHeight), background));
    EXPECT_TRUE(AnyInk(rows, QRect(width / 3, 0, width / 3, metrics.rowHeight), background));
    EXPECT_FALSE(AnyInk(rows, QRect(width - width / 5, 0, width / 5, metrics.rowHeight), background));
    d.EndDialog(IDCANCEL);
  });
  dialog.Run(&main);
}

}  // namespace
}  // namespace cw
