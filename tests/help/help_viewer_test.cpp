// SPDX-License-Identifier: GPL-3.0-or-later
// The help viewer's glue: one window per process, contents and links that change the page, the
// other language's file in the same window, its own words for what it cannot show, the search
// over every page and on the page shown, and the keyword index.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScrollBar>
#include <QTabWidget>
#include <QTest>
#include <QTextBrowser>
#include <QToolBar>
#include <QTreeWidget>

#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "platform/qt/help_viewer.h"
#include "support/process.h"
#include "support/temp_dir.h"

// Readable texts in failure messages (gtest looks for it beside the type).
void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }

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

// The viewer's words as the keys it looks up, so that a test sees which message it chose.
class KeyedTexts {
 public:
  KeyedTexts() {
    SetHelpTextLookup([](std::string_view key) { return key == "IDS_HELP_FOUND" ? std::string("found %1") : std::string(key); });
  }
  ~KeyedTexts() { SetHelpTextLookup(nullptr); }
};

// A file the viewer cannot show, or a page of it that cannot be read, is said in the viewer's own
// words with the reason, and the viewer stays up.
TEST(HelpViewer, AFileThatCannotBeReadIsReportedInTheViewersOwnWordsWithTheReason) {
  SetHelpTextLookup([](std::string_view key) { return "[zh] <" + std::string(key) + ">"; });
  test::TempDir dir;
  const std::string good = test::ReadText(HelpFile("english"));
  auto patched = [&](std::size_t at, char to) { return std::string(good).replace(at, 1, 1, to); };
  const std::size_t lzxc = good.find("LZXC");                                       // control data + 4
  const std::size_t table = good.find(std::string("\x08\0\0\0\x28\0\0\0", 8)) - 8;  // reset table
  ASSERT_TRUE(lzxc != std::string::npos && table < good.size());
  const struct { std::string path; const char* why; } cases[] = {
      {"/nonexistent/english.chm", "IDS_HELP_WHY_MISSING"},
      {dir.path(), "IDS_HELP_WHY_UNREADABLE"},
      {dir.Write("text.chm", "<html>no help file</html>"), "IDS_HELP_WHY_NOTHELP"},
      {dir.Write("cut.chm", good.substr(0, good.size() / 2)), "IDS_HELP_WHY_DAMAGED"},
      // Opens, but its LZX window of 0 leaves even the first page unreadable.
      {dir.Write("window0.chm", patched(lzxc + 12, 0)), "IDS_HELP_WHY_DAMAGED"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    CHelpViewer* viewer = Show(c.path);
    ASSERT_NE(viewer, nullptr);
    EXPECT_FALSE(viewer->IsFileOpen());
    EXPECT_EQ(viewer->Browser()->toPlainText(),
              QStringLiteral("[zh] <IDS_HELP_CANNOTOPEN> %1\n[zh] <%2>").arg(QString::fromStdString(c.path), c.why));
    EXPECT_EQ(viewer->windowTitle(), QStringLiteral("[zh] <IDS_HELP_TITLE>"));
    EXPECT_EQ(viewer->Contents()->topLevelItemCount(), 0);
    EXPECT_LT(viewer->Tabs()->indexOf(viewer->IndexPanel()), 0);
    viewer->SearchField()->setText(QStringLiteral("help"));  // the message itself is no page of a file
    EXPECT_EQ(viewer->SearchResults()->count(), 0);
    EXPECT_EQ(viewer->SearchStatus()->text(), QStringLiteral("[zh] <IDS_HELP_NORESULT>"));
  }
  // A reset table whose frames are too long: the first page still unpacks, a later one does not.
  std::string frames = patched(table + 33, 0);  // 0x8000 becomes 0x10000
  frames[table + 34] = 1;
  CHelpViewer* viewer = Show(dir.Write("frames.chm", frames));
  ASSERT_NE(viewer, nullptr);
  ASSERT_TRUE(viewer->IsFileOpen());
  EXPECT_EQ(viewer->CurrentTopic(), "/index.html");
  viewer->ShowTopic("/shortcuts.html");
  EXPECT_EQ(viewer->Browser()->toPlainText(),
            QStringLiteral("[zh] <IDS_HELP_BADPAGE> /shortcuts.html\n[zh] <IDS_HELP_WHY_DAMAGED>"));
  viewer->ShowTopic("/no-such-page.html");
  EXPECT_EQ(viewer->Browser()->toPlainText(), QStringLiteral("[zh] <IDS_HELP_NOPAGE> /no-such-page.html"));
  SetHelpTextLookup(nullptr);
  delete viewer;
}

// The viewer of one test, shown and active so that its shortcuts reach it; gone at the end.
class HelpViewerTest : public testing::Test {
 protected:
  CHelpViewer* Open(const std::string& path) {
    CHelpViewer* viewer = Show(path);
    if (viewer) {
      EXPECT_TRUE(QTest::qWaitForWindowActive(viewer));
    }
    return viewer;
  }
  void TearDown() override { delete HelpViewerWindow(); }

  static QStringList Texts(const QListWidget* list, bool visibleOnly = false) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
      if (!visibleOnly || !list->item(i)->isHidden()) texts.append(list->item(i)->text());
    }
    return texts;
  }
  static void Choose(QListWidget* list, int row) {
    QListWidgetItem* item = list->item(row);
    ASSERT_NE(item, nullptr);
    list->scrollToItem(item);
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->visualItemRect(item).center());
  }
  // Typed as a user does: Latin letters key by key, Chinese as an input method hands it over.
  static void Enter(QWidget* field, const QString& text) {
    for (const QChar c : text) {
      if (c.unicode() < 0x80) {
        QTest::keyClick(field, c.toLatin1());
      } else {
        QInputMethodEvent composed;
        composed.setCommitString(c);
        QApplication::sendEvent(field, &composed);
      }
    }
  }
  // Ctrl+F from wherever the focus is, then the query typed into the field it gives.
  static void Type(CHelpViewer* viewer, const QString& query) {
    QTest::keyClick(viewer->Browser(), Qt::Key_F, Qt::ControlModifier);
    ASSERT_EQ(QApplication::focusWidget(), viewer->SearchField());
    Enter(viewer->SearchField(), query);
  }
  static bool LooksNotFound(const CHelpViewer* viewer) {
    return viewer->SearchField()->palette().color(QPalette::Base) != viewer->palette().color(QPalette::Base);
  }

  KeyedTexts m_texts;
};

TEST_F(HelpViewerTest, SearchListsThePagesHoldingEveryWordAndShowsTheFirstHit) {
  const struct {
    const char* file;
    const char* query;
    std::vector<const char*> titles;  // most hits first
    const char* firstPage;            // the page the first result shows
    bool farDown;                     // its hit lies below the first screen
  } cases[] = {
      {"english", "squelch", {"Frequency range and radio settings"}, "/settings.html", false},
      {"english", "intact", {"Messages and problems"}, "/troubleshooting.html", true},
      {"english", "PASSWORD  frequency",
       {"Frequency range and radio settings", "Test mode (power calibration)", "Rondel Help"}, "/settings.html", false},
      {"english", "frequency",
       {"Editing the channels", "Frequency range and radio settings", "Rondel Help", "Test mode (power calibration)",
        "Data files", "Writing to the radio", "Printing the channel list"},  // ties in the order of the contents
       "/channels.html", false},
      {"chinese", "频率", {"编辑信道", "频段和整机设置", "打印信道表"}, "/channels.html", false},
      {"chinese", "静噪", {"频段和整机设置"}, "/settings.html", false},
      {"chinese", "密码\u3000频率", {"频段和整机设置"}, "/settings.html", false},  // the ideographic space parts words
      {"chinese", "squelch", {}, nullptr, false},  // the English pages are no longer searched
      {"english", "xylophone", {}, nullptr, false},
      {"english", "squelch xylophone", {}, nullptr, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.file) + ": " + c.query);
    CHelpViewer* viewer = Open(HelpFile(c.file));
    ASSERT_NE(viewer, nullptr);
    const std::string shown = viewer->CurrentTopic();
    Type(viewer, QString::fromUtf8(c.query));
    EXPECT_EQ(viewer->Tabs()->currentWidget(), viewer->SearchPanel());
    QStringList expected;
    for (const char* title : c.titles) expected.append(QString::fromUtf8(title));
    EXPECT_EQ(Texts(viewer->SearchResults()), expected);
    if (!c.firstPage) {
      EXPECT_EQ(viewer->SearchStatus()->text(), QStringLiteral("IDS_HELP_NORESULT"));
      EXPECT_TRUE(LooksNotFound(viewer));
      EXPECT_EQ(viewer->CurrentTopic(), shown);
      continue;
    }
    EXPECT_EQ(viewer->SearchStatus()->text(), QStringLiteral("found %1").arg(expected.size()));
    EXPECT_FALSE(LooksNotFound(viewer));
    Choose(viewer->SearchResults(), 0);
    EXPECT_EQ(viewer->CurrentTopic(), c.firstPage);
    const QString selected = viewer->Browser()->textCursor().selectedText();  // one of the words, in the page's case
    EXPECT_TRUE(selected.size() >= 2 && QString::fromUtf8(c.query).contains(selected, Qt::CaseInsensitive)) << selected.toStdString();
    EXPECT_TRUE(viewer->Browser()->viewport()->rect().contains(viewer->Browser()->cursorRect().center()));
    if (c.farDown) {
      EXPECT_GT(viewer->Browser()->verticalScrollBar()->value(), 0);
    }
  }
}

// Pages named by their <title>, else by their contents entry, else by their path, matched on
// their text with tags gone and entities decoded; and a file without a keyword index has no
// index tab.
TEST_F(HelpViewerTest, ResultsAreNamedByTitleElseContentsEntryElsePath) {
  test::TempDir dir;
  const auto page = [](const char* head, const char* body) {
    return std::string("<html><head><meta charset=\"utf-8\">") + head + "</head><body><p>" + body + "</p></body></html>";
  };
  dir.Write("a.html", page("<title>Alpha page</title>", "zebra zebra zebra"));
  dir.Write("b.html", page("", "zebra &amp; zebra"));
  dir.Write("c.html", page("<title> </title>", "a zebr&#97;"));
  dir.Write("d.html", page("<title>Delta</title>", "one <b>ze</b>bra, split by a tag"));
  dir.Write("e.html", page("<title>Echo</title>", "zeb ra, split by a space"));
  dir.Write("t.hhc",
            "<html><body><ul>"
            "<li><object type=\"text/sitemap\"><param name=\"Name\" value=\"Bravo &amp; co\"><param name=\"Local\" value=\"b.html\"></object>"
            "<li><object type=\"text/sitemap\"><param name=\"Name\" value=\"Alpha entry\"><param name=\"Local\" value=\"a.html\"></object>"
            "</ul></body></html>");
  dir.Write("t.hhp",
            "[OPTIONS]\nCompiled file=t.chm\nContents file=t.hhc\nDefault topic=a.html\nTitle=T\n\n[FILES]\n"
            "a.html\nb.html\nc.html\nd.html\ne.html\n");
  const test::ProcessResult built = test::RunProcess(
      "/bin/sh", {"-c", "cd '" + dir.path() + "' && exec '" RONDEL_CHMCMD "' --no-html-scan --verbosity 0 t.hhp"});
  ASSERT_EQ(built.exitStatus, 0) << test::Describe(built);

  CHelpViewer* viewer = Open(dir.File("t.chm"));
  ASSERT_TRUE(viewer && viewer->IsFileOpen());
  EXPECT_LT(viewer->Tabs()->indexOf(viewer->IndexPanel()), 0);
  EXPECT_EQ(viewer->Tabs()->count(), 2);
  Type(viewer, QStringLiteral("Zebra"));
  EXPECT_EQ(Texts(viewer->SearchResults()),
            (QStringList{QStringLiteral("Alpha page"), QStringLiteral("Bravo & co"), QStringLiteral("c.html"), QStringLiteral("Delta")}));
}

TEST_F(HelpViewerTest, EnterAndF3StepThroughTheHitsOfThePageShownAndWrap) {
  CHelpViewer* viewer = Open(HelpFile("english"));
  ASSERT_NE(viewer, nullptr);
  viewer->ShowTopic("/channels.html");
  Type(viewer, QStringLiteral("TONE"));
  QTextBrowser* browser = viewer->Browser();
  const int hits = static_cast<int>(browser->toPlainText().count(QStringLiteral("tone"), Qt::CaseInsensitive));
  ASSERT_GE(hits, 3);
  const struct {
    QWidget* target;
    Qt::Key key;
  } forward[] = {{viewer->SearchField(), Qt::Key_Return}, {viewer->SearchField(), Qt::Key_F3}, {browser, Qt::Key_F3}};
  std::vector<int> positions;
  for (int i = 0; i < hits; ++i) {
    const auto& step = forward[i % std::size(forward)];
    QTest::keyClick(step.target, step.key);
    positions.push_back(browser->textCursor().selectionStart());
    EXPECT_EQ(browser->textCursor().selectedText().compare(QStringLiteral("tone"), Qt::CaseInsensitive), 0);
    EXPECT_EQ(viewer->SearchStatus()->text(), QStringLiteral("found %1").arg(viewer->SearchResults()->count()));
    if (i > 0) {
      EXPECT_GT(positions[i], positions[i - 1]);
    }
  }
  QTest::keyClick(viewer->SearchField(), Qt::Key_F3);  // past the last: the first again
  EXPECT_EQ(browser->textCursor().selectionStart(), positions.front());
  EXPECT_EQ(viewer->SearchStatus()->text(), QStringLiteral("IDS_HELP_WRAPPED"));
  QTest::keyClick(browser, Qt::Key_F3, Qt::ShiftModifier);  // before the first: the last
  EXPECT_EQ(browser->textCursor().selectionStart(), positions.back());
  EXPECT_EQ(viewer->SearchStatus()->text(), QStringLiteral("IDS_HELP_WRAPPED"));
  QTest::keyClick(viewer->SearchField(), Qt::Key_Return, Qt::ShiftModifier);
  EXPECT_EQ(browser->textCursor().selectionStart(), positions[positions.size() - 2]);
  EXPECT_FALSE(LooksNotFound(viewer));

  // Found elsewhere but not here: the page says so, and the place on it stays.
  viewer->SearchField()->setText(QStringLiteral("squelch"));
  EXPECT_EQ(viewer->SearchResults()->count(), 1);
  QTest::keyClick(viewer->SearchField(), Qt::Key_Return);
  EXPECT_EQ(viewer->SearchStatus()->text(), QStringLiteral("IDS_HELP_NOTONPAGE"));
  EXPECT_TRUE(LooksNotFound(viewer));
  EXPECT_EQ(browser->textCursor().selectionStart(), positions[positions.size() - 2]);
  // Two words: each place that holds either one, in page order.
  viewer->SearchField()->setText(QStringLiteral("ctcss dcs"));
  EXPECT_FALSE(LooksNotFound(viewer));
  browser->moveCursor(QTextCursor::Start);
  QStringList seen;
  for (int i = 0; i < 4; ++i) {
    QTest::keyClick(browser, Qt::Key_F3);
    seen.append(browser->textCursor().selectedText().toLower());
  }
  EXPECT_TRUE(seen.contains(QStringLiteral("ctcss")) && seen.contains(QStringLiteral("dcs"))) << seen.join(' ').toStdString();
}

TEST_F(HelpViewerTest, CtrlFGoesToTheSearchFieldFromAnyTabWithItsTextSelected) {
  CHelpViewer* viewer = Open(HelpFile("english"));
  ASSERT_NE(viewer, nullptr);
  for (QWidget* from : {static_cast<QWidget*>(viewer->Contents()), static_cast<QWidget*>(viewer->Browser()),
                        static_cast<QWidget*>(viewer->IndexFilter())}) {
    SCOPED_TRACE(from->objectName().toStdString());
    viewer->Tabs()->setCurrentWidget(from == viewer->IndexFilter() ? viewer->IndexPanel() : viewer->Contents());
    from->setFocus();
    QTest::keyClick(from, Qt::Key_F, Qt::ControlModifier);
    EXPECT_EQ(viewer->Tabs()->currentWidget(), viewer->SearchPanel());
    EXPECT_EQ(QApplication::focusWidget(), viewer->SearchField());
    EXPECT_EQ(viewer->SearchField()->selectedText(), viewer->SearchField()->text());
    QTest::keyClicks(viewer->SearchField(), QStringLiteral("cable"));  // typing replaces the query before
    EXPECT_EQ(viewer->SearchField()->text(), QStringLiteral("cable"));
  }
}

TEST_F(HelpViewerTest, TheShippedFilesHaveAnIndexTabWhoseKeywordsOpenTheirPages) {
  const struct {
    const char* file;
    const char* filter;
    std::vector<const char*> matching;
    const char* firstPage;
  } cases[] = {
      {"english", "RADIO", {"Reading the radio", "Virtual radio", "Writing to the radio"}, "/reading.html"},
      {"english", "port", {"COM port", "Port search"}, "/port.html"},
      {"chinese", "对讲机", {"读取对讲机数据", "写入对讲机", "虚拟对讲机"}, "/reading.html"},
      {"chinese", "vox", {"声控（VOX）"}, "/settings.html"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file);
    CChmArchive archive;
    ASSERT_TRUE(archive.Open(HelpFile(c.file)));
    EXPECT_EQ(archive.IndexFile(), std::string("/").append(c.file).append(".hhk"));

    CHelpViewer* viewer = Open(HelpFile(c.file));
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(viewer->Tabs()->indexOf(viewer->IndexPanel()), 1);  // between contents and search
    QListWidget* list = viewer->IndexList();
    ASSERT_GE(list->count(), 15);
    EXPECT_LE(list->count(), 30);
    for (int row = 0; row < list->count(); ++row) {  // every keyword leads to a page of the file
      viewer->ShowTopic("/no-such-page.html");
      viewer->Tabs()->setCurrentWidget(viewer->IndexPanel());
      Choose(list, row);
      EXPECT_TRUE(IsHtmlPath(viewer->CurrentTopic()) && archive.Contains(viewer->CurrentTopic()))
          << list->item(row)->text().toStdString();
    }

    viewer->ShowTopic("/index.html");
    Enter(viewer->IndexFilter(), QString::fromUtf8(c.filter));
    QStringList expected;
    for (const char* keyword : c.matching) expected.append(QString::fromUtf8(keyword));
    EXPECT_EQ(Texts(list, true), expected);
    EXPECT_EQ(viewer->CurrentTopic(), "/index.html");  // narrowing alone opens nothing
    QTest::keyClick(viewer->IndexFilter(), Qt::Key_Return);
    EXPECT_EQ(viewer->CurrentTopic(), c.firstPage);
    viewer->IndexFilter()->clear();
    EXPECT_EQ(Texts(list, true).size(), list->count());
  }
}

}  // namespace
}  // namespace rondel
