// SPDX-License-Identifier: GPL-3.0-or-later
// The test mode against the virtual radio, worked with the keyboard and the mouse: the password
// gate, the entry read shown in the sliders, the wrap of the highlight and of the values with
// their commit, debug mode with its live frame and leave byte, and write all's notice; the
// windows answering while an exchange runs, byte for byte the frames they always sent, and
// Cancel meanwhile. The engine's own exchanges (every block, every failure) are the link tests'.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include "gui_support.h"
#include "link/qt/test_mode_dlg.h"
#include "link/qt/test_password_dlg.h"
#include "platform/dialogs/palette_colours.h"
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

// The entry read's frames as the test mode has always sent them, one after the other: the
// handshake (hello with the shipped word, identification request, its ACK, password query, its
// ACK), then for each of the 128 blocks 0x000..0x3F8 its read request and the ACK of its reply.
std::vector<Bytes> EntryReadFrames() {
  std::vector<Bytes> frames = {{0x02, 'P', 'E', 'L', 'T', 'P', 'G', 'M'}, {0x02}, {0x06}, {0x05}, {0x06}};
  for (std::size_t a = 0; a < 0x400; a += 8) {
    frames.push_back({0x52, static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a & 0xFF), 0x08});
    frames.push_back({0x06});
  }
  return frames;
}
std::vector<Bytes> BytesOf(const std::vector<sim::ReceivedFrame>& frames) {
  std::vector<Bytes> out;
  for (const auto& f : frames) out.push_back(f.bytes);
  return out;
}

// Counts the paint events a widget gets while `when` holds.
class PaintCounter : public QObject {
 public:
  PaintCounter(QWidget* widget, std::function<bool()> when) : m_when(std::move(when)) {
    widget->installEventFilter(this);
  }
  int paints = 0;

 protected:
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint && m_when()) ++paints;
    return false;
  }

 private:
  std::function<bool()> m_when;
};

// Keys go where the focus is, as a user's do.
void Key(QWidget& window, Qt::Key key) {
  QWidget* focus = QApplication::focusWidget();
  QTest::keyClick(focus != nullptr && focus->window() == &window ? focus : &window, key);
}

// Until the exchange in hand has ended; the windows work meanwhile, as for a user.
template <class Dialog>
void AwaitExchange(Dialog& d) {
  EXPECT_TRUE(QTest::qWaitFor([&] { return !d.ExchangeRunning(); }, 60000)) << "the exchange never ended";
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
      AwaitExchange(gate);  // the test mode opens on top meanwhile, and closes again
      return test::Click(d, IDCANCEL);
    });
    if (inTestMode) {
      m_modals.Then([this, inTestMode](QDialog& d) {
        QApplication::setActiveWindow(&d);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&d));
        m_entryFrames = m_radio->Frames().size();
        auto& testMode = static_cast<CTestModeDlg&>(d);
        inTestMode(testMode);
        if (d.isVisible()) test::Click(d, IDCANCEL);
        AwaitExchange(testMode);
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
    // The others in the window's own text colour, also on a dark desktop.
    QPalette dark = d.palette();
    dark.setColor(QPalette::Window, QColor(58, 58, 62));  // where pure red reads poorly
    dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
    d.setPalette(dark);
    for (int i = 1; i < kCalibrationSliders; ++i)
      EXPECT_EQ(d.SliderLabel(i)->palette().color(QPalette::WindowText), QColor(230, 230, 230)) << i;
    // The current one stays red, light enough to read on the dark window.
    const QColor current = d.SliderLabel(0)->palette().color(QPalette::WindowText);
    EXPECT_GE(ColourContrast(current, QColor(58, 58, 62)), 3.0) << current.name().toStdString();
    EXPECT_EQ(current.red(), 255) << current.name().toStdString();
    EXPECT_LT(current.green(), 255);
    EXPECT_EQ(current.green(), current.blue());
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
    AwaitExchange(d);
    ExpectShown(d, 0, 0);  // what the radio holds
    Bytes live{0x67, 0x03, 0xF0, 0x08};
    live.insert(live.end(), std::begin(kRadioCalibration), std::end(kRadioCalibration));
    Key(d, Qt::Key_Escape);
    AwaitExchange(d);  // the leave byte
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
    AwaitExchange(d);
    ExpectOnePrompt("IDS_PROMPT_WRITEFAIL", "IDS_PROMPT");
    EXPECT_TRUE(d.isVisible()) << "the test mode stays open";
    EXPECT_TRUE(App().m_serialPort.IsOpen());
    int writes = 0;
    for (const auto& f : SinceEntry()) writes += f.kind == FrameKind::WriteBlock;
    EXPECT_EQ(writes, 1);
  });
}

// At 9600 baud the entry read takes seconds. The password dialog goes on working meanwhile:
// its timers fire, it paints, and it says how far the read has come, under the wait cursor,
// while keys and clicks are ignored. The radio hears exactly what it always heard.
TEST_F(TestModeTest, TheWindowsAnswerWhileTheEntryReadRunsAndTheRadioHearsTheSameFrames) {
  sim::RadioOptions paced;
  paced.pace = true;
  StartWithRadio(paced);
  int ticks = 0;
  bool waitCursor = false;
  QString progress;
  std::vector<Bytes> heard;
  m_modals.Then([&](QDialog& d) {
    auto& gate = static_cast<CTestPasswordDlg&>(d);
    QTest::keyClicks(gate.PasswordEdit(), QString::fromLatin1(kPassword));
    const auto running = [&gate] { return gate.ExchangeRunning(); };
    PaintCounter paints(gate.Item<QLabel>(kTestPasswordProgress), running);
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
      if (!gate.ExchangeRunning()) return;
      ++ticks;
      const QCursor* cursor = QGuiApplication::overrideCursor();
      waitCursor = waitCursor || (cursor != nullptr && cursor->shape() == Qt::WaitCursor);
      if (progress.isEmpty() && gate.ProgressLine().endsWith(" / 128")) progress = gate.ProgressLine();
    });
    ticker.start(5);
    test::Click(d, IDOK);
    EXPECT_TRUE(gate.ExchangeRunning()) << "OK came back with the read still running";
    QTest::keyClicks(gate.PasswordEdit(), QStringLiteral("zz"));
    EXPECT_EQ(gate.PasswordEdit()->text(), QString::fromLatin1(kPassword)) << "typing is ignored";
    test::Click(d, IDOK);  // ignored as well: no second read
    AwaitExchange(gate);
    ticker.stop();
    EXPECT_GE(ticks, 2);
    EXPECT_GE(paints.paints, 1);
    EXPECT_TRUE(waitCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the cursor is back";
    return test::Click(d, IDCANCEL);
  });
  m_modals.Then([&](QDialog& d) {
    m_radio->WaitQuiet(100ms, 3s);
    heard = BytesOf(m_radio->Frames());
    return test::Click(d, IDCANCEL);
  });
  Frame().OnCommand(cmd::kTestMode);
  EXPECT_EQ(m_modals.shown, (std::vector<int>{139, 137}));
  const std::string reading = GetLangString("IDS_TESTMODE_READING") + " ";
  EXPECT_EQ(progress.left(static_cast<int>(reading.size())).toStdString(), reading) << progress.toStdString();
  EXPECT_EQ(heard, EntryReadFrames());
  EXPECT_EQ(Doc().GetCalibration(3), kRadioCalibration[3]);
}

// Cancel during the entry read waits for its end (the radio gets every frame), then does what
// Cancel does: the password dialog closes with the document as it was. The radio is paced, so
// the read is seen under way; its replies have half a second each, room enough on any machine.
TEST_F(TestModeTest, CancelDuringTheEntryReadWaitsForItsEndThenCancels) {
  sim::RadioOptions paced;
  paced.pace = true;
  StartWithRadio(paced);
  const CRondelDoc::Image before = Doc().image();
  m_modals.Then([&](QDialog& d) {
    auto& gate = static_cast<CTestPasswordDlg&>(d);
    QTest::keyClicks(gate.PasswordEdit(), QString::fromLatin1(kPassword));
    test::Click(d, IDOK);
    EXPECT_TRUE(QTest::qWaitFor([&] { return gate.ProgressLine().endsWith(" / 128"); }, 20000));
    test::Click(d, IDCANCEL);
    EXPECT_TRUE(d.isVisible() && gate.ExchangeRunning()) << "Cancel cut the read short";
    AwaitExchange(gate);
    EXPECT_FALSE(d.isVisible());
    return d.result();
  });
  Frame().OnCommand(cmd::kTestMode);
  EXPECT_EQ(m_modals.shown, std::vector<int>{139}) << "no test mode after Cancel";
  EXPECT_EQ(Doc().image(), before);
  m_radio->WaitQuiet(100ms, 3s);
  EXPECT_EQ(BytesOf(m_radio->Frames()), EntryReadFrames());
  EXPECT_TRUE(m_prompter.prompts.empty());
}

// Escape during write all waits for its end, then the test mode tells what write all did and
// closes. Write all gives the radio 50 ms for each answer, so the radio is not paced here: the
// keys go in right after the click, while the dialog has the exchange in hand whatever the
// radio's speed (its end is only taken in by the window's own event loop).
TEST_F(TestModeTest, EscapeDuringWriteAllWaitsForItsEndThenCloses) {
  StartWithRadio();
  Enter(kPassword, [&](CTestModeDlg& d) {
    test::Click(d, kWriteAllButton);
    ASSERT_TRUE(d.ExchangeRunning());
    const int slider = d.CurrentSlider();
    Key(d, Qt::Key_Down);
    EXPECT_EQ(d.CurrentSlider(), slider) << "keys are ignored meanwhile";
    Key(d, Qt::Key_Escape);
    EXPECT_TRUE(d.isVisible() && d.ExchangeRunning()) << "Escape cut the write short";
    AwaitExchange(d);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), IDCANCEL);
    int writes = 0;
    for (const auto& f : SinceEntry()) writes += f.kind == FrameKind::WriteBlock;
    EXPECT_EQ(writes, 128);
  });
  ExpectOnePrompt("IDS_PROMPT_WRITESUCC", "IDS_PROMPT");
}

// Keys pressed during an exchange are ignored, but a slider let go then is committed after it,
// as the release always came after the exchange: in debug mode, with its live frame.
TEST_F(TestModeTest, ASliderLetGoDuringAnExchangeIsCommittedAfterIt) {
  sim::RadioOptions paced;
  paced.pace = true;
  StartWithRadio(paced);
  Enter(kPassword, [&](CTestModeDlg& d) {
    test::Click(d, kStartDebugButton);
    ASSERT_TRUE(d.ExchangeRunning());
    Key(d, Qt::Key_Right);  // the press is ignored, the release waits
    ExpectShown(d, 0, kRadioCalibration[0]);
    EXPECT_EQ(Doc().image()[kLastIndex], kRadioCalibration[6]);
    AwaitExchange(d);
    ExpectShown(d, 0, kRadioCalibration[0]);
    EXPECT_EQ(Doc().image()[kLastIndex], 0) << "slider 0 committed";
    Bytes committed{0x67, 0x03, 0xF0, 0x08};
    committed.insert(committed.end(), std::begin(kRadioCalibration), std::end(kRadioCalibration));
    committed[4 + 6] = 0;
    std::vector<Bytes> lives;
    for (const auto& f : SinceEntry())
      if (f.kind == FrameKind::LiveCalibration) lives.push_back(f.bytes);
    ASSERT_EQ(lives.size(), 2u);
    EXPECT_EQ(lives[1], committed);
  });
}

}  // namespace
}  // namespace rondel
