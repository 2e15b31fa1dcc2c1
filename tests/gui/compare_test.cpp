// SPDX-License-Identifier: GPL-3.0-or-later
// File → Compare with...: the other file chosen in the open dialog, the list of differences in
// its own dialog, and its button that opens the other file through the program's open.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include "core/data_file.h"
#include "gui_support.h"
#include "shell/language.h"
#include "shell/qt/compare_dlg.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"

namespace rondel {
namespace {

class Compare : public test::ProgramTest {
 protected:
  // This document: a.dig, a new document's data with channel 1 in use; b.dig differs from it
  // in the squelch level and channel 1's receive frequency, c.dig holds what a.dig holds.
  void SetUp() override {
    ASSERT_TRUE(Start());
    CRondelDoc doc;
    doc.Blank();
    doc.SelectModel(0, App().Settings());
    doc.SetFrequencyText(1, Direction::Receive, "446.00625");
    ASSERT_TRUE(StoreDataFile(doc, m_a, App().Settings()));
    ASSERT_TRUE(StoreDataFile(doc, m_c, App().Settings()));
    doc.SetSetting(Setting::SquelchLevel, 5);
    doc.SetFrequencyText(1, Direction::Receive, "446.01875");
    ASSERT_TRUE(StoreDataFile(doc, m_b, App().Settings()));
    ASSERT_TRUE(App().OpenDocumentFile(m_a));
  }
  void Pick() { Frame().CommandAction(cmd::kFileCompare)->trigger(); }
  static std::vector<std::vector<std::string>> Rows(const QTableWidget& table) {
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < table.rowCount(); ++r) {
      rows.emplace_back();
      for (int c = 0; c < table.columnCount(); ++c) rows.back().push_back(table.item(r, c)->text().toStdString());
    }
    return rows;
  }

  std::string m_a = m_folder.File("a.dig");
  std::string m_b = m_folder.File("b.dig");
  std::string m_c = m_folder.File("c.dig");
};

TEST_F(Compare, TheMenuEntryAsksForTheOtherFileAndListsTheDifferences) {
  EXPECT_EQ(Frame().CommandAction(cmd::kFileCompare)->text().toStdString(), "&Compare with...");
  m_prompter.ChooseOpen(m_b);
  m_modals.Then([](QDialog& dialog) -> int {
    auto* compare = qobject_cast<CCompareDlg*>(&dialog);
    EXPECT_NE(compare, nullptr);
    if (compare == nullptr) return QDialog::Rejected;
    EXPECT_EQ(compare->windowTitle().toStdString(), "Compare with b.dig");
    EXPECT_EQ(compare->Summary()->text().toStdString(), "2 differences");
    EXPECT_TRUE(compare->Table()->isVisible());
    EXPECT_EQ(compare->Table()->horizontalHeaderItem(1)->text().toStdString(), "This document");
    EXPECT_EQ(Rows(*compare->Table()),
              (std::vector<std::vector<std::string>>{{"squelchLevel", "3", "5"},
                                                     {"ch1.rxFreq", "446.00625", "446.01875"}}));
    // Read-only: a double click opens no editor.
    EXPECT_EQ(compare->Table()->editTriggers(), QAbstractItemView::NoEditTriggers);
    QTest::mouseClick(compare->CloseButton(), Qt::LeftButton);
    return dialog.result();
  });
  Pick();
  // The open dialog starts in the document's folder; Close leaves the document as it was.
  ASSERT_EQ(m_prompter.openDialogs.size(), 1u);
  EXPECT_EQ(m_prompter.openDialogs[0].proposedPath, m_folder.path() + "/");
  EXPECT_EQ(App().Document().GetPathName(), m_a);
  EXPECT_EQ(Doc().GetSetting(Setting::SquelchLevel), 3);
  EXPECT_TRUE(m_prompter.prompts.empty());
}

TEST_F(Compare, EqualFilesSayThereIsNoDifference) {
  m_prompter.ChooseOpen(m_c);
  m_modals.Then([](QDialog& dialog) -> int {
    auto& compare = static_cast<CCompareDlg&>(dialog);
    EXPECT_EQ(compare.Summary()->text().toStdString(), GetLangString("IDS_COMPARE_EQUAL"));
    EXPECT_EQ(compare.Table()->rowCount(), 0);
    EXPECT_FALSE(compare.Table()->isVisible());
    QTest::mouseClick(compare.CloseButton(), Qt::LeftButton);
    return dialog.result();
  });
  Pick();
  EXPECT_EQ(App().Document().GetPathName(), m_a);
}

TEST_F(Compare, TheOpenButtonOpensTheOtherFileAsTheDocument) {
  m_prompter.ChooseOpen(m_b);
  m_modals.Then([](QDialog& dialog) -> int {
    auto& compare = static_cast<CCompareDlg&>(dialog);
    EXPECT_EQ(compare.OpenButton()->text().toStdString(), "&Open the other file");
    QTest::mouseClick(compare.OpenButton(), Qt::LeftButton);
    return dialog.result();
  });
  Pick();
  EXPECT_EQ(App().Document().GetPathName(), m_b);
  EXPECT_EQ(Doc().GetSetting(Setting::SquelchLevel), 5);
  EXPECT_FALSE(App().Document().IsModified());
}

// The open is the program's own: over a modified document it asks first, and Cancel keeps
// the document with its change.
TEST_F(Compare, OpeningOverAModifiedDocumentAsksFirst) {
  App().Document().ApplyEdit(ListEdit{SettingsList::SquelchLevel, 8});
  ASSERT_TRUE(App().Document().IsModified());
  m_prompter.ChooseOpen(m_b);
  m_prompter.Answer(PromptAnswer::Cancel);
  m_modals.Then([](QDialog& dialog) -> int {
    auto& compare = static_cast<CCompareDlg&>(dialog);
    // The document as it is now, not as it was saved.
    EXPECT_EQ(Rows(*compare.Table()).at(0), (std::vector<std::string>{"squelchLevel", "8", "5"}));
    QTest::mouseClick(compare.OpenButton(), Qt::LeftButton);
    return dialog.result();
  });
  Pick();
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].buttons, PromptButtons::YesNoCancel);
  EXPECT_EQ(App().Document().GetPathName(), m_a);
  EXPECT_EQ(Doc().GetSetting(Setting::SquelchLevel), 8);
  EXPECT_TRUE(App().Document().IsModified());
}

// A file that is no data file is refused with Open's message, and no list is shown.
TEST_F(Compare, AFileThatIsNoDataFileIsRefusedAsOpenRefusesIt) {
  const std::string bad = m_folder.File("bad.dig");
  FILE* f = std::fopen(bad.c_str(), "w");
  ASSERT_NE(f, nullptr);
  std::fputs("not a data file", f);
  std::fclose(f);
  m_prompter.ChooseOpen(bad);
  Pick();
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_WARN_LOAD"));
  EXPECT_EQ(App().Document().GetPathName(), m_a);
}

}  // namespace
}  // namespace rondel
