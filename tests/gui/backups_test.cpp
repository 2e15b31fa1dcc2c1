// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's backups: a read and the test mode's entry read each keep one, a backup
// that fails is a warning and the read stands; File > Radio backups... lists them and opens
// one as a new, unnamed document, asking about unsaved changes first.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <algorithm>
#include <filesystem>

#include "core/data_file.h"
#include "gui_support.h"
#include "link/qt/test_password_dlg.h"
#include "platform/dialogs/cdialog.h"
#include "shell/language.h"
#include "shell/qt/backups_dlg.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"
#include "shell/document/radio_backups.h"
#include "tools/radiosim/virtual_radio.h"

namespace rondel {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono;
using test::Button;

constexpr std::size_t kTransferred = 0x3F0;  // the blocks of a read

std::vector<std::string> Files(const std::string& folder) {
  std::vector<std::string> names;
  if (fs::is_directory(folder))
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().string());
  std::sort(names.begin(), names.end());
  return names;
}

class Backups : public test::ProgramTest {
 protected:
  std::string Folder() const { return m_state.File("rondel/backups"); }
  void StartWithRadio() {
    m_radio = std::make_unique<sim::VirtualRadio>();
    ASSERT_TRUE(m_radio->Start()) << m_radio->error();
    sim::Memory m = sim::FactoryMemory();
    m[layout::kSquelchLevel] = 7;
    m_radio->SetMemory(m);
    m_folder.MapPorts(m_radio->DevicePath());
    m_folder.SetIni("setup", "testpw", "Calib#7");
    ASSERT_TRUE(Start());
  }
  void Read() {
    m_modals.Then([](QDialog& d) {
      QTest::mouseClick(Button(&d, IDOK), Qt::LeftButton);
      return d.exec();
    });
    Frame().OnCommand(cmd::kReadData);
  }
  // The radio's memory where a read puts it, in a data file of the document's header.
  void ExpectTheRadiosBytes(const std::string& path) {
    const std::vector<std::uint8_t> bytes = test::ReadBytes(path);
    ASSERT_EQ(bytes.size(), 4144u);
    const sim::Memory memory = m_radio->GetMemory();
    EXPECT_TRUE(std::equal(memory.begin(), memory.begin() + kTransferred,
                           bytes.begin() + layout::kHeaderSize));
    EXPECT_EQ(bytes, SerializeDocument(Doc()));
  }

  test::TempDir m_state;
  test::ScopedEnv m_stateHome{"XDG_STATE_HOME", m_state.path().c_str()};
  std::unique_ptr<sim::VirtualRadio> m_radio;
};

TEST_F(Backups, ACompletedReadKeepsOneBackupOfWhatTheRadioSent) {
  StartWithRadio();
  Read();
  const std::vector<std::string> files = Files(Folder());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_TRUE(ParseBackupFileName(fs::path(files[0]).filename().string()).valid);
  ExpectTheRadiosBytes(files[0]);
  EXPECT_TRUE(m_prompter.prompts.empty());
}

TEST_F(Backups, ABackupThatFailsIsAWarningAndTheReadStands) {
  const std::string blocked = m_state.Write("rondel", "not a folder");
  StartWithRadio();
  Read();
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_WARN_BACKUP_FAILED") + "\n" + Folder() +
                                            ": Not a directory");
  EXPECT_EQ(m_prompter.prompts[0].icon, PromptIcon::Warning);
  EXPECT_EQ(Doc().image()[layout::kSquelchLevel], 7) << "the read reached the document";
  EXPECT_TRUE(App().Document().IsModified());
}

TEST_F(Backups, TheTestModesEntryReadKeepsOneBackup) {
  StartWithRadio();
  m_modals.Then([](QDialog& d) {
    auto& gate = static_cast<CTestPasswordDlg&>(d);
    QTest::keyClicks(gate.PasswordEdit(), QStringLiteral("Calib#7"));
    test::Click(d, IDOK);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !gate.ExchangeRunning(); }, 60000));
    return test::Click(d, IDCANCEL);
  });
  m_modals.Then([](QDialog& d) {
    d.reject();
    return d.result();
  });
  Frame().OnCommand(cmd::kTestMode);
  const std::vector<std::string> files = Files(Folder());
  ASSERT_EQ(files.size(), 1u);
  const std::vector<std::uint8_t> bytes = test::ReadBytes(files[0]);
  const sim::Memory memory = m_radio->GetMemory();
  ASSERT_EQ(bytes.size(), 4144u);
  EXPECT_TRUE(std::equal(memory.begin(), memory.end(), bytes.begin() + layout::kHeaderSize))
      << "the whole memory, calibration included";
}

// Two backups in the folder: 16 channels on 136-174 MHz a day old, 2 on 400-470 MHz now.
class BackupList : public Backups {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Start());
    const CSettings& settings = App().Settings();
    const BackupClock::time_point now = BackupClock::now();
    CRondelDoc vhf;
    vhf.Blank();
    vhf.SelectModel(2, settings);
    for (int n = 1; n <= 16; ++n) vhf.SetFrequencyText(n, Direction::Receive, "145.5");
    CRondelDoc uhf;
    uhf.Blank();
    uhf.SelectModel(0, settings);
    uhf.SetFrequencyText(1, Direction::Receive, "446.00625");
    uhf.SetFrequencyText(2, Direction::Receive, "446.01875");
    m_old = StoreRadioBackup(vhf, settings, now - 24h, Folder()).path;
    m_new = StoreRadioBackup(uhf, settings, now, Folder()).path;
    ASSERT_FALSE(m_old.empty());
    ASSERT_FALSE(m_new.empty());
  }
  std::string m_old, m_new;
};

TEST_F(BackupList, TheDialogListsThemNewestFirstAndOpensOneAsANewUnnamedDocument) {
  const std::string saved = m_folder.File("mine.dig");
  m_modals.Then([this](QDialog& d) -> int {
    auto& dialog = static_cast<CBackupsDlg&>(d);
    QTableWidget* table = dialog.Table();
    EXPECT_EQ(dialog.NoneLine(), nullptr);
    if (!table) return QDialog::Rejected;
    EXPECT_EQ(table->rowCount(), 2);
    const std::vector<BackupEntry> list = ListRadioBackups(App().Settings(), Folder());
    const QString want[2][3] = {{QString::fromStdString(list[0].when), "400-470MHz", "2"},
                                {QString::fromStdString(list[1].when), "136-174MHz", "16"}};
    for (int row = 0; row < 2; ++row)
      for (int col = 0; col < 3; ++col)
        EXPECT_EQ(table->item(row, col)->text(), want[row][col]) << row << "," << col;
    EXPECT_EQ(table->horizontalHeaderItem(2)->text(),
              QString::fromStdString(GetLangString("IDS_BACKUPS_CHANNELS")));
    table->selectRow(1);
    QTest::mouseClick(dialog.OpenButton(), Qt::LeftButton);
    return d.result();
  });
  Frame().OnCommand(cmd::kRadioBackups);
  const CRondelDocument& document = App().Document();
  EXPECT_EQ(SerializeDocument(Doc()), test::ReadBytes(m_old));
  EXPECT_EQ(document.GetPathName(), "");
  EXPECT_FALSE(document.IsModified());
  EXPECT_FALSE(document.CanUndo()) << "the history starts at the backup";
  const auto recent = App().Core().RecentFiles().Entries();
  EXPECT_EQ(std::count(recent.begin(), recent.end(), m_old), 0);
  EXPECT_TRUE(m_prompter.prompts.empty());
  // Save asks for a name, and the backup stays as it was.
  const std::vector<std::uint8_t> backup = test::ReadBytes(m_old);
  m_prompter.ChooseSave(saved);
  Frame().OnCommand(cmd::kFileSave);
  EXPECT_EQ(m_prompter.saveDialogs.size(), 1u);
  EXPECT_EQ(test::ReadBytes(saved), backup);
  EXPECT_EQ(test::ReadBytes(m_old), backup);
  EXPECT_EQ(document.GetPathName(), saved);
}

TEST_F(BackupList, OverAModifiedDocumentOpenAsksFirstAndCancelKeepsTheDocument) {
  const struct {
    PromptAnswer answer;
    bool opened;
  } cases[] = {{PromptAnswer::Cancel, false}, {PromptAnswer::No, true}};
  for (const auto& c : cases) {
    App().Document().ApplyEdit(PasswordEdit{"42"});
    ASSERT_TRUE(App().Document().IsModified());
    const std::vector<std::uint8_t> before = SerializeDocument(Doc());
    m_prompter.prompts.clear();
    m_prompter.Answer(c.answer);
    m_modals.Then([](QDialog& d) {
      auto& dialog = static_cast<CBackupsDlg&>(d);
      QTest::mouseClick(dialog.OpenButton(), Qt::LeftButton);  // the newest, selected first
      return d.result();
    });
    Frame().OnCommand(cmd::kRadioBackups);
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    EXPECT_EQ(m_prompter.prompts[0].buttons, PromptButtons::YesNoCancel);
    EXPECT_EQ(SerializeDocument(Doc()), c.opened ? test::ReadBytes(m_new) : before);
    EXPECT_EQ(App().Document().IsModified(), !c.opened);
  }
}

TEST_F(Backups, AnEmptyFolderSaysThereAreNoneAndCloseChangesNothing) {
  ASSERT_TRUE(Start());
  const std::vector<std::uint8_t> before = SerializeDocument(Doc());
  m_modals.Then([](QDialog& d) {
    auto& dialog = static_cast<CBackupsDlg&>(d);
    EXPECT_EQ(dialog.Table(), nullptr);
    EXPECT_NE(dialog.NoneLine(), nullptr);
    if (dialog.NoneLine()) {
      EXPECT_EQ(dialog.NoneLine()->text(), QString::fromStdString(GetLangString("IDS_BACKUPS_NONE")));
    }
    EXPECT_FALSE(dialog.OpenButton()->isEnabled());
    QTest::mouseClick(dialog.CloseButton(), Qt::LeftButton);
    return d.result();
  });
  Frame().OnCommand(cmd::kRadioBackups);
  EXPECT_EQ(SerializeDocument(Doc()), before);
  EXPECT_TRUE(m_prompter.prompts.empty());
}

}  // namespace
}  // namespace rondel
