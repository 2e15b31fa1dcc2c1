// The progress dialog against the virtual radio: a complete read replaces the document's
// image without marking it modified, a write fills the radio and ends with the leave byte, a
// port search shows its port in the status bar, Cancel stops at once, and each failure shows
// its message or text.
#include <gtest/gtest.h>

#include <ostream>

#include <QAbstractButton>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <QTest>
#include <QTimer>

#include "gui_support.h"
#include "link/qt/transfer_dlg.h"
#include "platform/dialogs/dialog_builder.h"
#include "shell/language.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"
#include "tools/radiosim/virtual_radio.h"
#include "view/rondel_view.h"

namespace rondel {
namespace {

using test::Button;
using test::ProgramTest;

constexpr std::size_t kTransferred = 0x3F0;  // the 126 blocks

// The factory radio with some settings and a channel of its own.
sim::Memory RadioMemory() {
  const sim::Memory factory = sim::FactoryMemory();
  CRondelDoc doc;
  std::copy(factory.begin(), factory.end(), doc.image().begin());
  doc.SetSetting(Setting::SquelchLevel, 7);
  doc.SetFrequencyText(2, Direction::Receive, "446.10000");
  doc.SetFrequencyText(16, Direction::Receive, "439.00000");
  sim::Memory m;
  std::copy_n(doc.image().begin(), m.size(), m.begin());
  return m;
}

class TransferDialog : public ProgramTest {
 protected:
  // COM<com> is the radio, every other port absent.
  void Connect(const sim::VirtualRadio& radio, int com, bool search) {
    m_folder.MapPortsAbsent();
    m_folder.SetIni("ports", "com" + std::to_string(com), radio.DevicePath());
    m_folder.SetIni("setup", "searchcom", search ? "1" : "0");
  }
  // The dialog's run: OK, then the dialog's own loop until it ends, with a guard against a
  // transfer that never ends.
  void RunToTheEnd(int& result) {
    m_modals.Then([&result](QDialog& d) {
      QAbstractButton* ok = Button(&d, IDOK);
      QTest::mouseClick(ok, Qt::LeftButton);
      EXPECT_FALSE(ok->isEnabled()) << "OK stays enabled while running";
      QTimer guard;
      guard.setSingleShot(true);
      QObject::connect(&guard, &QTimer::timeout, &d, [&d] {
        ADD_FAILURE() << "the transfer did not end";
        d.reject();
      });
      guard.start(60000);
      result = d.exec();
      return result;
    });
  }
  CRondelView& View() { return *static_cast<CRondelView*>(Frame().View()); }
};

class CompleteRead : public TransferDialog, public ::testing::WithParamInterface<bool> {};

TEST_P(CompleteRead, ReplacesTheImageRefreshesTheFormAndKeepsTheModifiedFlag) {
  const bool modifiedBefore = GetParam();
  sim::VirtualRadio radio;
  ASSERT_TRUE(radio.Start()) << radio.error();
  radio.SetMemory(RadioMemory());
  Connect(radio, 1, false);
  ASSERT_TRUE(Start());
  CRondelDoc& doc = App().Core().doc();
  doc.image()[0x3F2] = 0x5A;  // the calibration block is the test mode's, never read here
  doc.image()[0x800] = 0x11;
  App().Document().SetModifiedFlag(modifiedBefore);
  int result = 0;
  RunToTheEnd(result);
  Frame().OnCommand(cmd::kReadData);
  EXPECT_EQ(result, kTransferDialogEnded);
  const sim::Memory want = RadioMemory();
  EXPECT_TRUE(std::equal(want.begin(), want.begin() + kTransferred, doc.image().begin()));
  EXPECT_EQ(doc.image()[0x3F2], 0x5A);
  EXPECT_EQ(doc.image()[0x800], 0x11);
  EXPECT_EQ(App().Document().IsModified(), modifiedBefore);
  EXPECT_EQ(doc.GetFrequencyText(2, Direction::Receive), "446.10000");
  EXPECT_EQ(qobject_cast<QComboBox*>(View().Control(1032))->currentIndex(), 7);
  EXPECT_FALSE(App().m_serialPort.IsOpen());
  EXPECT_TRUE(m_prompter.prompts.empty());
  EXPECT_EQ(Frame().PortPane()->text(), QStringLiteral("COM1"));
}

INSTANTIATE_TEST_SUITE_P(ModifiedBefore, CompleteRead, ::testing::Bool());

TEST_F(TransferDialog, CaptionAndFirstTextComeFromTheLanguageAndTheDirection) {
  m_folder.MapPortsAbsent();
  ASSERT_TRUE(Start());
  for (TransferDirection d : {TransferDirection::Read, TransferDirection::Write}) {
    CTransferDlg dialog(App().m_serialPort, App().Settings(), Frame(), &Frame());
    dialog.SetDirection(d);
    dialog.OnInitDialog();
    EXPECT_EQ(dialog.windowTitle().toStdString(),
              GetLangString(d == TransferDirection::Read ? "IDS_READDATA" : "IDS_WRITEDATA"));
    EXPECT_EQ(dialog.StatusText()->text().toStdString(), GetResourceText(1010));
    EXPECT_EQ(dialog.ProgressBar()->minimum(), 0);
    EXPECT_EQ(dialog.ProgressBar()->maximum(), 1024);
    EXPECT_EQ(dialog.ProgressBar()->value(), 0);
    EXPECT_FALSE(dialog.IsTimerRunning());
  }
}

TEST_F(TransferDialog, CompleteWriteFillsTheRadioAndEndsWithTheLeaveByte) {
  sim::VirtualRadio radio;
  ASSERT_TRUE(radio.Start()) << radio.error();
  Connect(radio, 1, false);
  ASSERT_TRUE(Start());
  CRondelDoc& doc = App().Core().doc();
  doc.SetFrequencyText(5, Direction::Receive, "450.12500");
  doc.SetSetting(Setting::SquelchLevel, 2);
  int result = 0;
  RunToTheEnd(result);
  Frame().OnCommand(cmd::kWriteData);
  EXPECT_EQ(result, kTransferDialogEnded);
  const sim::Memory got = radio.GetMemory();
  EXPECT_TRUE(std::equal(got.begin(), got.begin() + kTransferred, doc.image().begin()));
  EXPECT_TRUE(radio.WaitForFrames(
      [](const auto& frames) { return !frames.empty() && frames.back().kind == sim::FrameKind::Leave; },
      std::chrono::seconds(3)));
  EXPECT_FALSE(App().m_serialPort.IsOpen());
  EXPECT_TRUE(m_prompter.prompts.empty());
}

TEST_F(TransferDialog, APortSearchShowsTheFoundPortInTheStatusBar) {
  sim::VirtualRadio radio;
  ASSERT_TRUE(radio.Start()) << radio.error();
  Connect(radio, 3, true);
  m_folder.SetIni("setup", "com", "1");
  ASSERT_TRUE(Start());
  EXPECT_EQ(Frame().PortPane()->text(), QStringLiteral("COM1"));
  int result = 0;
  RunToTheEnd(result);
  Frame().OnCommand(cmd::kReadData);
  EXPECT_EQ(result, kTransferDialogEnded);
  EXPECT_EQ(Frame().PortPane()->text(), QStringLiteral("COM3"));
  EXPECT_EQ(m_folder.GetIni("setup", "com"), "3");
}

TEST_F(TransferDialog, CancelDuringAReadStopsAtOnceAndLeavesTheDocument) {
  sim::RadioOptions paced;
  paced.pace = true;
  sim::VirtualRadio radio(paced);
  ASSERT_TRUE(radio.Start()) << radio.error();
  radio.SetMemory(RadioMemory());
  Connect(radio, 1, false);
  ASSERT_TRUE(Start());
  const CRondelDoc::Image before = App().Core().doc().image();
  qint64 cancelMs = -1;
  int result = 0;
  m_modals.Then([&](QDialog& d) {
    auto& dialog = static_cast<CTransferDlg&>(d);
    QTest::mouseClick(Button(&d, IDOK), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.ProgressBar()->value() > 0; }, 20000));
    EXPECT_LT(dialog.ProgressBar()->value(), 1024);
    QElapsedTimer clock;
    clock.start();
    QTest::mouseClick(Button(&d, IDCANCEL), Qt::LeftButton);
    cancelMs = clock.elapsed();
    EXPECT_FALSE(dialog.IsTransferRunning());
    EXPECT_FALSE(dialog.IsTimerRunning());
    result = d.result();
    return result;
  });
  Frame().OnCommand(cmd::kReadData);
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_GE(cancelMs, 0);
  EXPECT_LT(cancelMs, 500) << "Cancel waited for the transfer";
  EXPECT_EQ(App().Core().doc().image(), before);
  EXPECT_FALSE(App().Document().IsModified());
  EXPECT_FALSE(App().m_serialPort.IsOpen());
}

TEST_F(TransferDialog, CancelDuringAWriteSendsNoLeaveByte) {
  sim::RadioOptions paced;
  paced.pace = true;
  sim::VirtualRadio radio(paced);
  ASSERT_TRUE(radio.Start()) << radio.error();
  Connect(radio, 1, false);
  ASSERT_TRUE(Start());
  m_modals.Then([&](QDialog& d) {
    auto& dialog = static_cast<CTransferDlg&>(d);
    QTest::mouseClick(Button(&d, IDOK), Qt::LeftButton);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.ProgressBar()->value() > 0; }, 20000));
    QTest::mouseClick(Button(&d, IDCANCEL), Qt::LeftButton);
    return d.result();
  });
  Frame().OnCommand(cmd::kWriteData);
  radio.WaitQuiet(std::chrono::milliseconds(300), std::chrono::seconds(3));
  for (const auto& f : radio.Frames()) {
    EXPECT_NE(f.kind, sim::FrameKind::Leave);
  }
}

struct Failure {
  const char* name;
  std::function<void(sim::RadioOptions&)> radio;
  const char* message;  // key of a message box, or nullptr
  const char* text;     // key of the status text that leaves the dialog open, or nullptr
};
void PrintTo(const Failure& p, std::ostream* os) { *os << p.name; }

class TransferFailure : public TransferDialog, public ::testing::WithParamInterface<Failure> {};

TEST_P(TransferFailure, ShowsItsMessageOrTextAndLeavesTheDocument) {
  const Failure& f = GetParam();
  sim::RadioOptions options;
  f.radio(options);
  sim::VirtualRadio radio(options);
  ASSERT_TRUE(radio.Start()) << radio.error();
  radio.SetPassword({'1', '2', '3', '4', '5', '6'});
  Connect(radio, 1, false);
  ASSERT_TRUE(Start());
  // The document's read password matches the radio's unless the case wants it different.
  if (std::string(f.name) != "PasswordDiffers") App().Core().doc().SetReadPasswordText("123456");
  const CRondelDoc::Image before = App().Core().doc().image();
  int result = 0;
  if (f.message) {
    RunToTheEnd(result);
  } else {
    m_modals.Then([&](QDialog& d) {
      auto& dialog = static_cast<CTransferDlg&>(d);
      QAbstractButton* ok = Button(&d, IDOK);
      QTest::mouseClick(ok, Qt::LeftButton);
      EXPECT_TRUE(QTest::qWaitFor([&] { return ok->isEnabled(); }, 30000));
      EXPECT_EQ(dialog.StatusText()->text().toStdString(), GetLangString(f.text));
      EXPECT_FALSE(dialog.IsTimerRunning());
      EXPECT_TRUE(d.isVisible()) << "a failed read or write leaves the dialog open";
      QTest::mouseClick(Button(&d, IDCANCEL), Qt::LeftButton);
      result = d.result();
      return result;
    });
  }
  Frame().OnCommand(cmd::kReadData);
  if (f.message) {
    EXPECT_EQ(result, kTransferDialogEnded);
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    std::string expected = GetLangString(f.message);
    // No answer: the message names the port and the device [ports] maps it to.
    if (std::string(f.message) == "IDS_ERROR_PORTCONN")
      expected += "\n\n" + FillIn(GetLangString("IDS_ERROR_PORTTRIED"), "%s",
                                   "COM1 (" + radio.DevicePath() + ")");
    EXPECT_EQ(m_prompter.prompts[0].text, expected);
    EXPECT_EQ(m_prompter.prompts[0].caption, GetLangString("IDS_ERROR"));
    EXPECT_EQ(m_prompter.prompts[0].icon, PromptIcon::Error);
    EXPECT_EQ(m_prompter.prompts[0].buttons, PromptButtons::Ok);
  } else {
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_TRUE(m_prompter.prompts.empty());
  }
  EXPECT_EQ(App().Core().doc().image(), before);
  EXPECT_FALSE(App().m_serialPort.IsOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TransferFailure,
    ::testing::Values(
        Failure{"NoRadio", [](sim::RadioOptions& o) { o.silent = true; }, "IDS_ERROR_PORTCONN", nullptr},
        Failure{"ShortIdentification", [](sim::RadioOptions& o) { o.identLength = 5; }, "IDS_ERROR_TYPE",
                nullptr},
        Failure{"PasswordDiffers", [](sim::RadioOptions&) {}, "IDS_ERROR_PASSWORD", nullptr},
        Failure{"ShortPasswordReply", [](sim::RadioOptions& o) { o.passwordLength = 3; }, nullptr,
                "IDS_PROMPT_READFAIL"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rondel
