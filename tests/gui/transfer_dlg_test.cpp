// SPDX-License-Identifier: GPL-3.0-or-later
// The progress dialog against the virtual radio: a read reaches the document and the form, a
// port search shows its port, Cancel stops at once, and a failure shows its message or its
// text. The full write runs in the link tests only.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTest>

#include <filesystem>
#include <optional>

#include "core/data_file.h"
#include "core/image_layout.h"
#include "gui_support.h"
#include "link/qt/transfer_dlg.h"
#include "resources/control_ids.h"
#include "shell/language.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"
#include "tools/radiosim/virtual_radio.h"
#include "view/rondel_view.h"

namespace rondel {
namespace {

using test::Button;

constexpr std::size_t kTransferred = 0x3F0;  // the 126 blocks of a read

// The factory radio with squelch 7.
sim::Memory RadioMemory() {
  sim::Memory m = sim::FactoryMemory();
  m[layout::kSquelchLevel] = 7;
  return m;
}

class TransferDialog : public test::ProgramTest {
 protected:
  void StartWith(sim::RadioOptions options, int com = 1, bool search = false) {
    m_radio = std::make_unique<sim::VirtualRadio>(options);
    ASSERT_TRUE(m_radio->Start()) << m_radio->error();
    m_radio->SetMemory(RadioMemory());
    m_radio->SetPassword({1, 2, 3, 4, 5, 6});  // "123456" as the radio keeps it
    m_folder.MapPorts(m_radio->DevicePath(), com, search);
    ASSERT_TRUE(Start());
    Doc().SetReadPasswordText("123456");
    App().Document().SetModifiedFlag(false);  // as if opened so
    m_before = Doc().image();
  }
  // OK, then the dialog's own loop until it ends.
  void RunToTheEnd() {
    m_modals.Then([this](QDialog& d) {
      QTest::mouseClick(Button(&d, IDOK), Qt::LeftButton);
      EXPECT_FALSE(Button(&d, IDOK)->isEnabled()) << "OK stays enabled while running";
      m_result = d.exec();
      m_line = static_cast<CTransferDlg&>(d).StatusText()->text().toStdString();
      EXPECT_FALSE(Button(&d, IDOK)->isEnabled()) << "OK would start again";
      return m_result;
    });
  }
  std::unique_ptr<sim::VirtualRadio> m_radio;
  CRondelDoc::Image m_before{};
  int m_result = -1;
  std::string m_line;  // the status text the dialog ended on
};

TEST_F(TransferDialog, AReadReplacesTheImageRefreshesTheFormAndShowsThePortFound) {
  StartWith({}, 3, true);
  Doc().image()[0x3F2] = 0x5A;  // the calibration block is the test mode's, never read here
  App().Document().SetModifiedFlag(false);
  auto* squelch = qobject_cast<QComboBox*>(static_cast<CRondelView*>(Frame().View())->Control(IDC_SQUELCH));
  const int squelchBefore = squelch->currentIndex();
  RunToTheEnd();
  Frame().OnCommand(cmd::kReadData);
  EXPECT_EQ(m_result, kTransferDialogEnded);
  EXPECT_EQ(m_line, GetLangString("IDS_TRANSFER_READDONE"));
  const sim::Memory want = m_radio->GetMemory();
  EXPECT_EQ(want[layout::kSquelchLevel], 7);
  EXPECT_TRUE(std::equal(want.begin(), want.begin() + kTransferred, Doc().image().begin()));
  EXPECT_EQ(Doc().image()[0x3F2], 0x5A);
  EXPECT_TRUE(App().Document().IsModified()) << "the document no longer is what its file holds";
  EXPECT_EQ(squelch->currentIndex(), 7);
  EXPECT_EQ(Frame().PortPane()->text(), QStringLiteral("COM3"));
  EXPECT_EQ(m_folder.GetIni("setup", "com"), "3");
  EXPECT_FALSE(App().m_serialPort.IsOpen());
  EXPECT_TRUE(m_prompter.prompts.empty());
  // The read is one step: undone, the form is as it was before the read, and unmodified.
  Frame().OnCommand(cmd::kEditUndo);
  CRondelDoc::Image before = m_before;
  before[0x3F2] = 0x5A;
  EXPECT_EQ(Doc().image(), before);
  EXPECT_FALSE(App().Document().IsModified());
  EXPECT_NE(squelchBefore, 7);
  EXPECT_EQ(squelch->currentIndex(), squelchBefore);
  Frame().OnCommand(cmd::kEditRedo);
  EXPECT_TRUE(std::equal(want.begin(), want.begin() + kTransferred, Doc().image().begin()));
  EXPECT_EQ(squelch->currentIndex(), 7);
}

// A block the radio answered garbled three times keeps the form's bytes, and the read says which.
TEST_F(TransferDialog, AReadThatPassedOverBlocksNamesThem) {
  sim::RadioOptions garbled;
  garbled.faults = {{0x100, 3, sim::FaultKind::Corrupt}, {0x1F8, 3, sim::FaultKind::WrongAddress}};
  StartWith(garbled);
  RunToTheEnd();
  Frame().OnCommand(cmd::kReadData);
  EXPECT_EQ(m_result, kTransferDialogEnded);
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_WARN_PASSEDOVER") + "\n0x100 0x1F8");
  EXPECT_EQ(m_prompter.prompts[0].icon, PromptIcon::Warning);
  EXPECT_TRUE(std::equal(m_before.begin() + 0x100, m_before.begin() + 0x108, Doc().image().begin() + 0x100));
  EXPECT_EQ(Doc().GetSetting(Setting::SquelchLevel), 7) << "the rest is the radio's";
}

// Over a modified document the read first asks whether to save it; Cancel sends nothing.
TEST_F(TransferDialog, AReadOverAModifiedDocumentAsksFirstAndCancelSendsNothing) {
  const struct {
    const char* name;
    PromptAnswer answer;
    bool reads;
    bool saved;
  } cases[] = {
      {"cancel", PromptAnswer::Cancel, false, false},
      {"discard", PromptAnswer::No, true, false},
      {"save", PromptAnswer::Yes, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_app.reset();
    StartWith({});
    ASSERT_TRUE(App().Document().ApplyEdit(ListEdit{SettingsList::SquelchLevel, 2}).Applied());
    const CRondelDoc::Image edited = Doc().image();
    const std::string saveTo = m_folder.File(std::string(c.name) + ".dig");
    m_prompter.Answer(c.answer);
    if (c.saved) m_prompter.ChooseSave(saveTo);
    m_modals.Then([&](QDialog& d) {
      QTest::mouseClick(Button(&d, IDOK), Qt::LeftButton);
      if (c.reads) return d.exec();
      EXPECT_TRUE(Button(&d, IDOK)->isEnabled()) << "nothing started";
      return test::Click(d, IDCANCEL);
    });
    Frame().OnCommand(cmd::kReadData);
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_SAVE_CHANGES"));
    EXPECT_EQ(m_prompter.prompts[0].buttons, PromptButtons::YesNoCancel);
    m_prompter.prompts.clear();
    if (!c.reads) {
      m_radio->WaitQuiet(std::chrono::milliseconds(50), std::chrono::milliseconds(500));
      EXPECT_EQ(m_radio->BytesReceived(), 0u) << "the radio heard nothing";
      EXPECT_EQ(Doc().image(), edited);
      EXPECT_TRUE(App().Document().IsModified());
    } else {
      EXPECT_EQ(Doc().GetSetting(Setting::SquelchLevel), 7);
      // The edit is a step behind the read, whatever was answered.
      Frame().OnCommand(cmd::kEditUndo);
      EXPECT_EQ(Doc().image(), edited);
    }
    EXPECT_EQ(std::filesystem::exists(saveTo), c.saved);
    if (c.saved) {
      EXPECT_EQ(test::ReadBytes(saveTo), SerializeDocument(Doc()));
    }
  }
}

// A radio whose read password differs from the form's: its password is asked for, compared
// once, and the radio read with it.
TEST_F(TransferDialog, AProtectedRadioIsReadWithThePasswordTypedForIt) {
  const struct {
    const char* name;
    std::optional<std::string> typed;
    bool reads;
    bool told;  // "IDS_ERROR_PASSWORD" shown
  } cases[] = {
      {"right", "123456", true, false},
      {"wrong", "123457", false, true},
      {"cancelled", std::nullopt, false, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_app.reset();
    m_prompter.prompts.clear();
    StartWith({});
    m_prompter.Answer(PromptAnswer::Ok);
    App().OnFileNew();  // a new document: no password in the form
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    m_prompter.prompts.clear();
    m_before = Doc().image();
    m_prompter.TypeSecret(c.typed);
    RunToTheEnd();
    Frame().OnCommand(cmd::kReadData);
    EXPECT_EQ(m_result, kTransferDialogEnded);
    ASSERT_EQ(m_prompter.secrets.size(), 1u);
    EXPECT_EQ(m_prompter.secrets[0].text, GetLangString("IDS_READPW_ASK"));
    EXPECT_EQ(m_prompter.secrets[0].caption, GetLangString("IDS_READPW_TITLE"));
    EXPECT_EQ(m_prompter.secrets[0].maxLength, 6u);
    m_prompter.secrets.clear();
    EXPECT_EQ(m_prompter.prompts.size(), c.told ? 1u : 0u);
    if (c.told) {
      EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_ERROR_PASSWORD"));
    }
    const sim::Memory want = m_radio->GetMemory();
    if (c.reads) {
      EXPECT_TRUE(std::equal(want.begin(), want.begin() + kTransferred, Doc().image().begin()));
      EXPECT_EQ(Doc().GetReadPasswordText(), "123456");
    } else {
      EXPECT_EQ(Doc().image(), m_before);
    }
    EXPECT_FALSE(App().m_serialPort.IsOpen());
  }
}

TEST_F(TransferDialog, CancelStopsARunningReadAtOnceAndLeavesTheDocument) {
  sim::RadioOptions paced;
  paced.pace = true;
  StartWith(paced);
  qint64 cancelMs = -1;
  m_modals.Then([&](QDialog& d) {
    auto& dialog = static_cast<CTransferDlg&>(d);
    QTest::mouseClick(Button(&d, IDOK), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.ProgressBar()->value() > 0; }, 20000));
    QElapsedTimer clock;
    clock.start();
    m_result = test::Click(d, IDCANCEL);
    cancelMs = clock.elapsed();
    EXPECT_FALSE(dialog.IsTransferRunning());
    EXPECT_FALSE(dialog.IsTimerRunning());
    return m_result;
  });
  Frame().OnCommand(cmd::kReadData);
  EXPECT_EQ(m_result, IDCANCEL);
  EXPECT_LT(cancelMs, 500) << "Cancel waited for the transfer";
  EXPECT_EQ(Doc().image(), m_before);
  EXPECT_FALSE(App().m_serialPort.IsOpen());
}

// A failure that ends the dialog shows a message; one that leaves it open shows its text.
TEST_F(TransferDialog, AFailureShowsItsMessageOrItsTextAndLeavesTheDocument) {
  sim::RadioOptions silent;
  silent.silent = true;
  StartWith(silent);
  RunToTheEnd();
  Frame().OnCommand(cmd::kReadData);
  EXPECT_EQ(m_result, kTransferDialogEnded);
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].text.rfind(GetLangString("IDS_ERROR_PORTCONN"), 0), 0u);
  EXPECT_EQ(m_prompter.prompts[0].caption, GetLangString("IDS_ERROR"));
  EXPECT_EQ(m_prompter.prompts[0].icon, PromptIcon::Error);
  EXPECT_EQ(Doc().image(), m_before);
  m_prompter.prompts.clear();

  sim::RadioOptions shortReply;
  shortReply.passwordLength = 3;
  m_app.reset();
  StartWith(shortReply);
  m_modals.Then([&](QDialog& d) {
    auto& dialog = static_cast<CTransferDlg&>(d);
    QTest::mouseClick(Button(&d, IDOK), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Button(&d, IDOK)->isEnabled(); }, 30000));
    EXPECT_EQ(dialog.StatusText()->text().toStdString(), GetLangString("IDS_PROMPT_READFAIL"));
    EXPECT_TRUE(d.isVisible());
    return test::Click(d, IDCANCEL);
  });
  Frame().OnCommand(cmd::kReadData);
  EXPECT_EQ(m_prompter.prompts.size(), 0u);
  EXPECT_EQ(Doc().image(), m_before);
  EXPECT_FALSE(App().m_serialPort.IsOpen());
}

// A write keeps what it overwrites and reads back what it wrote: one new backup with the
// radio's bytes, and a word on a verification that found differences or no radio. One that
// ended well ends on its line: written, or written and verified.
TEST_F(TransferDialog, AWriteKeepsABackupAndVerifiesWhatItWrote) {
  namespace fs = std::filesystem;
  const auto radio = [](std::vector<std::size_t> dropWrites, int restartMs) {
    sim::RadioOptions o;
    o.dropWrites = std::move(dropWrites);
    o.restartMs = restartMs;
    return o;
  };
  const struct {
    const char* name;
    sim::RadioOptions radio;
    const char* told;  // the key of the one message, or none
    PromptIcon icon;
    const char* verify;  // [write] verify
    const char* line;    // the key of the line the dialog ends on, or none
  } cases[] = {
      {"verified", radio({}, 0), nullptr, PromptIcon::None, "1", "IDS_TRANSFER_VERIFIED"},
      {"not read back", radio({}, 0), nullptr, PromptIcon::None, "0", "IDS_TRANSFER_WRITTEN"},
      // The squelch block differs from the form's, so a dropped write of it shows.
      {"a block dropped", radio({0x3C0}, 0), "IDS_VERIFY_DIFFERS", PromptIcon::Error, "1", nullptr},
      {"no answer after the leave byte", radio({}, 600000), "IDS_VERIFY_NOTVERIFIED", PromptIcon::Warning, "1", nullptr},
  };
  const fs::path backups = fs::path(std::getenv("XDG_STATE_HOME")) / "rondel" / "backups";
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_app.reset();
    m_prompter.prompts.clear();
    m_folder.SetIni("write", "verify", c.verify);
    StartWith(c.radio);
    const sim::Memory before = m_radio->GetMemory();
    const std::size_t kept = fs::exists(backups) ? static_cast<std::size_t>(std::distance(fs::directory_iterator(backups), {})) : 0;
    RunToTheEnd();
    Frame().OnCommand(cmd::kWriteData);
    EXPECT_EQ(m_result, kTransferDialogEnded);
    ASSERT_EQ(m_prompter.prompts.size(), c.told ? 1u : 0u);
    if (c.told) {
      EXPECT_EQ(m_prompter.prompts[0].text.rfind(GetLangString(c.told), 0), 0u);
      EXPECT_EQ(m_prompter.prompts[0].icon, c.icon);
    }
    if (c.line) {
      EXPECT_EQ(m_line, GetLangString(c.line));
    } else {
      EXPECT_NE(m_line, GetLangString("IDS_TRANSFER_VERIFIED"));
      EXPECT_NE(m_line, GetLangString("IDS_TRANSFER_WRITTEN"));
    }
    if (c.radio.dropWrites.size() == 1) {
      EXPECT_NE(m_prompter.prompts[0].text.find("0x3C0"), std::string::npos);
    }
    // The newest backup holds what the radio held before the write.
    ASSERT_TRUE(fs::exists(backups));
    std::vector<fs::path> files;
    for (const auto& e : fs::directory_iterator(backups)) files.push_back(e.path());
    ASSERT_EQ(files.size(), kept + 1);
    std::sort(files.begin(), files.end(), [](const fs::path& a, const fs::path& b) {
      return fs::last_write_time(a) < fs::last_write_time(b);
    });
    const std::vector<std::uint8_t> backup = test::ReadBytes(files.back().string());
    ASSERT_EQ(backup.size(), layout::kFileSize);
    EXPECT_TRUE(std::equal(before.begin(), before.begin() + kTransferred, backup.begin() + layout::kHeaderSize));
    const auto frames = m_radio->Frames();
    EXPECT_EQ(std::count_if(frames.begin(), frames.end(),
                            [](const sim::ReceivedFrame& f) { return f.kind == sim::FrameKind::Leave; }),
              1);
  }
}

}  // namespace
}  // namespace rondel
