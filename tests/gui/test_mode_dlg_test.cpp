// The test mode against the virtual radio, worked with the keyboard and the mouse: the password
// gate, the entry read shown in the sliders, the wrap of the highlight and of the values with
// their commit, debug mode with its live frame and leave byte, and write all's notice. The
// engine's own exchanges (every block, every failure) are the link tests'.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include "gui_support.h"
#include "link/qt/test_mode_dlg.h"
#include "link/qt/test_password_dlg.h"
#include "platform/dialogs/scroll_bar.h"
#include "shell/language.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"
#include "tools/radiosim/virtual_radio.h"

namespace rondel {
namespace {

using namespace std::chrono_literals;
using sim::FrameKind;
using Bytes = std::vector<std::uint8_t>;

constexpr std::size_t kCalibration = 0x3F0;
constexpr std::size_t kLastIndex = 0x3F6;
constexpr const char* kPassword = "Calib#7";
// Slider 0 at the bottom, slider 4 at the top of their range.
constexpr std::uint8_t kRadioCalibration[8] = {0, 17, 100, 200, 255, 128, 9, 0x77};

// Keys go where the focus is, as a user's do.
void Key(QWidget& window, Qt::Key key) {
  QWidget* focus = QApplication::focusWidget();
  QTest::keyClick(focus != nullptr && focus->window() == &window ? focus : &window, key);
}

class TestModeTest : public test::ProgramTest {
 protected:
  void StartWithRadio(sim::RadioOptions options = {}) {
    m_radio = std::make_unique<sim::VirtualRadio>(options);
    ASSERT_TRUE(m_radio->Start()) << m_radio->error();
    sim::Memory m = sim::FactoryMemory();
    std::copy(std::begin(kRadioCalibration), std::end(kRadioCalibration), m.begin() + kCalibration);
    m_radio->SetMemory(m);
    m_folder.MapPorts(m_radio->DevicePath());
    m_folder.SetIni("setup", "testpw", kPassword);
    ASSERT_TRUE(Start());
  }
  // The password typed and OK clicked, which runs `inTestMode` in the test mode when the entry
  // succeeds; then Cancel on the password dialog.
  void Enter(const char* password, std::function<void(CTestModeDlg&)> inTestMode) {
    m_modals.Then([password](QDialog& d) {
      auto& gate = static_cast<CTestPasswordDlg&>(d);
      EXPECT_EQ(gate.PasswordEdit()->echoMode(), QLineEdit::Password);
      QTest::keyClicks(gate.PasswordEdit(), QString::fromLatin1(password));
      test::Click(d, IDOK);
      return test::Click(d, IDCANCEL);
    });
    if (inTestMode) {
      m_modals.Then([this, inTestMode](QDialog& d) {
        QApplication::setActiveWindow(&d);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
        m_entryFrames = m_radio->Frames().size();
        inTestMode(static_cast<CTestModeDlg&>(d));
        if (d.isVisible()) test::Click(d, IDCANCEL);
        return d.result();
      });
    }
    Frame().OnCommand(cmd::kTestMode);
  }
  // The frames since the test mode opened, once the line is quiet.
  std::vector<sim::ReceivedFrame> SinceEntry() {
    m_radio->WaitQuiet(100ms, 3s);
    const auto all = m_radio->Frames();
    return {all.begin() + static_cast<long>(std::min(m_entryFrames, all.size())), all.end()};
  }
  static void ExpectShown(CTestModeDlg& d, int slider, int value) {
    EXPECT_EQ(d.ScrollBar(slider)->value(), value) << "slider " << slider;
    EXPECT_EQ(d.ValueEdit(slider)->text(), QString::number(value)) << "slider " << slider;
  }
  void ExpectOnePrompt(const char* text, const char* caption) {
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    EXPECT_EQ(m_prompter.prompts[0].text, GetLangString(text));
    EXPECT_EQ(m_prompter.prompts[0].caption, GetLangString(caption));
  }

  std::unique_ptr<sim::VirtualRadio> m_radio;
  std::size_t m_entryFrames = 0;
};

TEST_F(TestModeTest, AWrongPasswordShowsItsMessageAndSendsNothing) {
  StartWithRadio();
  const CRondelDoc::Image before = Doc().image();
  Enter("Calib#", nullptr);
  EXPECT_EQ(m_modals.shown, std::vector<int>{139});
  ExpectOnePrompt("IDS_ERROR_PASSWORD", "IDS_ERROR");
  EXPECT_EQ(m_prompter.prompts[0].icon, PromptIcon::Error);
  m_radio->WaitQuiet(100ms, 1s);
  EXPECT_EQ(m_radio->BytesReceived(), 0u);
  EXPECT_EQ(Doc().image(), before);
}

TEST_F(TestModeTest, SlidersWrapCommitToTheImageAndDebugModeSendsThemLiveUntilCancel) {
  StartWithRadio();
  const CRondelDoc::Image atStart = Doc().image();
  Enter(kPassword, [&](CTestModeDlg& d) {
    for (int i = 0; i < kCalibrationSliders; ++i) ExpectShown(d, i, kRadioCalibration[i]);
    EXPECT_EQ(d.CurrentSlider(), 0);
    EXPECT_EQ(d.SliderLabel(0)->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(App().Document().IsModified()) << "the radio's memory is not what the file holds";
    // Left at 0 wraps to 255 and commits the value and its slider number, nothing else.
    CRondelDoc::Image want = Doc().image();
    want[kCalibration] = 255;
    want[kLastIndex] = 0;
    Key(d, Qt::Key_Left);
    ExpectShown(d, 0, 255);
    EXPECT_EQ(Doc().image(), want);
    EXPECT_TRUE(App().Document().IsModified());
    // Up from the first slider wraps to the last, then to slider 4, whose 255 wraps to 0 under
    // a click on the right arrow.
    Key(d, Qt::Key_Up);
    EXPECT_EQ(d.CurrentSlider(), 5);
    Key(d, Qt::Key_Up);
    CScrollBar* bar = d.ScrollBar(4);
    QTest::mouseClick(bar, Qt::LeftButton, {}, QPoint(bar->width() - 3, bar->height() / 2));
    ExpectShown(d, 4, 0);
    EXPECT_EQ(Doc().GetCalibration(4), 0);
    EXPECT_EQ(Doc().image()[kLastIndex], 4);
    EXPECT_TRUE(SinceEntry().empty()) << "outside debug mode nothing goes to the radio";

    test::Click(d, kStartDebugButton);
    EXPECT_TRUE(d.DebugActive());
    ExpectShown(d, 0, 0);  // what the radio holds
    Bytes live{0x67, 0x03, 0xF0, 0x08};
    live.insert(live.end(), std::begin(kRadioCalibration), std::end(kRadioCalibration));
    Key(d, Qt::Key_Escape);
    EXPECT_EQ(d.result(), IDCANCEL);
    std::vector<Bytes> tail;
    for (const auto& f : SinceEntry())
      if (f.kind == FrameKind::LiveCalibration || f.kind == FrameKind::Leave) tail.push_back(f.bytes);
    EXPECT_EQ(tail, (std::vector<Bytes>{live, Bytes{0x62}}));
    EXPECT_FALSE(App().m_serialPort.IsOpen());
  });
  EXPECT_EQ(m_modals.shown, (std::vector<int>{139, 137}));
  EXPECT_TRUE(m_prompter.prompts.empty());
  // Every committed value, the radio's calibration block and the entry read are steps; undone
  // to the start, the document is the new one again.
  int steps = 0;
  while (App().Document().CanUndo()) {
    Frame().OnCommand(cmd::kEditUndo);
    ++steps;
  }
  EXPECT_EQ(steps, 4) << "entry read, two commits, debug mode's block read";
  EXPECT_EQ(Doc().image(), atStart);
  EXPECT_FALSE(App().Document().IsModified());
}

// The entry read replaces the document: over a modified one it asks first, and Cancel sends
// the radio nothing.
TEST_F(TestModeTest, TheEntryReadOverAModifiedDocumentAsksFirst) {
  const struct {
    const char* name;
    PromptAnswer answer;
    bool enters;
  } cases[] = {{"cancel", PromptAnswer::Cancel, false}, {"discard", PromptAnswer::No, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    m_app.reset();
    m_radio.reset();
    m_modals.shown.clear();
    m_prompter.prompts.clear();
    StartWithRadio();
    ASSERT_TRUE(App().Document().ApplyEdit(ListEdit{SettingsList::SquelchLevel, 2}).Applied());
    const CRondelDoc::Image edited = Doc().image();
    m_prompter.Answer(c.answer);
    Enter(kPassword, c.enters ? std::function<void(CTestModeDlg&)>([](CTestModeDlg&) {}) : nullptr);
    ExpectOnePrompt("IDS_SAVE_CHANGES", "IDS_PROMPT");
    m_radio->WaitQuiet(100ms, 1s);
    if (c.enters) {
      EXPECT_EQ(m_modals.shown, (std::vector<int>{139, 137}));
      EXPECT_EQ(Doc().GetCalibration(1), kRadioCalibration[1]);
      Frame().OnCommand(cmd::kEditUndo);
      EXPECT_EQ(Doc().image(), edited) << "the edit is a step behind the entry read";
    } else {
      EXPECT_EQ(m_modals.shown, std::vector<int>{139});
      EXPECT_EQ(m_radio->BytesReceived(), 0u);
      EXPECT_EQ(Doc().image(), edited);
      EXPECT_TRUE(App().Document().IsModified());
    }
  }
}

TEST_F(TestModeTest, WriteAllShowsItsNoticeAndARefusedBlockKeepsThePortOpen) {
  sim::RadioOptions options;
  options.faults = {{0x000, 1, sim::FaultKind::Refuse}};
  StartWithRadio(options);
  Enter(kPassword, [&](CTestModeDlg& d) {
    test::Click(d, kWriteAllButton);
    ExpectOnePrompt("IDS_PROMPT_WRITEFAIL", "IDS_PROMPT");
    EXPECT_TRUE(d.isVisible()) << "the test mode stays open";
    EXPECT_TRUE(App().m_serialPort.IsOpen());
    int writes = 0;
    for (const auto& f : SinceEntry()) writes += f.kind == FrameKind::WriteBlock;
    EXPECT_EQ(writes, 1);
  });
}

}  // namespace
}  // namespace rondel
