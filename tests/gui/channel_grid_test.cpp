// The channel grid of the form, driven as a user drives it: a click or Enter opens the cell's
// editor over the cell, keys type into it, Enter, Escape or a click elsewhere commits; the
// image bytes, the modified flag and the grid's cells are checked afterwards.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <ostream>
#include <vector>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include "core/image_layout.h"
#include "grid/grid_ctrl.h"
#include "gui_support.h"
#include "resources/control_ids.h"
#include "shell/qt/main_frame.h"
#include "view/rondel_view.h"

namespace rondel {
namespace {

using Bytes = std::vector<std::uint8_t>;
namespace L = layout;

constexpr std::uint8_t kDefaultFlags = 0xEB;  // the option defaults with bit 1 set

class ChannelGrid : public test::ProgramTest {
 protected:
  bool StartShown() {
    if (!Start()) return false;
    Frame().show();
    Frame().activateWindow();
    QApplication::setActiveWindow(&Frame());
    return QTest::qWaitForWindowActive(&Frame());
  }
  CRondelView& View() { return *static_cast<CRondelView*>(Frame().View()); }
  CGridCtrl& Grid() { return *View().Grid(); }
  CRondelDoc& Doc() { return App().Core().doc(); }
  Bytes At(int n, std::size_t field, std::size_t size) {
    const auto* p = Doc().image().data() + L::ChannelOffset(n) + field;
    return Bytes(p, p + size);
  }
  void Put(int n, std::size_t field, const Bytes& bytes) {
    std::copy(bytes.begin(), bytes.end(), Doc().image().begin() + static_cast<long>(L::ChannelOffset(n) + field));
  }
  std::uint8_t Flags(int n) { return Doc().image()[L::ChannelOffset(n) + L::kChanFlags]; }
  // Shows the image as it now is, as any outside change of the image is shown.
  void Refresh() { View().OnUpdate(); }
  void ClickCell(int row, int col) {
    const QRect cell = Grid().GetCellRect(row, col);
    QTest::mouseClick(Grid().viewport(), Qt::LeftButton, {}, cell.center());
  }
  QLineEdit* FreqEditor() { return qobject_cast<QLineEdit*>(View().Control(IDC_FREQ_CELL_EDIT)); }
  QComboBox* ChoiceEditor() { return qobject_cast<QComboBox*>(View().Control(IDC_CHOICE_CELL_COMBO)); }
  QComboBox* ToneEditor() { return qobject_cast<QComboBox*>(View().Control(IDC_TONE_CELL_COMBO)); }
  QComboBox* PriorityList() { return qobject_cast<QComboBox*>(View().Control(IDC_PRIORITY)); }
  bool ReadOnly(int row, int col) { return (Grid().GetCellState(row, col) & GVIS_READONLY) != 0; }
  // A channel in use: 446.00625 both ways, tones 67.0 / D023N, default options.
  void FillChannel(int n) {
    Put(n, L::kRxFreq, {0x25, 0x06, 0x60, 0x44});
    Put(n, L::kTxFreq, {0x25, 0x06, 0x60, 0x44});
    Put(n, L::kRxTone, {0x70, 0x06});
    Put(n, L::kTxTone, {0x23, 0x80});
    Doc().image()[L::ChannelOffset(n) + L::kChanFlags] = kDefaultFlags;
  }
};

struct FrequencyCase {
  const char* name;
  bool filled;      // channel 1 in use before the edit (else never used)
  Bytes rxBefore;   // put into rxFreq when not empty
  int column;
  const char* typed;  // after the opening text was selected; "" types nothing
  Qt::Key end;
  Bytes rx, tx;
  bool modified;
};
void PrintTo(const FrequencyCase& c, std::ostream* os) { *os << c.name; }

class FrequencyCommit : public ChannelGrid, public ::testing::WithParamInterface<FrequencyCase> {};

TEST_P(FrequencyCommit, StoresTheBandCheckedSnappedTextAndFollowsOnlyFromReceive) {
  const FrequencyCase& c = GetParam();
  ASSERT_TRUE(StartShown());
  if (c.filled) FillChannel(1);
  if (!c.rxBefore.empty()) Put(1, L::kRxFreq, c.rxBefore);
  Refresh();
  ClickCell(1, c.column);
  ASSERT_TRUE(FreqEditor()->isVisible());
  ASSERT_TRUE(FreqEditor()->hasFocus());
  EXPECT_EQ(FreqEditor()->text(), Grid().GetCellText(1, c.column));
  // The editor lies exactly over the cell.
  const QRect cell = Grid().GetCellRect(1, c.column);
  EXPECT_EQ(FreqEditor()->mapToGlobal(QPoint(0, 0)), Grid().viewport()->mapToGlobal(cell.topLeft()));
  EXPECT_TRUE(Grid().IsEditing());
  QTest::keyClicks(FreqEditor(), QString::fromLatin1(c.typed));
  QTest::keyClick(FreqEditor(), c.end);
  EXPECT_TRUE(Grid().hasFocus());
  EXPECT_FALSE(FreqEditor()->isVisible());
  EXPECT_FALSE(Grid().IsEditing());
  EXPECT_EQ(At(1, L::kRxFreq, 4), c.rx);
  EXPECT_EQ(At(1, L::kTxFreq, 4), c.tx);
  EXPECT_EQ(Doc().IsModified(), c.modified);
  EXPECT_EQ(Grid().GetCellText(1, 1).toStdString(), Doc().GetFrequencyText(1, Direction::Receive));
  EXPECT_EQ(Grid().GetCellText(1, 3).toStdString(), Doc().GetFrequencyText(1, Direction::Transmit));
}

const Bytes kUnsetFreq{0xFF, 0xFF, 0xFF, 0xFF};
const Bytes k446{0x25, 0x06, 0x60, 0x44};

INSTANTIATE_TEST_SUITE_P(
    Table, FrequencyCommit,
    ::testing::Values(
        FrequencyCase{"EmptyChannelTakesBoth", false, {}, 1, "446.00625", Qt::Key_Return, k446, k446, true},
        FrequencyCase{"BelowTheBandStoresTheLowerEdge", false, {}, 1, "5", Qt::Key_Return,
                      {0x00, 0x00, 0x00, 0x40}, {0x00, 0x00, 0x00, 0x40}, true},
        FrequencyCase{"AboveTheBandStoresTheUpperEdge", false, {}, 1, "480", Qt::Key_Return,
                      {0x00, 0x00, 0x00, 0x47}, {0x00, 0x00, 0x00, 0x47}, true},
        FrequencyCase{"EscapeStoresTheSnapWithoutAChange", true, {0x00, 0x03, 0x60, 0x44}, 1, "447",
                      Qt::Key_Escape, {0x00, 0x05, 0x60, 0x44}, k446, false},
        FrequencyCase{"DifferentTransmitStaysWhenReceiveChanges", true, {0x00, 0x00, 0x50, 0x44}, 1,
                      "450.1", Qt::Key_Return, {0x00, 0x00, 0x01, 0x45}, k446, true},
        FrequencyCase{"EqualTransmitFollowsReceive", true, {}, 1, "450.1", Qt::Key_Return,
                      {0x00, 0x00, 0x01, 0x45}, {0x00, 0x00, 0x01, 0x45}, true},
        FrequencyCase{"TransmitAloneLeavesReceive", true, {}, 3, "450.1", Qt::Key_Return, k446,
                      {0x00, 0x00, 0x01, 0x45}, true},
        FrequencyCase{"SameTextIsNoChange", true, {}, 1, "446.00625", Qt::Key_Return, k446, k446, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChannelGrid, AnEmptyChannelComesToLifeWithTheToneAndOptionTextsOfTheImage) {
  ASSERT_TRUE(StartShown());
  for (int c = 2; c < kChannelColumns; ++c) EXPECT_TRUE(ReadOnly(1, c)) << c;
  ClickCell(1, 1);
  QTest::keyClicks(FreqEditor(), QStringLiteral("446.00625"));
  QTest::keyClick(FreqEditor(), Qt::Key_Return);
  for (int c = 1; c < kChannelColumns; ++c) EXPECT_FALSE(ReadOnly(1, c)) << c;
  EXPECT_EQ(Grid().GetCellText(1, 2), QStringLiteral("Off"));
  EXPECT_EQ(Grid().GetCellText(1, 4), QStringLiteral("Off"));
  EXPECT_EQ(Grid().GetCellText(1, 7), QStringLiteral("High"));
  EXPECT_EQ(Grid().GetCellText(1, 6), QStringLiteral("Wide"));
  // The new channel is offered as the priority channel.
  EXPECT_EQ(PriorityList()->count(), 2);
  EXPECT_EQ(PriorityList()->itemText(1), QStringLiteral("1"));
}

TEST_F(ChannelGrid, ClearingTheReceiveFrequencyDeletesTheChannelAndItsPriority) {
  ASSERT_TRUE(StartShown());
  FillChannel(2);
  Doc().image()[L::ChannelOffset(2) + L::kChanFlags] = 0x00;  // every option flipped, bit 1 clear
  Doc().image()[L::kPriorityChannel] = 1;  // channel 2
  Refresh();
  ASSERT_EQ(PriorityList()->currentText(), QStringLiteral("2"));
  ClickCell(2, 1);
  QTest::keyClick(FreqEditor(), Qt::Key_Backspace);
  QTest::keyClick(FreqEditor(), Qt::Key_Return);
  EXPECT_EQ(At(2, L::kRxFreq, 4), kUnsetFreq);
  EXPECT_EQ(At(2, L::kTxFreq, 4), kUnsetFreq);
  EXPECT_EQ(At(2, L::kRxTone, 4), Bytes({0xFF, 0xFF, 0xFF, 0xFF}));
  EXPECT_EQ(Flags(2), kDefaultFlags & ~0x02);
  EXPECT_EQ(Doc().image()[L::kPriorityChannel], 0xFF);
  EXPECT_EQ(PriorityList()->currentIndex(), 0);
  EXPECT_EQ(PriorityList()->count(), 1);
  EXPECT_TRUE(Doc().IsModified());
  EXPECT_FALSE(ReadOnly(2, 1));
  for (int c = 1; c < kChannelColumns; ++c) {
    EXPECT_EQ(Grid().GetCellText(2, c), QString()) << c;
    if (c > 1) {
      EXPECT_TRUE(ReadOnly(2, c)) << c;
    }
  }
}

TEST_F(ChannelGrid, ClearingTheTransmitFrequencyTurnsTheTransmitToneOffAndReadOnly) {
  ASSERT_TRUE(StartShown());
  FillChannel(1);
  Refresh();
  ClickCell(1, 3);
  QTest::keyClick(FreqEditor(), Qt::Key_Backspace);
  QTest::keyClick(FreqEditor(), Qt::Key_Return);
  EXPECT_EQ(At(1, L::kTxFreq, 4), kUnsetFreq);
  EXPECT_EQ(At(1, L::kTxTone, 2), Bytes({0xFF, 0xFF}));
  EXPECT_EQ(At(1, L::kRxFreq, 4), k446);
  EXPECT_TRUE(ReadOnly(1, 4));
  EXPECT_EQ(Grid().GetCellText(1, 4), QString());
  EXPECT_FALSE(ReadOnly(1, 2));
}

TEST_F(ChannelGrid, ReadOnlyCellsOpenNoEditorByClickOrEnter) {
  ASSERT_TRUE(StartShown());
  ClickCell(1, 2);
  EXPECT_FALSE(ToneEditor()->isVisible());
  QTest::keyClick(Grid().viewport(), Qt::Key_Return);
  EXPECT_FALSE(ToneEditor()->isVisible());
  EXPECT_FALSE(Grid().IsEditing());
}

TEST_F(ChannelGrid, AnOptionIsStoredAtOnceWhileTheListIsOpenAndLeavesTheModifiedFlag) {
  ASSERT_TRUE(StartShown());
  FillChannel(1);
  Doc().image()[L::ChannelOffset(1) + L::kChanFlags] = kDefaultFlags & ~(1 << L::kBitHighPower);
  Refresh();
  ASSERT_EQ(Grid().GetCellText(1, 7), QStringLiteral("Low"));
  ClickCell(1, 7);
  ASSERT_TRUE(ChoiceEditor()->isVisible());
  EXPECT_EQ(ChoiceEditor()->count(), 2);
  EXPECT_EQ(ChoiceEditor()->currentText(), QStringLiteral("Low"));
  ChoiceEditor()->showPopup();
  ASSERT_TRUE(ChoiceEditor()->view()->isVisible());
  ChoiceEditor()->setCurrentIndex(1);
  EXPECT_TRUE(ChoiceEditor()->view()->isVisible());
  EXPECT_EQ(Grid().GetCellText(1, 7), QStringLiteral("High"));
  EXPECT_EQ(Doc().GetChannelOption(1, ChannelOption::HighPower), 1);
  ChoiceEditor()->hidePopup();
  QTest::keyClick(ChoiceEditor(), Qt::Key_Return);
  EXPECT_FALSE(ChoiceEditor()->isVisible());
  EXPECT_FALSE(Doc().IsModified());
}

struct ToneCase {
  const char* name;
  int column;
  Bytes rxTone, txTone;  // before
  Bytes rxAfter, txAfter;
};
void PrintTo(const ToneCase& c, std::ostream* os) { *os << c.name; }

class ToneCommit : public ChannelGrid, public ::testing::WithParamInterface<ToneCase> {};

TEST_P(ToneCommit, FollowsOnlyFromReceiveWhenTheTonesWereEqual) {
  const ToneCase& c = GetParam();
  ASSERT_TRUE(StartShown());
  FillChannel(1);
  Put(1, L::kRxTone, c.rxTone);
  Put(1, L::kTxTone, c.txTone);
  Refresh();
  ClickCell(1, c.column);
  ASSERT_TRUE(ToneEditor()->isVisible());
  EXPECT_EQ(ToneEditor()->count(), 259);
  EXPECT_EQ(ToneEditor()->itemText(0), QStringLiteral("OFF"));
  // Typed letters jump to items: "7" goes to the first tone beginning with 7 (71.9).
  QTest::keyClick(ToneEditor(), Qt::Key_7);
  EXPECT_EQ(ToneEditor()->currentText(), QStringLiteral("71.9"));
  QTest::keyClick(ToneEditor(), Qt::Key_Return);
  EXPECT_FALSE(ToneEditor()->isVisible());
  EXPECT_EQ(At(1, L::kRxTone, 2), c.rxAfter);
  EXPECT_EQ(At(1, L::kTxTone, 2), c.txAfter);
  EXPECT_TRUE(Doc().IsModified());
}

const Bytes kOff{0xFF, 0xFF};
const Bytes k719{0x19, 0x07};
const Bytes k670{0x70, 0x06};

INSTANTIATE_TEST_SUITE_P(
    Table, ToneCommit,
    ::testing::Values(ToneCase{"ReceiveWithEqualTones", 2, kOff, kOff, k719, k719},
                      ToneCase{"ReceiveWithDifferentTones", 2, kOff, k670, k719, k670},
                      ToneCase{"TransmitNeverTouchesReceive", 4, kOff, kOff, kOff, k719}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChannelGrid, TheKeyboardAloneMovesTheFocusCellAndOpensItsEditor) {
  ASSERT_TRUE(StartShown());
  FillChannel(1);
  Refresh();
  ClickCell(1, 1);
  QTest::keyClick(FreqEditor(), Qt::Key_Escape);
  ASSERT_TRUE(Grid().hasFocus());
  QTest::keyClick(&Grid(), Qt::Key_Right);
  QTest::keyClick(&Grid(), Qt::Key_Right);
  EXPECT_EQ(Grid().GetFocusCell(), (CCellID{1, 3}));
  QTest::keyClick(&Grid(), Qt::Key_Return);
  ASSERT_TRUE(FreqEditor()->isVisible());
  EXPECT_TRUE(FreqEditor()->hasFocus());
  QTest::keyClick(FreqEditor(), Qt::Key_Escape);
  EXPECT_FALSE(Doc().IsModified());
}

TEST_F(ChannelGrid, AnUpdateWhileAnEditorIsOpenDropsItsTextInsteadOfStoringItElsewhere) {
  ASSERT_TRUE(StartShown());
  ClickCell(3, 1);
  QTest::keyClicks(FreqEditor(), QStringLiteral("446"));
  m_prompter.Answer(PromptAnswer::Ok);
  App().OnFileNew();
  EXPECT_FALSE(FreqEditor()->isVisible());
  EXPECT_FALSE(Grid().IsEditing());
  EXPECT_TRUE(Doc().IsChannelEmpty(3));
}

TEST_F(ChannelGrid, SavingWhileAFrequencyIsTypedStoresItInTheFile) {
  ASSERT_TRUE(StartShown());
  ClickCell(1, 1);
  QTest::keyClicks(FreqEditor(), QStringLiteral("446.00625"));
  ASSERT_TRUE(FreqEditor()->hasFocus());
  const std::string path = m_folder.File("typed.dig");
  m_prompter.ChooseSave(path);
  QTest::keyClick(FreqEditor(), Qt::Key_S, Qt::ControlModifier);
  const std::vector<std::uint8_t> file = test::ReadBytes(path);
  ASSERT_EQ(file.size(), 4144u);
  EXPECT_EQ(Bytes(file.begin() + 48 + 0x10, file.begin() + 48 + 0x18),
            Bytes({0x25, 0x06, 0x60, 0x44, 0x25, 0x06, 0x60, 0x44}));
  EXPECT_FALSE(FreqEditor()->isVisible());
  EXPECT_FALSE(Grid().IsEditing());
  EXPECT_FALSE(Doc().IsModified());
}

struct ChannelCountCase {
  const char* name;
  const char* value;  // nullptr: no key
  int rows;
};
void PrintTo(const ChannelCountCase& c, std::ostream* os) { *os << c.name; }

class ChannelCount : public ChannelGrid, public ::testing::WithParamInterface<ChannelCountCase> {};

TEST_P(ChannelCount, GivesTheRowsBelowTheHeadingAndTheRowNumbers) {
  std::string ini = test::ReadText(m_folder.Ini());
  const std::size_t at = ini.find("\nchannel=");
  ASSERT_NE(at, std::string::npos);
  ini.erase(at + 1, ini.find('\n', at + 1) - at);
  m_folder.dir().Write("setting.ini", ini);
  if (GetParam().value) m_folder.SetIni("setup", "channel", GetParam().value);
  ASSERT_TRUE(StartShown());
  EXPECT_EQ(Grid().GetRowCount(), GetParam().rows + 1);
  EXPECT_EQ(Grid().GetColumnCount(), kChannelColumns);
  EXPECT_EQ(Grid().GetFixedRowCount(), 1);
  EXPECT_EQ(Grid().GetFixedColumnCount(), 1);
  EXPECT_EQ(Grid().GetRowHeight(0), 28);
  if (GetParam().rows > 0) {
    EXPECT_EQ(Grid().GetRowHeight(GetParam().rows), 21);
    EXPECT_EQ(Grid().GetCellText(GetParam().rows, 0), QString::number(GetParam().rows));
  }
  EXPECT_EQ(Grid().GetTotalWidth(), 40 + 80 + 70 + 80 + 70 + 70 + 60 + 70 + 70 + 73 + 70 + 70);
  EXPECT_EQ(PriorityList()->count(), 1);
}

INSTANTIATE_TEST_SUITE_P(Table, ChannelCount,
                         ::testing::Values(ChannelCountCase{"Missing", nullptr, 0},
                                           ChannelCountCase{"NotANumber", "x", 0},
                                           ChannelCountCase{"Five", "5", 5},
                                           ChannelCountCase{"MoreThanTheImageHolds", "40", 16}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ChannelGrid, HeadingsComeFromTheLanguageFileAndAMissingOneRepeatsTheOneBefore) {
  std::string lang = test::ReadText(m_folder.File("english.lang"));
  const std::size_t at = lang.find("\nIDS_ChText4=");
  ASSERT_NE(at, std::string::npos);
  lang.erase(at + 1, lang.find('\n', at + 1) - at);
  m_folder.dir().Write("english.lang", lang);
  ASSERT_TRUE(StartShown());
  EXPECT_EQ(Grid().GetCellText(0, 4), Grid().GetCellText(0, 3));
  EXPECT_NE(Grid().GetCellText(0, 5), Grid().GetCellText(0, 4));
  EXPECT_TRUE(Grid().GetCellFormat(0, 1) & GV_FMT_WORDBREAK);
  EXPECT_TRUE(Grid().GetCellFormat(0, 7) & GV_FMT_SINGLELINE);
  EXPECT_TRUE(Grid().GetCellFormat(1, 7) & GV_FMT_SINGLELINE);
}

}  // namespace
}  // namespace rondel
