// File menu Import channels and Export channels in the running program: the file choosers and
// messages answered by the scripted prompt, the form refreshed from the imported image, the
// modified flag, and a refused or unreadable list that changes nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>
#include <QTest>

#include "core/image_layout.h"
#include "grid/grid_ctrl.h"
#include "gui_support.h"
#include "shell/channel_csv.h"
#include "shell/language.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"
#include "view/rondel_view.h"

namespace rondel {
namespace {

namespace L = layout;

class ChannelListMenu : public test::ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Start());
    Frame().show();
    QApplication::setActiveWindow(&Frame());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
  }
  CRondelDoc& Doc() { return App().Core().doc(); }
  CGridCtrl& Grid() { return *static_cast<CRondelView*>(Frame().View())->Grid(); }
  std::string Cell(int row, int col) { return Grid().GetCellText(row, col).toStdString(); }
  // Opens the File menu and picks the entry by its mnemonic letter, as a keyboard user does.
  void PickFromFileMenu(Qt::Key mnemonic) {
    QMenu* file = Frame().FileMenu();
    file->popup(Frame().mapToGlobal(QPoint(0, 0)));
    QTest::keyClick(file, mnemonic);
  }
};

TEST_F(ChannelListMenu, ImportFillsTheFormMarksTheDocumentAndShowsWhatWasAdjusted) {
  const std::string list = m_folder.dir().Write(
      "plan.csv",
      "channel,rxFreq,rxTone,txFreq,txTone,narrow\r\n"
      "2,446.00625,88.5,446.1,D023N,1\r\n"
      "3,446.003,88.6,,,0\r\n");
  ASSERT_FALSE(Doc().IsModified());
  m_prompter.ChooseOpen(list);
  PickFromFileMenu(Qt::Key_I);

  ASSERT_EQ(m_prompter.openDialogs.size(), 1u);
  EXPECT_EQ(m_prompter.openDialogs[0].extension, ".csv");
  EXPECT_EQ(m_prompter.openDialogs[0].filterName, GetLangString("IDS_CSV_FILTER"));
  EXPECT_NE(m_prompter.openDialogs[0].filterName.find("*.csv"), std::string::npos);
  EXPECT_TRUE(Doc().IsModified());

  // The grid shows the image now holding the list.
  EXPECT_EQ(Cell(2, 1), "446.00625");
  EXPECT_EQ(Cell(2, 3), "446.10000");
  EXPECT_EQ(Cell(2, 4), "D023N");
  EXPECT_EQ(Cell(2, 6), GetLangString("IDS_NARROW"));
  EXPECT_EQ(Cell(3, 1), "446.00500");
  EXPECT_EQ(Cell(3, 2), "88.6");
  EXPECT_EQ(Cell(3, 4), "");
  EXPECT_TRUE(Grid().GetCellState(3, 4) & GVIS_READONLY);
  const std::uint8_t* ch3 = Doc().image().data() + L::ChannelOffset(3);
  EXPECT_EQ(ch3[L::kRxTone], 0x86);
  EXPECT_EQ(ch3[L::kRxTone + 1], 0x08);

  // One message names both adjustments with line and column.
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  const PromptRequest& shown = m_prompter.prompts[0];
  EXPECT_EQ(shown.icon, PromptIcon::Warning);
  EXPECT_EQ(shown.buttons, PromptButtons::Ok);
  EXPECT_EQ(shown.text.rfind(GetLangString("IDS_CSV_ADJUSTED"), 0), 0u) << shown.text;
  EXPECT_NE(shown.text.find("\nLine 3, column rxFreq: off the channel raster, stored as \"446.00500\""),
            std::string::npos) << shown.text;
  EXPECT_NE(shown.text.find("\nLine 3, column rxTone: not in the tone lists, stored as written \"88.6\""),
            std::string::npos) << shown.text;
}

TEST_F(ChannelListMenu, ARefusedListShowsItsMessageAndChangesNothing) {
  Doc().image()[L::ChannelOffset(1) + L::kRxFreq + 3] = 0x44;  // channel 1 at 440.00000
  Doc().image()[L::ChannelOffset(1) + L::kRxFreq + 2] = 0x00;
  Doc().image()[L::ChannelOffset(1) + L::kRxFreq + 1] = 0x00;
  Doc().image()[L::ChannelOffset(1) + L::kRxFreq] = 0x00;
  static_cast<CRondelView*>(Frame().View())->OnUpdate();
  const CRondelDoc::Image before = Doc().image();
  const std::string list = m_folder.dir().Write(
      "plan.csv", "channel,rxFreq\n1,446.1\n2,446.2\n17,446.3\n");
  m_prompter.ChooseOpen(list);
  Frame().CommandAction(cmd::kImportChannels)->trigger();

  EXPECT_TRUE(Doc().image() == before);
  EXPECT_FALSE(Doc().IsModified());
  EXPECT_EQ(Cell(1, 1), "440.00000");
  EXPECT_EQ(Cell(2, 1), "");
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].icon, PromptIcon::Error);
  EXPECT_EQ(m_prompter.prompts[0].caption, GetLangString("IDS_ERROR"));
  EXPECT_EQ(m_prompter.prompts[0].text,
            GetLangString("IDS_CSV_REFUSED") +
                "\nLine 4, column channel: not a channel of the form (1 to 16): \"17\"");
}

TEST_F(ChannelListMenu, AListThatCannotBeReadOrNoChoiceChangesNothing) {
  m_prompter.ChooseOpen(std::nullopt);
  Frame().CommandAction(cmd::kImportChannels)->trigger();
  EXPECT_TRUE(m_prompter.prompts.empty());

  const std::string missing = m_folder.File("none.csv");
  m_prompter.ChooseOpen(missing);
  Frame().CommandAction(cmd::kImportChannels)->trigger();
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_ERROR_OPENFILE") + "\n" + missing);
  EXPECT_FALSE(Doc().IsModified());
}

TEST_F(ChannelListMenu, ExportWritesTheListOfTheDocumentUnderTheNameChosen) {
  const std::string list = m_folder.dir().Write(
      "plan.csv", "channel,rxFreq,rxTone\n5,446.00625,D754I\n");
  m_prompter.ChooseOpen(list);
  Frame().CommandAction(cmd::kImportChannels)->trigger();
  Doc().SetModifiedFlag(false);

  const std::string chosen = m_folder.File("exported");  // the extension is added
  m_prompter.ChooseSave(chosen);
  PickFromFileMenu(Qt::Key_E);
  ASSERT_EQ(m_prompter.saveDialogs.size(), 1u);
  EXPECT_EQ(m_prompter.saveDialogs[0].extension, ".csv");
  const std::string& proposed = m_prompter.saveDialogs[0].proposedPath;
  EXPECT_EQ(proposed.substr(proposed.size() - 4), ".csv") << proposed;
  EXPECT_TRUE(m_prompter.prompts.empty());
  EXPECT_FALSE(Doc().IsModified());

  const std::string text = test::ReadText(chosen + ".csv");
  EXPECT_EQ(text, ExportChannelCsv(Doc(), App().Settings()));
  EXPECT_NE(text.find("\r\n5,446.00625,D754I,446.00625,D754I,"), std::string::npos) << text;

  // A folder that does not exist: the message, and no file.
  const std::string nowhere = m_folder.File("no/list.csv");
  m_prompter.ChooseSave(nowhere);
  Frame().CommandAction(cmd::kExportChannels)->trigger();
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_ERROR_SAVEFILE") + "\n" + nowhere);
}

}  // namespace
}  // namespace rondel
