// The help viewer's glue: one window per process, contents and links that change the page, the
// other language's file in the same window, and its own words for what it cannot show.
#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>

#include <cstdlib>
#include <memory>
#include <string>

#include "platform/qt/help_viewer.h"

namespace rondel {
namespace {

// The test entry point sets RONDEL_BIN_DIR where the caller did not.
std::string HelpFile(const char* name) { return std::string(std::getenv("RONDEL_BIN_DIR")) + "/" + name + ".chm"; }

CHelpViewer* Show(const std::string& path, QWidget* parent = nullptr) {
  ShowHelp(path, parent);
  CHelpViewer* viewer = HelpViewerWindow();
  EXPECT_TRUE(viewer && QTest::qWaitForWindowExposed(viewer));
  return viewer;
}

TEST(HelpViewer, OneWindowShowsTheFileItsContentsAndItsLinks) {
  auto frame = std::make_unique<QWidget>();
  CHelpViewer* viewer = Show(HelpFile("english"), new QWidget(frame.get()));
  ASSERT_NE(viewer, nullptr);
  EXPECT_EQ(viewer->parentWidget(), frame.get());  // the top-level window, not the widget asked from
  EXPECT_EQ(viewer->windowTitle(), QStringLiteral("Rondel Help"));
  EXPECT_EQ(viewer->CurrentTopic(), "/index.html");
  EXPECT_EQ(viewer->Contents()->currentItem(), viewer->Contents()->topLevelItem(0));
  QTreeWidgetItem* reading =
      viewer->Contents()->findItems(QStringLiteral("Reading the radio"), Qt::MatchExactly | Qt::MatchRecursive).value(0);
  ASSERT_NE(reading, nullptr);
  QTest::mouseClick(viewer->Contents()->viewport(), Qt::LeftButton, {}, viewer->Contents()->visualItemRect(reading).center());
  EXPECT_EQ(viewer->CurrentTopic(), "/reading.html");
  viewer->findChild<QToolBar*>(QStringLiteral("helpNavigation"))->actions().at(0)->trigger();  // back
  EXPECT_EQ(viewer->CurrentTopic(), "/index.html");
  emit viewer->Browser()->anchorClicked(QUrl(QStringLiteral("cable.html")));  // a link on the page
  EXPECT_EQ(viewer->CurrentTopic(), "/cable.html");

  EXPECT_EQ(Show(HelpFile("chinese")), viewer);  // the same window, now titled in Chinese
  EXPECT_TRUE(viewer->windowTitle() == QStringLiteral("Rondel 帮助") && viewer->Browser()->toPlainText().contains(QStringLiteral("一般操作步骤")));
  viewer->ShowTopic("/no-such-page.html");
  EXPECT_EQ(viewer->Browser()->toPlainText(), QStringLiteral("This page is not in the help file: /no-such-page.html"));
  frame.reset();
  EXPECT_EQ(HelpViewerWindow(), nullptr);
}

TEST(HelpViewer, AFileThatCannotBeReadIsReportedInTheViewersOwnWords) {
  SetHelpTextLookup([](std::string_view key) { return "[zh] <" + std::string(key) + ">"; });
  CHelpViewer* viewer = Show("/nonexistent/english.chm");
  ASSERT_NE(viewer, nullptr);
  EXPECT_FALSE(viewer->IsFileOpen());
  EXPECT_EQ(viewer->Browser()->toPlainText(), QStringLiteral("[zh] <IDS_HELP_CANNOTOPEN> /nonexistent/english.chm"));
  EXPECT_EQ(viewer->windowTitle(), QStringLiteral("[zh] <IDS_HELP_TITLE>"));
  EXPECT_EQ(viewer->Contents()->topLevelItemCount(), 0);
  SetHelpTextLookup(nullptr);
  delete viewer;
}

}  // namespace
}  // namespace rondel
