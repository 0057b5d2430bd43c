#include <gtest/gtest.h>

#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>

#include "engine/database/catalogue.h"
#include "engine/database/embedded_resources.h"
#include "engine/database/record_loader.h"
#include "engine/model/sol_game.h"
#include "platform/resources/resource_ids.h"
#include "shell/help_viewer.h"
#include "tests/shell/dialog_steps.h"
#include "tests/uilib/widget_driver.h"

namespace cw {
namespace {

// What the document shows: line breaks as "\n".
QString Shown(const QTextDocument& document) {
  QString text = document.toPlainText();
  text.replace(QChar(0x2028), u'\n');
  return text;
}

// The characters shown in bold, in order.
QString BoldCharacters(const QTextDocument& document) {
  QString bold;
  for (QTextBlock block = document.begin(); block.isValid(); block = block.next()) {
    for (auto it = block.begin(); !it.atEnd(); ++it) {
      const QTextFragment fragment = it.fragment();
      if (fragment.charFormat().fontWeight() >= QFont::Bold) bold += fragment.text();
    }
  }
  return bold;
}

QString Rendered(QStringView markup, QString* bold = nullptr) {
  QTextDocument document;
  document.setHtml(MarkupToHtml(markup));
  if (bold != nullptr) *bold = BoldCharacters(document);
  return Shown(document);
}

TEST(MarkupToHtml, KeepsBoldAndLineBreaks) {
  EXPECT_EQ(MarkupToHtml(u"<b>Timed Game</b><br>Check it."), QStringLiteral("<b>Timed Game</b><br>Check it."));
  EXPECT_EQ(MarkupToHtml(u"one\ntwo\n"), QStringLiteral("one<br>two<br>"));
  EXPECT_EQ(MarkupToHtml(u"Plain rules without breaks."), QStringLiteral("Plain rules without breaks."));
  EXPECT_EQ(MarkupToHtml(u""), QString());

  QString bold;
  EXPECT_EQ(Rendered(u"<b>Aim</b><br>Build up\nin suit.", &bold), QStringLiteral("Aim\nBuild up\nin suit."));
  EXPECT_EQ(bold, QStringLiteral("Aim"));
}

TEST(MarkupToHtml, EverythingElseIsShownAsText) {
  EXPECT_EQ(MarkupToHtml(u"a < b && c > \"d\" 'e'"),
            QStringLiteral("a &lt; b &amp;&amp; c &gt; &quot;d&quot; &#39;e&#39;"));
  // Tags other than the three marks, marks in another case and half marks.
  for (const QString& text :
       {QStringLiteral("<i>slanted</i>"), QStringLiteral("<B>loud</B>"), QStringLiteral("<br/>"),
        QStringLiteral("<b class=x>"), QStringLiteral("<img src=\"qrc:/x.png\">"),
        QStringLiteral("<a href=\"http://example.org\">link</a>"), QStringLiteral("<script>x()</script>"),
        QStringLiteral("&lt; stays an entity"), QStringLiteral("<b"), QStringLiteral("<!-- hidden -->")}) {
    QString bold;
    EXPECT_EQ(Rendered(text, &bold), text);
    EXPECT_TRUE(bold.isEmpty()) << text.toStdString();
  }
}

TEST(MarkupToHtml, UnbalancedBoldStaysInsideTheText) {
  EXPECT_EQ(MarkupToHtml(u"<b>open"), QStringLiteral("<b>open</b>"));
  EXPECT_EQ(MarkupToHtml(u"</b>stray<b>x</b></b>"), QStringLiteral("stray<b>x</b>"));
  QString bold;
  EXPECT_EQ(Rendered(u"<b><b>twice</b> once</b> none", &bold), QStringLiteral("twice once none"));
  EXPECT_EQ(bold, QStringLiteral("twice once"));
}

class HelpViewerTest : public ::testing::Test {
 protected:
  void SetUp() override { testing::CreateScreenWindow(main); }
  void TearDown() override { main.DestroyWindow(); }

  testing::RecordingWindow main;
};

TEST_F(HelpViewerTest, ShowsTheTextUnderItsTitleAndCloses) {
  HtmlTextDialog dialog(string_id::kHelp, QStringLiteral("<b>Rules</b>\n<i>not markup</i>"));
  testing::WhenDialogTitled(QStringLiteral("Help"), [&](DialogFrame* frame) {
    QTextBrowser* viewer = dialog.Viewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(Shown(*viewer->document()), QStringLiteral("Rules\n<i>not markup</i>"));
    EXPECT_EQ(BoldCharacters(*viewer->document()), QStringLiteral("Rules"));
    EXPECT_EQ(frame->focusWidget(), viewer);
    // The viewer fills the dialog's client area.
    EXPECT_EQ(viewer->geometry(), QRect(QPoint(0, 0), dialog.Widget()->size()));
    const auto keys = dialog.MenuBar()->Buttons();
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(keys[0]->text(), QStringLiteral("Close"));
    EXPECT_TRUE(testing::PressSoftKey(frame, QStringLiteral("Close")));
  });
  EXPECT_EQ(dialog.DoModal(&main), static_cast<int>(IDOK));
}

TEST_F(HelpViewerTest, EmptyTextGivesAnEmptyPageThatCloses) {
  HtmlTextDialog dialog(string_id::kGameRules, QString());
  testing::WhenDialogTitled(QStringLiteral("Game Rules"), [&](DialogFrame* frame) {
    ASSERT_NE(dialog.Viewer(), nullptr);
    EXPECT_TRUE(dialog.Viewer()->document()->isEmpty());
    testing::PressSoftKey(frame, QStringLiteral("Close"));
  });
  EXPECT_EQ(dialog.DoModal(&main), static_cast<int>(IDOK));
}

TEST_F(HelpViewerTest, HelpStringsFromTheTable) {
  HtmlTextDialog dialog(string_id::kHelp, string_id::kGameOptionsHelp);
  testing::WhenDialogTitled(QStringLiteral("Help"), [&](DialogFrame* frame) {
    const QTextDocument& document = *dialog.Viewer()->document();
    EXPECT_TRUE(Shown(document).startsWith(QStringLiteral("Timed Game\nCheck this option")));
    EXPECT_EQ(BoldCharacters(document), QStringLiteral("Timed GameTime LimitTimed GameWinnable deals only"));
    testing::PressSoftKey(frame, QStringLiteral("Close"));
  });
  dialog.DoModal(&main);
}

// The rules of every game of the database, as the Help command shows them.
TEST_F(HelpViewerTest, RulesOfEveryGameOpen) {
  const Catalogue catalogue = LoadCatalogue(EmbeddedGameResources());
  ASSERT_EQ(catalogue.entries.size(), kCatalogueSize);
  for (std::uint16_t index = 0; index < kCatalogueSize; ++index) {
    const auto record = LoadDefinitionRecord(EmbeddedGameResources(), index);
    ASSERT_TRUE(record.has_value()) << index;
    SolGame game;
    ASSERT_TRUE(ParseDefinition(game, *record, DisplayMetrics{}));
    const std::string& rules = game.definition.rulesText;
    ASSERT_FALSE(rules.empty()) << catalogue.entries[index].name;

    // The rules use bold and line breaks only: what is shown is the text
    // without its bold marks.
    QString expected = QString::fromLatin1(rules.data(), static_cast<qsizetype>(rules.size()));
    expected.remove(QStringLiteral("<b>")).remove(QStringLiteral("</b>"));

    HtmlTextDialog dialog(string_id::kGameRules,
                          QString::fromLatin1(rules.data(), static_cast<qsizetype>(rules.size())));
    testing::WhenDialogTitled(QStringLiteral("Game Rules"), [&](DialogFrame* frame) {
      ASSERT_NE(dialog.Viewer(), nullptr);
      EXPECT_EQ(Shown(*dialog.Viewer()->document()).trimmed(), expected.trimmed())
          << catalogue.entries[index].name;
      testing::PressSoftKey(frame, QStringLiteral("Close"));
    });
    EXPECT_EQ(dialog.DoModal(&main), static_cast<int>(IDOK)) << catalogue.entries[index].name;
  }
}

}  // namespace
}  // namespace cw
