// The help viewer on the built help files: the default topic and the contents show, a click on
// a contents entry or on a link changes the page, back and forward, pictures from the archive,
// the Chinese file in place of the English one, one window for the process, and the viewer's
// own message for a file it cannot read.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QImage>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>
#include <QToolBar>
#include <QTreeWidget>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/qt/help_viewer.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

std::string HelpFile(const char* name) {
  const char* dir = std::getenv("RONDEL_BIN_DIR");
  return std::string(dir && *dir ? dir : RONDEL_BIN_DIR) + "/" + name + ".chm";
}

class HelpViewerTest : public testing::Test {
 protected:
  // Every test starts without a viewer and leaves none behind.
  void SetUp() override { delete HelpViewerWindow(); }
  void TearDown() override { delete HelpViewerWindow(); }

  CHelpViewer* Show(const std::string& path, QWidget* parent = nullptr) {
    ShowHelp(path, parent);
    CHelpViewer* viewer = HelpViewerWindow();
    EXPECT_NE(viewer, nullptr);
    if (viewer) {
      EXPECT_TRUE(QTest::qWaitForWindowExposed(viewer));
    }
    return viewer;
  }
  static QString Text(CHelpViewer* viewer) { return viewer->Browser()->toPlainText(); }

  static QTreeWidgetItem* ContentsItem(CHelpViewer* viewer, const QString& name) {
    const auto found = viewer->Contents()->findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
    return found.isEmpty() ? nullptr : found.first();
  }

  static void ClickContents(CHelpViewer* viewer, QTreeWidgetItem* item) {
    QTreeWidget* tree = viewer->Contents();
    tree->scrollToItem(item);
    const QRect rect = tree->visualItemRect(item);
    ASSERT_TRUE(rect.isValid());
    QTest::mouseClick(tree->viewport(), Qt::LeftButton, Qt::NoModifier, rect.center());
  }

  // Clicks the link whose text is `text` on the page shown.
  static void ClickLink(CHelpViewer* viewer, const QString& text) {
    QTextBrowser* browser = viewer->Browser();
    const QTextCursor found = browser->document()->find(text);
    ASSERT_FALSE(found.isNull()) << text.toStdString();
    QTextCursor middle(browser->document());
    middle.setPosition((found.selectionStart() + found.selectionEnd()) / 2);
    browser->setTextCursor(middle);
    browser->ensureCursorVisible();
    const QPoint at = browser->cursorRect(middle).center();
    QTest::mouseClick(browser->viewport(), Qt::LeftButton, Qt::NoModifier, at);
  }

  static QAction* NavigationAction(CHelpViewer* viewer, int index) {
    auto* bar = viewer->findChild<QToolBar*>(QStringLiteral("helpNavigation"));
    return bar && index < bar->actions().size() ? bar->actions().at(index) : nullptr;
  }
};

TEST_F(HelpViewerTest, ShowsTheDefaultTopicAndTheContents) {
  CHelpViewer* viewer = Show(HelpFile("english"));
  ASSERT_NE(viewer, nullptr);
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_TRUE(viewer->IsFileOpen());
  EXPECT_EQ(viewer->FilePath(), HelpFile("english"));
  EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Rondel Help"));
  EXPECT_EQ(viewer->CurrentTopic(), "/index.html");
  EXPECT_TRUE(Text(viewer).contains(QStringLiteral("A typical session")));
  EXPECT_TRUE(Text(viewer).contains(QStringLiteral("Connect the programming cable")));

  QTreeWidget* tree = viewer->Contents();
  ASSERT_GE(tree->topLevelItemCount(), 10);
  EXPECT_EQ(tree->topLevelItem(0)->text(0), QStringLiteral("Rondel Help"));
  ASSERT_NE(tree->currentItem(), nullptr);
  EXPECT_EQ(tree->currentItem(), tree->topLevelItem(0)) << tree->currentItem()->text(0).toStdString();  // the page shown is marked
  QTreeWidgetItem* editing = ContentsItem(viewer, QStringLiteral("Editing the data"));
  ASSERT_NE(editing, nullptr);
  EXPECT_EQ(editing->childCount(), 2);
}

TEST_F(HelpViewerTest, AClickOnAContentsEntryShowsItsPage) {
  CHelpViewer* viewer = Show(HelpFile("english"));
  ASSERT_NE(viewer, nullptr);
  QTreeWidgetItem* reading = ContentsItem(viewer, QStringLiteral("Reading the radio"));
  ASSERT_NE(reading, nullptr);
  ClickContents(viewer, reading);
  EXPECT_EQ(viewer->CurrentTopic(), "/reading.html");
  EXPECT_TRUE(Text(viewer).contains(QStringLiteral("The read password")));

  // A nested entry, and the heading above it, which opens nothing.
  QTreeWidgetItem* channels = ContentsItem(viewer, QStringLiteral("Editing the channels"));
  ASSERT_NE(channels, nullptr);
  ClickContents(viewer, channels);
  EXPECT_EQ(viewer->CurrentTopic(), "/channels.html");
  ClickContents(viewer, ContentsItem(viewer, QStringLiteral("Editing the data")));
  EXPECT_EQ(viewer->CurrentTopic(), "/channels.html");
}

TEST_F(HelpViewerTest, LinksBetweenTopicsWorkAndBackAndForwardRetraceThem) {
  CHelpViewer* viewer = Show(HelpFile("english"));
  ASSERT_NE(viewer, nullptr);
  QAction* back = NavigationAction(viewer, 0);
  QAction* forward = NavigationAction(viewer, 1);
  QAction* home = NavigationAction(viewer, 2);
  ASSERT_TRUE(back && forward && home);
  EXPECT_FALSE(back->isEnabled());

  ClickLink(viewer, QStringLiteral("Messages and problems"));
  ASSERT_EQ(viewer->CurrentTopic(), "/troubleshooting.html");
  // The contents follow the page, whichever way it was reached.
  EXPECT_EQ(viewer->Contents()->currentItem(), ContentsItem(viewer, QStringLiteral("Messages and problems")));
  ClickLink(viewer, QStringLiteral("Choosing the communication port"));
  ASSERT_EQ(viewer->CurrentTopic(), "/port.html");
  EXPECT_TRUE(Text(viewer).contains(QStringLiteral("/dev/ttyUSB")));

  EXPECT_TRUE(back->isEnabled());
  back->trigger();
  EXPECT_EQ(viewer->CurrentTopic(), "/troubleshooting.html");
  back->trigger();
  EXPECT_EQ(viewer->CurrentTopic(), "/index.html");
  EXPECT_FALSE(back->isEnabled());
  EXPECT_TRUE(forward->isEnabled());
  forward->trigger();
  EXPECT_EQ(viewer->CurrentTopic(), "/troubleshooting.html");
  home->trigger();
  EXPECT_EQ(viewer->CurrentTopic(), "/index.html");
}

TEST_F(HelpViewerTest, PicturesAndTheStyleSheetComeFromTheArchive) {
  CHelpViewer* viewer = Show(HelpFile("english"));
  ASSERT_NE(viewer, nullptr);
  CHelpBrowser* browser = viewer->Browser();
  const QVariant icon = browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("rondel-48.png")));
  ASSERT_EQ(icon.userType(), QMetaType::QImage);
  EXPECT_EQ(icon.value<QImage>().size(), QSize(48, 48));
  // The page's own picture, as the document asked for it while laying the page out.
  const QVariant inDocument =
      browser->document()->resource(QTextDocument::ImageResource, QUrl(QStringLiteral("rondel-48.png")));
  EXPECT_FALSE(inDocument.isNull());
  const QVariant css = browser->loadResource(QTextDocument::StyleSheetResource, QUrl(QStringLiteral("style.css")));
  EXPECT_TRUE(css.toString().contains(QStringLiteral("font-family")));
  EXPECT_TRUE(browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("nothing.png"))).isNull());

  viewer->ShowTopic("/shortcuts.html");
  const QVariant strip = browser->loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("toolbar.png")));
  EXPECT_EQ(strip.value<QImage>().size(), QSize(112, 15));
}

TEST_F(HelpViewerTest, TheChineseFileReplacesTheEnglishOneInTheSameWindow) {
  CHelpViewer* viewer = Show(HelpFile("english"));
  ASSERT_NE(viewer, nullptr);
  CHelpViewer* again = Show(HelpFile("chinese"));
  EXPECT_EQ(again, viewer);  // one viewer for the process
  EXPECT_EQ(viewer->FilePath(), HelpFile("chinese"));
  EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Rondel 帮助"));
  // Both files begin with a page of the same name: it must be the Chinese one now.
  EXPECT_EQ(viewer->CurrentTopic(), "/index.html");
  EXPECT_TRUE(Text(viewer).contains(QStringLiteral("一般操作步骤"))) << Text(viewer).left(200).toStdString();
  EXPECT_FALSE(Text(viewer).contains(QStringLiteral("A typical session")));
  EXPECT_EQ(viewer->Contents()->topLevelItem(0)->text(0), QStringLiteral("Rondel 帮助"));

  ClickContents(viewer, ContentsItem(viewer, QStringLiteral("连接写频线")));
  EXPECT_EQ(viewer->CurrentTopic(), "/cable.html");
  EXPECT_TRUE(Text(viewer).contains(QStringLiteral("sudo usermod -aG dialout $USER")));
  EXPECT_TRUE(Text(viewer).contains(QStringLiteral("注销并重新登录")));
  // Back does not lead into the file shown before.
  NavigationAction(viewer, 0)->trigger();
  EXPECT_EQ(viewer->CurrentTopic(), "/index.html");
  EXPECT_FALSE(NavigationAction(viewer, 0)->isEnabled());
}

TEST_F(HelpViewerTest, ShowingTheSameFileAgainRaisesItWhereItWas) {
  CHelpViewer* viewer = Show(HelpFile("english"));
  ASSERT_NE(viewer, nullptr);
  viewer->ShowTopic("/files.html");
  viewer->hide();
  EXPECT_EQ(Show(HelpFile("english")), viewer);
  EXPECT_TRUE(viewer->isVisible());
  EXPECT_EQ(viewer->CurrentTopic(), "/files.html");
}

std::string MissingHelpFile() { return "/nonexistent/rondel/english.chm"; }

TEST_F(HelpViewerTest, AFileThatCannotBeReadIsReportedInTheViewer) {
  test::TempDir dir;
  const std::string full = test::ReadText(HelpFile("english"));
  for (const std::string& path : {dir.File("missing.chm"), dir.Write("garbage.chm", std::string(3000, 'x')),
                                  dir.Write("cut.chm", full.substr(0, full.size() / 2))}) {
    CHelpViewer* viewer = Show(path);
    ASSERT_NE(viewer, nullptr);
    EXPECT_FALSE(viewer->IsFileOpen());
    EXPECT_EQ(Text(viewer), QStringLiteral("Cannot open the help file: %1").arg(QString::fromStdString(path)));
    EXPECT_EQ(viewer->Contents()->topLevelItemCount(), 0);
    EXPECT_TRUE(viewer->CurrentTopic().empty());
    NavigationAction(viewer, 2)->trigger();  // Home has nowhere to go
    EXPECT_TRUE(Text(viewer).startsWith(QStringLiteral("Cannot open")));
  }
  // Once the file is there, asking again shows it.
  CHelpViewer* viewer = Show(HelpFile("english"));
  EXPECT_TRUE(viewer->IsFileOpen());
  EXPECT_TRUE(Text(viewer).contains(QStringLiteral("A typical session")));
}

TEST_F(HelpViewerTest, APageTheArchiveLacksSaysSo) {
  CHelpViewer* viewer = Show(HelpFile("english"));
  ASSERT_NE(viewer, nullptr);
  viewer->ShowTopic("/no-such-page.html");
  EXPECT_EQ(Text(viewer), QStringLiteral("This page is not in the help file: /no-such-page.html"));
}

// The program hands the viewer its language file: every word of the viewer's own comes from
// there, markup in a translation is shown as text, and a change of language is taken up at
// the next Help.
TEST_F(HelpViewerTest, TheViewersOwnWordsComeFromTheProgramsLookup) {
  std::string prefix = "[en]";
  SetHelpTextLookup([&prefix](std::string_view key) { return prefix + " <" + std::string(key) + ">"; });
  CHelpViewer* viewer = Show(MissingHelpFile());
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(Text(viewer), QStringLiteral("[en] <IDS_HELP_CANNOTOPEN> ") + QString::fromStdString(MissingHelpFile()));
  EXPECT_EQ(NavigationAction(viewer, 0)->text(), QStringLiteral("[en] <IDS_HELP_BACK>"));
  EXPECT_EQ(NavigationAction(viewer, 2)->text(), QStringLiteral("[en] <IDS_HELP_HOME>"));
  EXPECT_EQ(viewer->windowTitle(), QStringLiteral("[en] <IDS_HELP_TITLE>"));
  prefix = "[zh]";
  viewer = Show(HelpFile("english"));
  EXPECT_EQ(NavigationAction(viewer, 1)->text(), QStringLiteral("[zh] <IDS_HELP_FORWARD>"));
  viewer->ShowTopic("/no-such-page.html");
  EXPECT_EQ(Text(viewer), QStringLiteral("[zh] <IDS_HELP_NOPAGE> /no-such-page.html"));
  SetHelpTextLookup(nullptr);
}

TEST_F(HelpViewerTest, AViewerOfTheMainWindowGoesWithIt) {
  auto frame = std::make_unique<QWidget>();
  auto* inner = new QWidget(frame.get());
  CHelpViewer* viewer = Show(HelpFile("english"), inner);
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(viewer->parentWidget(), frame.get());  // the top-level window, not the widget asked from
  EXPECT_TRUE(viewer->isWindow());
  EXPECT_FALSE(viewer->isModal());
  frame.reset();
  EXPECT_EQ(HelpViewerWindow(), nullptr);
}

}  // namespace
}  // namespace rondel
