// The test mode against the virtual radio, worked with the mouse and the keyboard: the password
// gate, the entry read of the radio's whole memory, the six scroll bars with their wrap, commit
// and highlight, debug mode with its live frames and leave byte, write all, and every failure
// with its message. The frames the radio received are compared byte for byte.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <fstream>
#include <functional>
#include <memory>
#include <ostream>
#include <sstream>

#include "gui_support.h"
#include "link/qt/test_mode_dlg.h"
#include "link/qt/test_password_dlg.h"
#include "platform/dialogs/dialog_builder.h"
#include "platform/dialogs/dialog_template.h"
#include "shell/language.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"
#include "tools/radiosim/virtual_radio.h"
#include "user_input.h"
#include "view/rondel_view.h"

namespace rondel {
namespace {

using sim::FrameKind;
using test::Activate;
using test::Button;
using Bytes = std::vector<std::uint8_t>;
using Frames = std::vector<sim::ReceivedFrame>;
using namespace std::chrono_literals;

constexpr std::size_t kCalibration = 0x3F0;
constexpr std::size_t kLastIndex = 0x3F6;
constexpr std::size_t kRadioEnd = 0x400;
constexpr const char* kPassword = "Calib#7";
// The radio's calibration: slider 0 at the bottom, slider 4 at the top, 0x3F6 and 0x3F7 as
// the radio keeps them.
constexpr std::uint8_t kRadioCalibration[8] = {0, 17, 100, 200, 255, 128, 9, 0x77};

sim::Memory RadioMemory() {
  sim::Memory m = sim::FactoryMemory();
  for (std::size_t i = 0; i < 0x3A0; ++i) m[i] = static_cast<std::uint8_t>(i * 7 + 3);
  std::copy(std::begin(kRadioCalibration), std::end(kRadioCalibration), m.begin() + kCalibration);
  m[layout::kSquelchLevel] = 6;
  return m;
}

Bytes Read(std::size_t a) {
  return {0x52, static_cast<std::uint8_t>(a >> 8), static_cast<std::uint8_t>(a & 0xFF), 0x08};
}
Bytes Frame12(std::uint8_t first, std::size_t a, const std::uint8_t* data) {
  Bytes f(12);
  f[0] = first;
  f[1] = static_cast<std::uint8_t>(a >> 8);
  f[2] = static_cast<std::uint8_t>(a & 0xFF);
  f[3] = 0x08;
  std::copy_n(data, 8, f.begin() + 4);
  return f;
}

// The kinds in order. A busy machine may let a hello answer come late, so the hello may have
// gone out more than once: repeated hellos count as one.
std::vector<FrameKind> Kinds(const Frames& frames) {
  std::vector<FrameKind> k;
  for (const auto& f : frames)
    if (f.kind != FrameKind::Hello || k.empty() || k.back() != FrameKind::Hello) k.push_back(f.kind);
  return k;
}
// The frames after the handshake of the first exchange.
Frames AfterHandshake(const Frames& frames) {
  std::size_t i = 0;
  while (i < frames.size() && frames[i].kind != FrameKind::IdentRequest) ++i;
  while (i < frames.size() && frames[i].kind != FrameKind::ReadBlock && frames[i].kind != FrameKind::WriteBlock) ++i;
  return Frames(frames.begin() + static_cast<long>(i), frames.end());
}
Frames Of(const Frames& frames, FrameKind kind) {
  Frames out;
  for (const auto& f : frames)
    if (f.kind == kind) out.push_back(f);
  return out;
}
std::string Describe(const Frames& frames) {
  std::string text;
  for (std::size_t i = 0; i < frames.size() && i < 30; ++i) text += sim::DescribeFrame(frames[i]) + "\n";
  return text;
}

const std::vector<FrameKind> kHandshake = {FrameKind::Hello, FrameKind::IdentRequest, FrameKind::Ack};
const std::vector<FrameKind> kHandshakeAndPassword = {FrameKind::Hello, FrameKind::IdentRequest,
                                                      FrameKind::Ack, FrameKind::PasswordQuery,
                                                      FrameKind::Ack};

std::vector<FrameKind> Join(std::vector<FrameKind> a, const std::vector<FrameKind>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// Answers the program's messages through the test's script and notes whether the wait cursor
// was still up when each one showed.
class CursorWatch : public Prompter {
 public:
  explicit CursorWatch(Prompter& inner) : m_inner(inner) { SetPrompter(this); }
  ~CursorWatch() override { SetPrompter(&m_inner); }
  PromptAnswer Ask(const PromptRequest& r) override {
    waitCursorAtMessage.push_back(QGuiApplication::overrideCursor() != nullptr);
    return m_inner.Ask(r);
  }
  std::optional<std::string> ChooseFileToOpen(const FileDialogRequest& r) override {
    return m_inner.ChooseFileToOpen(r);
  }
  std::optional<std::string> ChooseFileToSave(const FileDialogRequest& r) override {
    return m_inner.ChooseFileToSave(r);
  }
  std::vector<bool> waitCursorAtMessage;

 private:
  Prompter& m_inner;
};

class TestModeTest : public test::ProgramTest {
 protected:
  void TearDown() override {
    m_cursor.reset();
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr) << "the wait cursor stayed up";
    ProgramTest::TearDown();
  }

  // The radio on COM1, no search; the program started with `password` as [setup] "testpw".
  void StartWithRadio(sim::RadioOptions options = {}) {
    m_radio = std::make_unique<sim::VirtualRadio>(std::move(options));
    ASSERT_TRUE(m_radio->Start()) << m_radio->error();
    m_radio->SetMemory(RadioMemory());
    m_folder.MapPortsAbsent();
    m_folder.SetIni("ports", "com1", m_radio->DevicePath());
    m_folder.SetIni("setup", "searchcom", "0");
    m_folder.SetIni("setup", "testpw", kPassword);
    ASSERT_TRUE(Start());
    m_cursor = std::make_unique<CursorWatch>(m_prompter);
    m_before = Doc().image();
  }

  // The password dialog: the password typed, OK pressed (which opens the test mode, worked by
  // `inTestMode`, when the entry succeeds), then `afterOk`, then Cancel.
  void Enter(const std::string& password, std::function<void(CTestModeDlg&)> inTestMode,
             std::function<void(CTestPasswordDlg&)> afterOk = {}) {
    ScriptEnter(password, std::move(inTestMode), std::move(afterOk));
    Frame().OnCommand(cmd::kTestMode);
  }
  void ScriptEnter(const std::string& password, std::function<void(CTestModeDlg&)> inTestMode,
                   std::function<void(CTestPasswordDlg&)> afterOk = {}) {
    m_modals.Then([this, password, afterOk](QDialog& d) {
      auto& gate = static_cast<CTestPasswordDlg&>(d);
      Activate(&d);
      test::MouseClick(gate.PasswordEdit());
      test::Type(&d, QString::fromStdString(password));
      test::MouseClick(Button(&d, IDOK));
      EXPECT_TRUE(d.isVisible()) << "the password dialog stays open after OK";
      if (afterOk) afterOk(gate);
      test::MouseClick(Button(&d, IDCANCEL));
      return d.result();
    });
    if (inTestMode) ExpectTestMode(std::move(inTestMode));
  }
  void ExpectTestMode(std::function<void(CTestModeDlg&)> inTestMode) {
    m_modals.Then([this, inTestMode](QDialog& d) {
      auto& dialog = static_cast<CTestModeDlg&>(d);
      Activate(&d);
      m_entryFrames = Radio().Frames().size();
      inTestMode(dialog);
      // Closed here unless the case closed it itself.
      if (d.isVisible()) test::MouseClick(Button(&d, IDCANCEL));
      return d.result();
    });
  }

  // The frames the radio received since the test mode opened, once the line is quiet.
  Frames Since(std::size_t from) {
    Radio().WaitQuiet(100ms, 3s);
    const Frames all = Radio().Frames();
    return Frames(all.begin() + static_cast<long>(std::min(from, all.size())), all.end());
  }
  Frames SinceEntry() { return Since(m_entryFrames); }

  void Arrow(CTestModeDlg& d, int slider, QStyle::SubControl part) {
    CScrollBar* bar = d.ScrollBar(slider);
    test::MouseClick(bar, test::ScrollBarPart(bar, part));
  }
  void StartDebug(CTestModeDlg& d) { test::MouseClick(Button(&d, kStartDebugButton)); }

  // The slider's position as the scroll bar and its value field show it.
  static void ExpectShown(CTestModeDlg& d, int slider, int value) {
    EXPECT_EQ(d.ScrollBar(slider)->value(), value) << "slider " << slider;
    EXPECT_EQ(d.ValueEdit(slider)->text(), QString::number(value)) << "slider " << slider;
  }
  // Red for the highlighted slider's name, black for the others.
  static void ExpectHighlight(CTestModeDlg& d, int slider) {
    EXPECT_EQ(d.CurrentSlider(), slider);
    for (int i = 0; i < kCalibrationSliders; ++i) {
      const QColor want = i == slider ? QColor(255, 0, 0) : QColor(0, 0, 0);
      EXPECT_EQ(d.SliderLabel(i)->palette().color(QPalette::WindowText), want) << "label " << i;
    }
  }
  Bytes LiveFrameOfImage() { return Frame12(0x67, kCalibration, Doc().image().data() + kCalibration); }

  CRondelDoc& Doc() { return App().Core().doc(); }
  sim::VirtualRadio& Radio() { return *m_radio; }
  std::vector<std::string> PromptTexts() const {
    std::vector<std::string> t;
    for (const auto& p : m_prompter.prompts) t.push_back(p.text);
    return t;
  }
  void ExpectOnePrompt(const char* text, const char* caption, PromptIcon icon) {
    ASSERT_EQ(m_prompter.prompts.size(), 1u);
    EXPECT_EQ(m_prompter.prompts[0].text, GetLangString(text));
    EXPECT_EQ(m_prompter.prompts[0].caption, GetLangString(caption));
    EXPECT_EQ(m_prompter.prompts[0].icon, icon);
    EXPECT_EQ(m_prompter.prompts[0].buttons, PromptButtons::Ok);
    EXPECT_EQ(m_cursor->waitCursorAtMessage, std::vector<bool>{false})
        << "the message shows with the normal cursor";
  }

  std::unique_ptr<sim::VirtualRadio> m_radio;
  std::unique_ptr<CursorWatch> m_cursor;
  CRondelDoc::Image m_before{};
  std::size_t m_entryFrames = 0;
};

// ---- entering ---------------------------------------------------------------------------------

TEST_F(TestModeTest, EntryReadsThe128BlocksUpTo0x3F8IntoTheDocumentAndShowsTheCalibration) {
  StartWithRadio();
  Doc().image()[0x800] = 0x42;
  bool opened = false;
  Enter(kPassword, [&](CTestModeDlg& d) {
    opened = true;
    for (int i = 0; i < kCalibrationSliders; ++i) {
      EXPECT_EQ(d.ScrollBar(i)->minimum(), 0);
      EXPECT_EQ(d.ScrollBar(i)->maximum(), 255);
      ExpectShown(d, i, kRadioCalibration[i]);
      EXPECT_FALSE(d.ValueEdit(i)->isEnabled());
      EXPECT_TRUE(d.ValueEdit(i)->isReadOnly());
    }
    ExpectHighlight(d, 0);
    EXPECT_EQ(d.KeyboardScrollBar(), d.ScrollBar(0));
    EXPECT_FALSE(d.DebugActive());
    EXPECT_TRUE(App().m_serialPort.IsOpen()) << "the port stays open after the entry";
    // The form shows the memory just read.
    auto* squelch = qobject_cast<QComboBox*>(static_cast<CRondelView*>(Frame().View())->Control(1032));
    EXPECT_EQ(squelch->currentIndex(), 6);
  });
  ASSERT_TRUE(opened);
  EXPECT_EQ(m_modals.shown, (std::vector<int>{139, 137}));
  const sim::Memory radio = RadioMemory();
  EXPECT_TRUE(std::equal(radio.begin(), radio.end(), Doc().image().begin()));
  EXPECT_EQ(Doc().image()[0x800], 0x42) << "nothing beyond the radio's memory is touched";
  EXPECT_FALSE(App().Document().IsModified()) << "a read is no change";

  const Frames frames = Since(0);
  const Frames blocks = AfterHandshake(frames);
  EXPECT_EQ(Kinds(Frames(frames.begin(), frames.end() - static_cast<long>(blocks.size()))),
            kHandshakeAndPassword);
  ASSERT_EQ(blocks.size(), 256u) << Describe(frames);
  for (std::size_t n = 0; n < 128; ++n) {
    SCOPED_TRACE("block " + std::to_string(n));
    EXPECT_EQ(blocks[2 * n].bytes, Read(8 * n));
    EXPECT_EQ(blocks[2 * n + 1].bytes, Bytes{0x06});
  }
  EXPECT_TRUE(m_prompter.prompts.empty());
}

TEST_F(TestModeTest, BothDialogsTakeTheirTextsFromTheLanguageFile) {
  StartWithRadio();
  m_modals.Then([&](QDialog& d) {
    EXPECT_EQ(d.windowTitle().toStdString(), GetResourceText(139));
    EXPECT_EQ(test::Button(&d, IDOK)->text().toStdString(), GetResourceText(1));
    auto* prompt = qobject_cast<QLabel*>(static_cast<CTestPasswordDlg&>(d).GetDlgItem(1172));
    EXPECT_EQ(prompt->text().toStdString(), GetResourceText(1172));
    EXPECT_EQ(static_cast<CTestPasswordDlg&>(d).PasswordEdit()->echoMode(), QLineEdit::Password);
    return test::ClickAndResult(d, IDCANCEL);
  });
  Frame().OnCommand(cmd::kTestMode);
  EXPECT_EQ(m_modals.shown, std::vector<int>{139});

  CTestModeDlg dialog(App().m_serialPort, App().Settings(), Frame(), &Frame());
  dialog.OnInitDialog();
  EXPECT_EQ(dialog.windowTitle().toStdString(), GetResourceText(137));
  EXPECT_EQ(dialog.SliderLabel(0)->text().toStdString(), GetResourceText(1110));
  EXPECT_EQ(dialog.SliderLabel(5)->text().toStdString(), GetResourceText(1130));
  auto* current = qobject_cast<QLabel*>(dialog.GetDlgItem(1114));
  EXPECT_EQ(current->text().toStdString(), GetResourceText(1114));
  EXPECT_EQ(test::Button(&dialog, kStartDebugButton)->text().toStdString(), GetResourceText(1169));
  EXPECT_EQ(test::Button(&dialog, kWriteAllButton)->text().toStdString(), GetResourceText(1170));
  EXPECT_FALSE(test::Button(&dialog, IDOK)->isVisibleTo(&dialog)) << "the default OK is hidden";
  QStringList scale;
  for (QObject* child : dialog.children())
    if (auto* label = qobject_cast<QLabel*>(child); label && ControlId(label) == kUnnamedControl)
      scale << label->text();
  EXPECT_EQ(scale.count(QStringLiteral("0")), 6);
  EXPECT_EQ(scale.count(QStringLiteral("255")), 6);
}

struct PasswordCase {
  const char* name;
  const char* testpw;  // nullptr: no such key
  const char* entered;
  bool opens;
};
void PrintTo(const PasswordCase& c, std::ostream* os) { *os << c.name; }

class TestPasswordEntry : public TestModeTest, public ::testing::WithParamInterface<PasswordCase> {};

// The settings file without the key: the test password is then empty.
void RemoveKey(const std::string& ini, const std::string& key) {
  std::ifstream in(ini);
  std::stringstream kept;
  for (std::string line; std::getline(in, line);)
    if (line.rfind(key + "=", 0) != 0) kept << line << '\n';
  in.close();
  std::ofstream(ini) << kept.str();
}

TEST_P(TestPasswordEntry, OpensTheTestModeOnlyForTheWholePassword) {
  const PasswordCase& c = GetParam();
  StartWithRadio();
  if (c.testpw) {
    m_folder.SetIni("setup", "testpw", c.testpw);
  } else {
    RemoveKey(m_folder.Ini(), "testpw");
  }
  bool opened = false;
  Enter(c.entered, c.opens ? std::function<void(CTestModeDlg&)>([&](CTestModeDlg&) { opened = true; })
                           : std::function<void(CTestModeDlg&)>());
  EXPECT_EQ(opened, c.opens);
  if (c.opens) {
    EXPECT_TRUE(m_prompter.prompts.empty());
    EXPECT_FALSE(Of(Radio().Frames(), FrameKind::ReadBlock).empty());
  } else {
    ExpectOnePrompt("IDS_ERROR_PASSWORD", "IDS_ERROR", PromptIcon::Error);
    Radio().WaitQuiet(100ms, 1s);
    EXPECT_EQ(Radio().BytesReceived(), 0u) << "a wrong password sends nothing";
    EXPECT_FALSE(App().m_serialPort.IsOpen());
    EXPECT_EQ(Doc().image(), m_before);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TestPasswordEntry,
    ::testing::Values(
        PasswordCase{"Exact", "Calib#7", "Calib#7", true},
        PasswordCase{"OtherCase", "Calib#7", "calib#7", false},
        PasswordCase{"Shorter", "Calib#7", "Calib#", false},
        PasswordCase{"Longer", "Calib#7", "Calib#77", false},
        PasswordCase{"Empty", "Calib#7", "", false},
        PasswordCase{"NoKeyEmptyEntry", nullptr, "", true},
        PasswordCase{"NoKeyAnyEntry", nullptr, "x", false},
        PasswordCase{"LongValueCutTo19", "abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrs", true},
        PasswordCase{"LongValueInFull", "abcdefghijklmnopqrstuvwxyz", "abcdefghijklmnopqrstuvwxyz", false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(TestModeTest, OkAgainAfterTheTestModeClosedRunsTheWholeEntryAgain) {
  StartWithRadio();
  int opened = 0;
  ScriptEnter(kPassword, [&](CTestModeDlg&) { ++opened; }, [&](CTestPasswordDlg& gate) {
    // The first test mode has closed; the password is still in the field.
    test::MouseClick(Button(&gate, IDOK));
  });
  ExpectTestMode([&](CTestModeDlg&) { ++opened; });
  Frame().OnCommand(cmd::kTestMode);
  EXPECT_EQ(opened, 2);
  EXPECT_EQ(m_modals.shown, (std::vector<int>{139, 137, 137}));
  const Frames frames = Since(0);
  EXPECT_EQ(Of(frames, FrameKind::IdentRequest).size(), 2u) << "two handshakes";
  EXPECT_EQ(Of(frames, FrameKind::ReadBlock).size(), 256u);
}

struct EntryFailure {
  const char* name;
  std::function<void(sim::RadioOptions&)> radio;
  const char* message;
  std::size_t stored;  // blocks of the radio in the document afterwards
};
void PrintTo(const EntryFailure& f, std::ostream* os) { *os << f.name; }

class TestModeEntryFailure : public TestModeTest, public ::testing::WithParamInterface<EntryFailure> {};

TEST_P(TestModeEntryFailure, ShowsItsMessageClosesThePortAndKeepsTheBlocksRead) {
  const EntryFailure& f = GetParam();
  sim::RadioOptions options;
  f.radio(options);
  StartWithRadio(options);
  int updates = 0;
  auto& hook = App().Document().onUpdateAllViews;
  hook = [&updates, inner = hook] {
    ++updates;
    if (inner) inner();
  };
  Enter(kPassword, nullptr, [&](CTestPasswordDlg&) {
    EXPECT_FALSE(App().m_serialPort.IsOpen()) << "a failed entry closes the port";
  });
  EXPECT_EQ(m_modals.shown, std::vector<int>{139}) << "the test mode does not open";
  ExpectOnePrompt(f.message, "IDS_ERROR", PromptIcon::Error);
  const sim::Memory radio = RadioMemory();
  const long cut = static_cast<long>(8 * f.stored);
  EXPECT_TRUE(std::equal(radio.begin(), radio.begin() + cut, Doc().image().begin()));
  EXPECT_TRUE(std::equal(Doc().image().begin() + cut, Doc().image().end(), m_before.begin() + cut));
  // The form shows what the document now holds.
  EXPECT_EQ(updates, f.stored > 0 ? 1 : 0);
  auto* squelch = qobject_cast<QComboBox*>(static_cast<CRondelView*>(Frame().View())->Control(1032));
  EXPECT_EQ(squelch->currentIndex(), Doc().GetSetting(Setting::SquelchLevel));
  const Frames reads = Of(Radio().Frames(), FrameKind::ReadBlock);
  EXPECT_EQ(reads.size(), f.stored + (f.stored > 0 ? 1 : 0)) << "no block is asked for twice";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TestModeEntryFailure,
    ::testing::Values(
        EntryFailure{"NoRadio", [](sim::RadioOptions& o) { o.silent = true; }, "IDS_ERROR_PORTCONN", 0},
        EntryFailure{"ShortIdentification", [](sim::RadioOptions& o) { o.identLength = 4; },
                     "IDS_ERROR_TYPE", 0},
        EntryFailure{"ShortPasswordReply", [](sim::RadioOptions& o) { o.passwordLength = 5; },
                     "IDS_PROMPT_READFAIL", 0},
        EntryFailure{"StopsAtBlock40",
                     [](sim::RadioOptions& o) { o.faults = {{0x140, 1, sim::FaultKind::Short}}; },
                     "IDS_PROMPT_READFAIL", 40},
        EntryFailure{"ForeignReplyAtBlock3",
                     [](sim::RadioOptions& o) { o.faults = {{0x018, 1, sim::FaultKind::WrongAddress}}; },
                     "IDS_PROMPT_READFAIL", 3},
        EntryFailure{"StopsAtBlock121",
                     [](sim::RadioOptions& o) { o.faults = {{0x3C8, 1, sim::FaultKind::Short}}; },
                     "IDS_PROMPT_READFAIL", 121}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- the scroll bars --------------------------------------------------------------------------

struct ArrowCase {
  const char* name;
  int slider;
  QStyle::SubControl arrow;
  int want;
};
void PrintTo(const ArrowCase& c, std::ostream* os) { *os << c.name; }

class ArrowClick : public TestModeTest, public ::testing::WithParamInterface<ArrowCase> {};

TEST_P(ArrowClick, MovesOneStepWithWrapAndChangesTheImageOnlyAtTheRelease) {
  const ArrowCase& c = GetParam();
  StartWithRadio();
  Enter(kPassword, [&](CTestModeDlg& d) {
    const CRondelDoc::Image read = Doc().image();
    CScrollBar* bar = d.ScrollBar(c.slider);
    const QPoint at = test::ScrollBarPart(bar, c.arrow);
    test::MousePress(bar, at);
    ExpectShown(d, c.slider, c.want);
    ExpectHighlight(d, c.slider);
    EXPECT_EQ(Doc().image(), read) << "nothing is committed while the button is down";
    EXPECT_FALSE(App().Document().IsModified());
    test::MouseRelease(bar, at);
    ExpectShown(d, c.slider, c.want);
    EXPECT_EQ(Doc().GetCalibration(c.slider), c.want);
    EXPECT_EQ(Doc().image()[kLastIndex], c.slider);
    EXPECT_TRUE(App().Document().IsModified());
    CRondelDoc::Image rest = Doc().image();
    rest[kCalibration + static_cast<std::size_t>(c.slider)] = read[kCalibration + static_cast<std::size_t>(c.slider)];
    rest[kLastIndex] = read[kLastIndex];
    EXPECT_EQ(rest, read) << "the commit changes the value and 0x3F6, nothing else";
    EXPECT_TRUE(SinceEntry().empty()) << "outside debug mode nothing goes to the radio";
  });
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ArrowClick,
    ::testing::Values(ArrowCase{"LeftAt0WrapsTo255", 0, QStyle::SC_ScrollBarSubLine, 255},
                      ArrowCase{"RightAt255WrapsTo0", 4, QStyle::SC_ScrollBarAddLine, 0},
                      ArrowCase{"LeftInTheMiddle", 2, QStyle::SC_ScrollBarSubLine, 99},
                      ArrowCase{"RightInTheMiddle", 5, QStyle::SC_ScrollBarAddLine, 129}),
    [](const auto& info) { return std::string(info.param.name); });

class TroughClick : public TestModeTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TroughClick, CommitsTheUnchangedPositionAndInDebugModeSendsALiveFrame) {
  const bool debug = GetParam();
  StartWithRadio();
  Enter(kPassword, [&](CTestModeDlg& d) {
    if (debug) StartDebug(d);
    const std::size_t before = Radio().Frames().size();
    for (const QStyle::SubControl trough : {QStyle::SC_ScrollBarAddPage, QStyle::SC_ScrollBarSubPage}) {
      Arrow(d, 3, trough);
      ExpectShown(d, 3, 200);
    }
    ExpectHighlight(d, 3);
    EXPECT_EQ(Doc().GetCalibration(3), 200);
    EXPECT_EQ(Doc().image()[kLastIndex], 3);
    EXPECT_TRUE(App().Document().IsModified());
    const Frames after = Since(before);
    if (debug) {
      ASSERT_EQ(after.size(), 2u) << Describe(after);
      for (const auto& f : after) EXPECT_EQ(f.bytes, LiveFrameOfImage());
    } else {
      EXPECT_TRUE(after.empty()) << Describe(after);
    }
  });
}

INSTANTIATE_TEST_SUITE_P(DebugMode, TroughClick, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Debug" : "NoDebug"; });

TEST_F(TestModeTest, DraggingTheThumbTracksTheValueAndCommitsAtTheRelease) {
  StartWithRadio();
  Enter(kPassword, [&](CTestModeDlg& d) {
    CScrollBar* bar = d.ScrollBar(1);
    const QPoint thumb = test::ScrollBarPart(bar, QStyle::SC_ScrollBarSlider);
    test::MousePress(bar, thumb);
    const QPoint further = thumb + QPoint(bar->width() / 4, 0);
    test::MouseMove(bar, further);
    const int dragged = bar->value();
    EXPECT_GT(dragged, 17);
    EXPECT_EQ(d.ValueEdit(1)->text(), QString::number(dragged));
    EXPECT_EQ(Doc().GetCalibration(1), 17) << "tracking the thumb commits nothing";
    test::MouseRelease(bar, further);
    ExpectShown(d, 1, dragged);
    EXPECT_EQ(Doc().GetCalibration(1), dragged);
    EXPECT_EQ(Doc().image()[kLastIndex], 1);
  });
}

// ---- the keyboard -----------------------------------------------------------------------------

TEST_F(TestModeTest, UpAndDownMoveTheHighlightRoundTheSixSlidersWithTheRedLabel) {
  StartWithRadio();
  Enter(kPassword, [&](CTestModeDlg& d) {
    struct Step {
      Qt::Key key;
      int highlighted;
    };
    for (const Step s : {Step{Qt::Key_Up, 5}, Step{Qt::Key_Down, 0}, Step{Qt::Key_Down, 1},
                         Step{Qt::Key_Up, 0}, Step{Qt::Key_Up, 5}, Step{Qt::Key_Up, 4}}) {
      test::KeyClick(&d, s.key);
      ExpectHighlight(d, s.highlighted);
    }
    for (int i = 0; i < kCalibrationSliders; ++i) ExpectShown(d, i, kRadioCalibration[i]);
    EXPECT_FALSE(App().Document().IsModified()) << "choosing a slider commits nothing";
  });
}

TEST_F(TestModeTest, LeftAndRightActOnTheHighlightedSliderAndCommitAtTheKeyUp) {
  StartWithRadio();
  Enter(kPassword, [&](CTestModeDlg& d) {
    test::KeyClick(&d, Qt::Key_Up);  // slider 5, at 128
    test::KeyPress(&d, Qt::Key_Left);
    ExpectShown(d, 5, 127);
    EXPECT_EQ(d.KeyboardScrollBar(), d.ScrollBar(5));
    EXPECT_EQ(Doc().GetCalibration(5), 128) << "nothing committed before the key-up";
    test::KeyRelease(&d, Qt::Key_Left);
    EXPECT_EQ(Doc().GetCalibration(5), 127);
    EXPECT_EQ(Doc().image()[kLastIndex], 5);
    test::KeyClick(&d, Qt::Key_Down);  // slider 0, at 0
    test::KeyClick(&d, Qt::Key_Left);
    ExpectShown(d, 0, 255);
    EXPECT_EQ(Doc().GetCalibration(0), 255);
    EXPECT_EQ(Doc().image()[kLastIndex], 0);
    ExpectShown(d, 5, 127);
  });
}

TEST_F(TestModeTest, HoldingRightMovesOnEachRepeatAndCommitsOnceAtTheKeyUp) {
  StartWithRadio();
  Enter(kPassword, [&](CTestModeDlg& d) {
    StartDebug(d);
    test::KeyClick(&d, Qt::Key_Down);
    test::KeyClick(&d, Qt::Key_Down);  // slider 2, at 100
    const std::size_t before = Radio().Frames().size();
    const int downs = test::HoldKey(&d, Qt::Key_Right, 3);
    ASSERT_GE(downs, 4);
    ExpectShown(d, 2, 100 + downs);
    EXPECT_EQ(Doc().GetCalibration(2), 100 + downs);
    const Frames after = Since(before);
    ASSERT_EQ(after.size(), 1u) << "one commit, one live frame\n" << Describe(after);
    EXPECT_EQ(after[0].bytes, LiveFrameOfImage());
    EXPECT_EQ(after[0].bytes[4 + 2], 100 + downs);
  });
}

TEST_F(TestModeTest, EnterOnAScrollBarIsTheHiddenOkAndClosesWithoutAnyExchange) {
  StartWithRadio();
  int result = -1;
  Enter(kPassword, [&](CTestModeDlg& d) {
    StartDebug(d);
    ASSERT_TRUE(d.DebugActive());
    test::MouseClick(d.ScrollBar(2), test::ScrollBarPart(d.ScrollBar(2), QStyle::SC_ScrollBarSlider));
    const std::size_t before = Radio().Frames().size();
    test::KeyClick(&d, Qt::Key_Return);
    result = d.result();
    EXPECT_FALSE(d.isVisible());
    EXPECT_TRUE(Since(before).empty()) << "no leave byte, nothing at all";
    EXPECT_TRUE(App().m_serialPort.IsOpen());
  });
  EXPECT_EQ(result, IDOK);
}

// ---- debug mode, Cancel and write all ---------------------------------------------------------

struct CancelCase {
  const char* name;
  bool debug;
  bool escape;  // Escape instead of the Cancel button
};
void PrintTo(const CancelCase& c, std::ostream* os) { *os << c.name; }

class TestModeCancel : public TestModeTest, public ::testing::WithParamInterface<CancelCase> {};

TEST_P(TestModeCancel, SendsTheLeaveByteAndClosesThePortOnlyInDebugMode) {
  const CancelCase& c = GetParam();
  StartWithRadio();
  Frames after;
  Enter(kPassword, [&](CTestModeDlg& d) {
    if (c.debug) StartDebug(d);
    if (c.escape) {
      test::KeyClick(&d, Qt::Key_Escape);
    } else {
      test::MouseClick(Button(&d, IDCANCEL));
    }
    EXPECT_EQ(d.result(), IDCANCEL);
    if (c.debug) Radio().WaitForFrames([](const Frames& f) { return f.back().kind == FrameKind::Leave; }, 2s);
    after = SinceEntry();
  });
  if (c.debug) {
    EXPECT_EQ(Kinds(after), Join(kHandshakeAndPassword, {FrameKind::ReadBlock, FrameKind::LiveCalibration,
                                                         FrameKind::Leave}))
        << Describe(after);
    const Frames tail = AfterHandshake(after);
    ASSERT_EQ(tail.size(), 3u);
    EXPECT_EQ(tail[0].bytes, (Bytes{0x52, 0x03, 0xF0, 0x08}));
    EXPECT_EQ(tail[1].bytes, Frame12(0x67, kCalibration, kRadioCalibration));
    EXPECT_EQ(tail[2].bytes, Bytes{0x62});
    EXPECT_FALSE(App().m_serialPort.IsOpen());
  } else {
    EXPECT_TRUE(after.empty()) << Describe(after);
    EXPECT_TRUE(App().m_serialPort.IsOpen());
  }
  EXPECT_TRUE(m_prompter.prompts.empty());
}

INSTANTIATE_TEST_SUITE_P(Cases, TestModeCancel,
                         ::testing::Values(CancelCase{"AfterStartDebug", true, false},
                                           CancelCase{"EscapeAfterStartDebug", true, true},
                                           CancelCase{"WithoutDebug", false, false},
                                           CancelCase{"EscapeWithoutDebug", false, true}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(TestModeTest, StartDebugShowsTheCalibrationTheRadioHasAndSendsItLive) {
  StartWithRadio();
  Enter(kPassword, [&](CTestModeDlg& d) {
    test::KeyClick(&d, Qt::Key_Down);
    test::KeyClick(&d, Qt::Key_Right);  // slider 1: 18 in the document, 17 in the radio
    ASSERT_EQ(Doc().GetCalibration(1), 18);
    StartDebug(d);
    EXPECT_TRUE(d.DebugActive());
    ExpectShown(d, 1, 17);
    EXPECT_EQ(Doc().GetCalibration(1), 17);
    const Frames live = Of(SinceEntry(), FrameKind::LiveCalibration);
    ASSERT_EQ(live.size(), 1u);
    EXPECT_EQ(live[0].bytes, Frame12(0x67, kCalibration, kRadioCalibration));
    EXPECT_TRUE(App().m_serialPort.IsOpen());
  });
  EXPECT_TRUE(m_prompter.prompts.empty());
}

TEST_F(TestModeTest, AFailedStartOfDebugModeShowsItsMessageAndLaterCommitsGoNowhere) {
  StartWithRadio();
  Enter(kPassword, [&](CTestModeDlg& d) {
    Radio().Stop();  // the cable is pulled
    StartDebug(d);
    EXPECT_TRUE(d.DebugActive()) << "set whatever follows";
    EXPECT_FALSE(App().m_serialPort.IsOpen());
    ExpectOnePrompt("IDS_ERROR_PORTCONN", "IDS_ERROR", PromptIcon::Error);
    ExpectShown(d, 0, 0);
    const std::size_t before = Radio().Frames().size();
    test::KeyClick(&d, Qt::Key_Right);
    EXPECT_EQ(Doc().GetCalibration(0), 1) << "the commit still reaches the document";
    EXPECT_TRUE(Since(before).empty());
  });
}

TEST_F(TestModeTest, WriteAllAfterStartDebugLeavesDebugModeThenWritesTheWholeMemory) {
  StartWithRadio();
  Enter(kPassword, [&](CTestModeDlg& d) {
    StartDebug(d);
    test::KeyClick(&d, Qt::Key_Right);  // slider 0: 1
    const std::size_t before = Radio().Frames().size();
    Doc().image()[0x123] = 0xAB;
    test::MouseClick(Button(&d, kWriteAllButton));
    EXPECT_FALSE(d.DebugActive());
    EXPECT_TRUE(d.isVisible()) << "the test mode stays open";
    const Frames after = Since(before);
    std::vector<FrameKind> want = Join({FrameKind::Leave}, kHandshake);
    want.insert(want.end(), 128, FrameKind::WriteBlock);
    EXPECT_EQ(Kinds(after), want) << Describe(after);
    const Frames writes = AfterHandshake(after);
    ASSERT_EQ(writes.size(), 128u);
    for (std::size_t n = 0; n < 128; ++n)
      EXPECT_EQ(writes[n].bytes, Frame12(0x57, 8 * n, Doc().image().data() + 8 * n)) << n;
    const sim::Memory radio = Radio().GetMemory();
    EXPECT_TRUE(std::equal(radio.begin(), radio.end(), Doc().image().begin()));
    EXPECT_EQ(radio[0x123], 0xAB);
    EXPECT_EQ(radio[kCalibration], 1);
    EXPECT_FALSE(App().m_serialPort.IsOpen());
    ExpectOnePrompt("IDS_PROMPT_WRITESUCC", "IDS_PROMPT", PromptIcon::None);
    // Debug mode has ended: Cancel sends nothing more.
    test::MouseClick(Button(&d, IDCANCEL));
    EXPECT_TRUE(Since(before + after.size()).empty());
  });
}

TEST_F(TestModeTest, WriteAllWithARefusedBlockShowsItsNoticeAndKeepsThePortOpen) {
  sim::RadioOptions options;
  options.faults = {{0x100, 1, sim::FaultKind::Refuse}};
  StartWithRadio(options);
  Enter(kPassword, [&](CTestModeDlg& d) {
    test::MouseClick(Button(&d, kWriteAllButton));
    ExpectOnePrompt("IDS_PROMPT_WRITEFAIL", "IDS_PROMPT", PromptIcon::None);
    EXPECT_TRUE(App().m_serialPort.IsOpen());
    const Frames after = SinceEntry();
    EXPECT_EQ(Of(after, FrameKind::WriteBlock).size(), 0x100u / 8 + 1) << "no block twice";
    EXPECT_TRUE(Of(after, FrameKind::Leave).empty());
    EXPECT_TRUE(Of(after, FrameKind::PasswordQuery).empty());
  });
}

}  // namespace
}  // namespace rondel
