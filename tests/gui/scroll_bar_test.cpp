// The scroll bar control of the dialogs: every mouse action becomes a scroll code and the bar
// stays where its owner last put it; the release ends each action. And Enter in a dialog whose
// default button is hidden: the hidden button's command, unless a push button has the focus.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QWheelEvent>

#include <ostream>
#include <vector>

#include "platform/dialogs/cdialog.h"
#include "platform/dialogs/scroll_bar.h"
#include "user_input.h"

namespace rondel {
namespace {

using Code = ScrollCode;

struct Recorded {
  Code code;
  int thumb;
  bool operator==(const Recorded& o) const { return code == o.code && thumb == o.thumb; }
};
void PrintTo(const Recorded& r, std::ostream* os) {
  *os << "{" << static_cast<int>(r.code) << ", " << r.thumb << "}";
}

// A bar 0..255 at `start` whose owner moves it only when told to follow.
struct Owner {
  explicit Owner(int start, bool follow = false) : bar(Qt::Horizontal, &window) {
    window.resize(300, 40);
    bar.setGeometry(10, 10, 200, 18);
    bar.SetScrollRange(0, 255);
    bar.SetScrollPos(start);
    QObject::connect(&bar, &CScrollBar::Scrolled, &window, [this, follow](Code code, int thumb) {
      got.push_back({code, thumb});
      if (follow && code == Code::ThumbTrack) bar.SetScrollPos(thumb);
    });
    test::Activate(&window);
  }
  QWidget window;
  CScrollBar bar;
  std::vector<Recorded> got;
};

struct PartCase {
  const char* name;
  QStyle::SubControl part;
  Code code;
  std::vector<int> starts;  // positions where the part is there to click
};
void PrintTo(const PartCase& c, std::ostream* os) { *os << c.name; }

class ScrollBarClick : public ::testing::TestWithParam<PartCase> {};

TEST_P(ScrollBarClick, SendsItsCodeThenEndScrollAndDoesNotMoveByItself) {
  const PartCase& c = GetParam();
  for (const int start : c.starts) {
    SCOPED_TRACE(start);
    Owner o(start);
    const QPoint at = test::ScrollBarPart(&o.bar, c.part);
    test::MousePress(&o.bar, at);
    ASSERT_FALSE(o.got.empty());
    EXPECT_EQ(o.got.front().code, c.code);
    EXPECT_EQ(o.bar.GetScrollPos(), start);
    test::MouseRelease(&o.bar, at);
    EXPECT_EQ(o.got, (std::vector<Recorded>{{c.code, o.got.front().thumb}, {Code::EndScroll, start}}));
    EXPECT_EQ(o.bar.GetScrollPos(), start);
    EXPECT_EQ(o.bar.sliderPosition(), start);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Parts, ScrollBarClick,
    ::testing::Values(
        PartCase{"LeftArrow", QStyle::SC_ScrollBarSubLine, Code::LineLeft, {0, 100, 255}},
        PartCase{"RightArrow", QStyle::SC_ScrollBarAddLine, Code::LineRight, {0, 100, 255}},
        PartCase{"TroughLeft", QStyle::SC_ScrollBarSubPage, Code::PageLeft, {100, 255}},
        PartCase{"TroughRight", QStyle::SC_ScrollBarAddPage, Code::PageRight, {0, 100}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScrollBarDrag, TracksTheThumbOnlyWhereTheOwnerPutsItAndEndsWithPositionAndEndScroll) {
  for (const bool follow : {false, true}) {
    SCOPED_TRACE(follow);
    Owner o(40, follow);
    const QPoint thumb = test::ScrollBarPart(&o.bar, QStyle::SC_ScrollBarSlider);
    test::MousePress(&o.bar, thumb);
    test::MouseMove(&o.bar, thumb + QPoint(60, 0));
    ASSERT_GE(o.got.size(), 1u);
    EXPECT_EQ(o.got.back().code, Code::ThumbTrack);
    const int dragged = o.got.back().thumb;
    EXPECT_GT(dragged, 40);
    EXPECT_EQ(o.bar.GetScrollPos(), follow ? dragged : 40);
    test::MouseRelease(&o.bar, thumb + QPoint(60, 0));
    ASSERT_GE(o.got.size(), 3u);
    EXPECT_EQ(o.got[o.got.size() - 2].code, Code::ThumbPosition);
    EXPECT_EQ(o.got.back(), (Recorded{Code::EndScroll, follow ? dragged : 40}));
  }
}

TEST(ScrollBarOtherInput, TheWheelAndTheOtherButtonsDoNothing) {
  Owner o(100);
  const QPoint trough = test::ScrollBarPart(&o.bar, QStyle::SC_ScrollBarAddPage);
  QTest::mouseClick(&o.bar, Qt::MiddleButton, Qt::NoModifier, trough);
  QTest::mouseClick(&o.bar, Qt::RightButton, Qt::NoModifier, trough);
  QWheelEvent wheel(QPointF(trough), QPointF(o.bar.mapToGlobal(trough)), QPoint(), QPoint(0, -120),
                    Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
  QApplication::sendEvent(&o.bar, &wheel);
  EXPECT_TRUE(o.got.empty());
  EXPECT_EQ(o.bar.GetScrollPos(), 100);
}

TEST(ScrollBarSendScroll, SpeaksForTheBarAtItsPosition) {
  Owner o(7);
  o.bar.SendScroll(Code::LineRight);
  o.bar.SendScroll(Code::EndScroll);
  EXPECT_EQ(o.got, (std::vector<Recorded>{{Code::LineRight, 7}, {Code::EndScroll, 7}}));
}

// ---- Enter and the hidden default button ---------------------------------------------------

struct EnterCase {
  const char* name;
  bool hidden;         // the default OK is hidden
  bool okEnabled;
  bool focusOnButton;  // the other push button has the focus
  int ok;              // times OK's command ran
  int other;           // times the other button's command ran
};
void PrintTo(const EnterCase& c, std::ostream* os) { *os << c.name; }

class HiddenDefault : public ::testing::TestWithParam<EnterCase> {};

TEST_P(HiddenDefault, EnterRunsTheDefaultButtonsCommandOrTheFocusedButtons) {
  const EnterCase& c = GetParam();
  // Template 137: a hidden default OK, scroll bars that take the focus, other buttons.
  CDialog dialog(137, nullptr);
  auto* ok = dialog.Item<QPushButton>(IDOK);
  auto* other = dialog.Item<QPushButton>(1169);
  ASSERT_TRUE(ok && other);
  ok->setVisible(!c.hidden);
  ok->setEnabled(c.okEnabled);
  int oks = 0;
  int others = 0;
  QObject::connect(ok, &QPushButton::clicked, [&] { ++oks; });
  QObject::connect(other, &QPushButton::clicked, [&] { ++others; });
  test::Activate(&dialog);
  if (c.focusOnButton) {
    other->setFocus();
  } else {
    dialog.GetDlgItem(1163)->setFocus();
  }
  test::KeyClick(&dialog, Qt::Key_Return);
  EXPECT_EQ(oks, c.ok);
  EXPECT_EQ(others, c.other);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, HiddenDefault,
    ::testing::Values(EnterCase{"HiddenOkFromAScrollBar", true, true, false, 1, 0},
                      EnterCase{"VisibleOkFromAScrollBar", false, true, false, 1, 0},
                      EnterCase{"HiddenDisabledOk", true, false, false, 0, 0},
                      EnterCase{"FocusedButtonTakesIt", true, true, true, 0, 1}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rondel
