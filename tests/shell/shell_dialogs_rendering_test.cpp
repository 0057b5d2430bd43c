// The Options sheet and a rules page as drawn, in the build this test is
// linked into: QVGA on an ordinary screen, VGA on a screen scaled by 2. With
// CARDWRIGHT_SCREENSHOTS naming a folder, each is also saved there as PNG.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QTextBrowser>

#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/model/sol_game.h"
#include "platform/resources/bitmap_ids.h"
#include "platform/resources/bitmaps.h"
#include "platform/resources/build_variant.h"
#include "platform/resources/resource_ids.h"
#include "shell/help_viewer.h"
#include "shell/options_dialog.h"
#include "tests/shell/dialog_steps.h"

namespace cw {
namespace {

class ShellDialogsRenderingTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::CreateScreenWindow(main); }
  void TearDown() override { main.DestroyWindow(); }

  const ScreenFacts facts = ReadScreenFacts();
  testing::RecordingWindow main;
};

TEST_F(ShellDialogsRenderingTest, OptionsPagesFillTheScreenWithTheCardBackOfTheBuild) {
  EXPECT_EQ(facts.HighDpi(), IsVgaBuild());
  Preferences preferences;
  preferences.cardBack = 1;
  OptionsDialog dialog(preferences, facts);
  testing::WhenDialogTitled(QStringLiteral("Options"), [&](DialogFrame* frame) {
    const QImage game = frame->grab().toImage();
    EXPECT_EQ(game.size(), QSize(facts.ScaleX(240), facts.ScaleY(320)));
    testing::SaveScreenshot(frame, QStringLiteral("options-game"));

    dialog.SetActivePage(1);
    QCoreApplication::processEvents();
    QWidget* back = dialog.Page(1)->GetDlgItem(options_control::kCardBack);
    ASSERT_NE(back, nullptr);
    const QImage drawn = back->grab().toImage();
    const QImage bitmap = LoadBitmap(bitmap_ids::CardBack(IsVgaBuild(), true, 1));
    ASSERT_FALSE(bitmap.isNull());
    EXPECT_EQ(drawn.size(), bitmap.size()) << "the button is the card's size in device pixels";
    EXPECT_EQ(drawn.pixel(drawn.width() / 2, drawn.height() / 2),
              bitmap.pixel(bitmap.width() / 2, bitmap.height() / 2));
    // Every control lies inside the page.
    const QRect page = dialog.Page(1)->Widget()->rect();
    for (QWidget* child : dialog.Page(1)->Widget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      EXPECT_TRUE(page.contains(child->geometry())) << child->objectName().toStdString();
    }
    testing::SaveScreenshot(frame, QStringLiteral("options-interface"));
    dialog.EndDialog(IDCANCEL);
  });
  dialog.DoModal(&main);
}

TEST_F(ShellDialogsRenderingTest, RulesPage) {
  const auto record = LoadDefinitionRecord(EmbeddedGameResources(), 9);  // FreeCell
  ASSERT_TRUE(record.has_value());
  SolGame game;
  ASSERT_TRUE(ParseDefinition(game, *record, DisplayMetrics{}));
  const std::string& rules = game.definition.rulesText;
  HtmlTextDialog dialog(string_id::kGameRules,
                        QString::fromLatin1(rules.data(), static_cast<qsizetype>(rules.size())));
  testing::WhenDialogTitled(QStringLiteral("Game Rules"), [&](DialogFrame* frame) {
    EXPECT_EQ(frame->grab().toImage().size(), QSize(facts.ScaleX(240), facts.ScaleY(320)));
    testing::SaveScreenshot(frame, QStringLiteral("rules-freecell"));
    testing::PressSoftKey(frame, QStringLiteral("Close"));
  });
  EXPECT_EQ(dialog.DoModal(&main), static_cast<int>(IDOK));

  HtmlTextDialog help(string_id::kHelp, string_id::kInterfaceOptionsHelp);
  testing::WhenDialogTitled(QStringLiteral("Help"), [&](DialogFrame* frame) {
    testing::SaveScreenshot(frame, QStringLiteral("options-help"));
    testing::PressSoftKey(frame, QStringLiteral("Close"));
  });
  EXPECT_EQ(help.DoModal(&main), static_cast<int>(IDOK));
}

}  // namespace
}  // namespace cw
