// SPDX-License-Identifier: GPL-3.0-or-later
// The main window's form at any size and in either language: the grid takes the room below
// the settings, every heading and cell text shows whole, the editors are wide enough for
// their items, and screen readers find the grid, the open editor, the menu entries and the
// status panes by their names.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTest>
#include <QToolBar>

#include <cmath>

#include "grid/grid_ctrl.h"
#include "gui_support.h"
#include "resources/control_ids.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"
#include "shell/document/rondel_document.h"
#include "shell/form/form_edits.h"
#include "shell/form/form_texts.h"
#include "platform/dialogs/palette_colours.h"
#include "view/rondel_view.h"
#include "view/controls/settings_list_controls.h"

namespace rondel {
namespace {

class FormLayout : public test::ProgramTest {
 protected:
  void StartIn(const char* language) {
    m_folder.SetIni("setup", "language", language);
    ASSERT_TRUE(Start());
    // Every channel in use, so the cells hold texts of every kind.
    for (int n = 1; n <= 16; ++n) {
      App().Document().ApplyEdit(FrequencyEdit{n, 1, "446.00625"});
      App().Document().ApplyEdit(ToneEdit{n, 2, std::string("D754I")});
      App().Document().ApplyEdit(OptionEdit{n, 6, n % 2});
    }
    Frame().show();
    QApplication::setActiveWindow(&Frame());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
    Settle();
  }
  CRondelView& View() { return *static_cast<CRondelView*>(Frame().View()); }
  CGridCtrl& Grid() { return *View().Grid(); }
  // The layout requests a resize posts are handled in turn, each maybe posting the next.
  void Settle() {
    for (int i = 0; i < 4; ++i) {
      QCoreApplication::sendPostedEvents();
      QApplication::processEvents();
    }
  }
  QString Name(QObject* object) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    return iface != nullptr ? iface->text(QAccessible::Name) : QStringLiteral("<none>");
  }
};

struct LanguageCase {
  const char* language;
  const char* table;
  const char* rxCell;      // channel 3, column 1
  const char* choiceCell;  // channel 5, column 6
  const char* newEntry;    // File -> New
  const char* portPane;
};
constexpr LanguageCase kLanguages[] = {
    {"english", "Channels", "Channel 3, RX frequency (MHz)", "Channel 5, Bandwidth", "New", "Port"},
    {"chinese", "信道表", "信道 3，接收频率 (MHz)", "信道 5，带宽", "新建(N)", "端口"},
};

TEST_F(FormLayout, TheFirstSizeShowsTheWholeFormAndTheGridFillsTheFrameAfterAResize) {
  for (const LanguageCase& c : kLanguages) {
    SCOPED_TRACE(c.language);
    StartIn(c.language);
    Settle();
    // The first size shows the whole form, as far as the screen allows (the offscreen test
    // screen is smaller than a desktop's; on a real one, scripts/xvfb-check.sh, it holds it).
    const QSize chrome = Frame().size() - View().viewport()->size();
    const QSize whole = View().FormSizeHint() + chrome;
    const QRect desk = Frame().screen()->availableGeometry();
    const auto showsAll = [this] {
      EXPECT_FALSE(View().horizontalScrollBar()->isVisible());
      EXPECT_FALSE(View().verticalScrollBar()->isVisible());
      EXPECT_FALSE(Grid().verticalScrollBar()->isVisible());
      EXPECT_FALSE(Grid().horizontalScrollBar()->isVisible());
      EXPECT_EQ(Grid().GetTotalWidth(), Grid().viewport()->width());
      EXPECT_GE(Grid().viewport()->height(), Grid().GetTotalHeight());
    };
    if (desk.size().expandedTo(whole) == desk.size()) {
      SCOPED_TRACE("first size");
      showsAll();
    } else {
      EXPECT_EQ(Frame().width(), std::min(whole.width(), desk.width()));
    }
    Frame().resize(whole);
    Settle();
    showsAll();

    const QWidget& form = *View().Form();
    const int rightMargin = form.width() - Grid().geometry().right();
    const int bottomMargin = form.height() - Grid().geometry().bottom();
    for (const QSize size : {QSize(1400, 900), QSize(1900, 1000), QSize(1100, 720)}) {
      SCOPED_TRACE(std::to_string(size.width()) + "x" + std::to_string(size.height()));
      Frame().resize(size);
      Settle();
      // The form is the view's whole inside, the grid the form's below the settings.
      EXPECT_EQ(form.size(), View().viewport()->size());
      EXPECT_EQ(form.width() - Grid().geometry().right(), rightMargin);
      EXPECT_EQ(form.height() - Grid().geometry().bottom(), bottomMargin);
      // The columns share the grid's width to the pixel: no empty band right of them.
      EXPECT_EQ(Grid().GetTotalWidth(), Grid().viewport()->width());
      EXPECT_FALSE(Grid().horizontalScrollBar()->isVisible());
      EXPECT_FALSE(View().horizontalScrollBar()->isVisible());
    }
    // Below the form's least size the view scrolls; the form keeps that size.
    Frame().resize(300, 200);
    Settle();
    EXPECT_TRUE(View().horizontalScrollBar()->isVisible());
    EXPECT_TRUE(View().verticalScrollBar()->isVisible());
    EXPECT_EQ(form.size(), View().FormMinimumSize());
    TearDown();
  }
}

// On a desktop the frame's bars may come out taller once shown than they measured before (a
// menu bar in the language's face); the form still gets its whole size.
TEST_F(FormLayout, BarsTallerOnScreenThanMeasuredStillLeaveTheWholeForm) {
  m_folder.SetIni("setup", "language", "chinese");
  ASSERT_TRUE(Start());
  QWidget* bar = Frame().menuWidget();
  ASSERT_NE(bar, nullptr);
  bar->setMinimumHeight(bar->sizeHint().height() + 9);
  Frame().show();
  QApplication::setActiveWindow(&Frame());
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
  Settle();
  // The offscreen screen is narrower than the form: its height is what is looked at.
  const int whole = View().FormSizeHint().height() + Frame().height() - View().viewport()->height();
  ASSERT_LE(whole, Frame().screen()->availableGeometry().height()) << "the test screen is too low";
  EXPECT_EQ(View().Form()->height(), View().FormSizeHint().height());
  EXPECT_GE(Grid().viewport()->height(), Grid().GetTotalHeight());
}

// The text room of a cell as it is drawn: inside the grid line, the border and the margin.
QRect TextRoom(const CGridCtrl& grid, int row, int col) {
  const int inset = grid.IsCellFixed(row, col) ? 2 : 1;
  const int margin = grid.GetCellMargin();
  return grid.GetCellRect(row, col).adjusted(margin + inset, inset, -1 - margin - inset, -1 - inset);
}

int FlagsOf(unsigned format) {
  const bool single = (format & GV_FMT_SINGLELINE) != 0;
  return Qt::AlignHCenter | (single ? Qt::TextSingleLine : Qt::TextWordWrap);
}

TEST_F(FormLayout, EveryHeadingAndCellTextShowsWholeInBothLanguages) {
  for (const LanguageCase& c : kLanguages) {
    SCOPED_TRACE(c.language);
    StartIn(c.language);
    Settle();
    const QFontMetrics fm(Grid().GetGridFont());
    int checked = 0;
    for (int row = 0; row < Grid().GetRowCount(); ++row) {
      for (int col = 0; col < Grid().GetColumnCount(); ++col) {
        const QString text = Grid().GetCellText(row, col);
        if (text.isEmpty()) continue;
        const QRect room = TextRoom(Grid(), row, col);
        const QRect extent = fm.boundingRect(QRect(room.left(), room.top(), room.width(), 100000),
                                             FlagsOf(Grid().GetCellFormat(row, col)), text);
        EXPECT_LE(extent.width(), room.width()) << row << "," << col << " " << text.toStdString();
        EXPECT_LE(extent.height(), room.height()) << row << "," << col << " " << text.toStdString();
        ++checked;
      }
    }
    EXPECT_GT(checked, 12 * 16);
    // The lists over a cell: each item's text fits the list's text field.
    const std::pair<int, int> cells[] = {{1, 6}, {2, 6}, {1, 2}, {1, 7}};
    for (const auto& [row, col] : cells) {
      Grid().RequestEdit(row, col);
      Settle();
      auto* list = qobject_cast<QComboBox*>(QApplication::focusWidget());
      ASSERT_NE(list, nullptr) << row << "," << col;
      QStyleOptionComboBox option;
      option.initFrom(list);
      const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list);
      const QFontMetrics listFm(list->font());
      for (int i = 0; i < list->count(); ++i) {
        EXPECT_LE(listFm.horizontalAdvance(list->itemText(i)), field.width()) << list->itemText(i).toStdString();
      }
      Grid().setFocus();
      Settle();
    }
    TearDown();
  }
}

TEST_F(FormLayout, ScreenReadersFindTheGridTheOpenEditorTheMenuEntriesAndThePanesByName) {
  for (const LanguageCase& c : kLanguages) {
    SCOPED_TRACE(c.language);
    StartIn(c.language);
    EXPECT_EQ(Name(&Grid()), QString::fromUtf8(c.table));
    const std::pair<std::pair<int, int>, const char*> editors[] = {{{3, 1}, c.rxCell}, {{5, 6}, c.choiceCell}};
    for (const auto& [cell, name] : editors) {
      Grid().RequestEdit(cell.first, cell.second);
      Settle();
      QWidget* editor = QApplication::focusWidget();
      ASSERT_NE(editor, &Grid());
      EXPECT_EQ(Name(editor), QString::fromUtf8(name));
      Grid().setFocus();
      Settle();
    }
    // The menu entry by its name alone; its keys are its shortcut.
    QAction* entry = Frame().CommandAction(cmd::kFileNew);
    ASSERT_NE(entry, nullptr);
    QAccessibleInterface* menu = QAccessible::queryAccessibleInterface(Frame().FileMenu());
    ASSERT_NE(menu, nullptr);
    QAccessibleInterface* item = menu->child(static_cast<int>(Frame().FileMenu()->actions().indexOf(entry)));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(QAccessible::Name), QString::fromUtf8(c.newEntry));
    EXPECT_EQ(entry->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_N));
    EXPECT_EQ(Name(Frame().ToolBar()->widgetForAction(entry)), QString::fromUtf8(c.newEntry));
    EXPECT_EQ(Name(Frame().PortPane()), QString::fromUtf8(c.portPane));
    TearDown();
  }
}

TEST_F(FormLayout, AMenuEntrysKeysRunItsCommandOnceWhereverTheFocusIs) {
  StartIn("english");
  int runs = 0;
  Frame().SetTestModeHandler([&runs] { ++runs; });
  QAction* entry = Frame().CommandAction(cmd::kTestMode);
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
  QWidget* const targets[] = {View().Control(IDC_SQUELCH), &Grid()};
  for (QWidget* target : targets) {
    ASSERT_NE(target, nullptr);
    target->setFocus();
    Settle();
    const int before = runs;
    QTest::keyClick(target, Qt::Key_T, Qt::ControlModifier);
    Settle();
    EXPECT_EQ(runs, before + 1) << target->objectName().toStdString();
  }
}


// Where a text of one line drawn vertically centred in `box` has its baseline.
int CentredBaseline(const QRect& box, const QFontMetrics& fm) {
  return box.top() + (box.height() - fm.height()) / 2 + fm.ascent();
}

TEST_F(FormLayout, EachSettingsLabelSitsOnTheLineOfItsList) {
  for (const LanguageCase& c : kLanguages) {
    SCOPED_TRACE(c.language);
    StartIn(c.language);
    int checked = 0;
    for (const SettingsList which : kSettingsLists) {
      const SettingsListControls info = ControlsOfList(which);
      auto* label = qobject_cast<QLabel*>(View().Control(info.labelId));
      auto* list = qobject_cast<QComboBox*>(View().Control(info.controlId));
      ASSERT_NE(label, nullptr);
      ASSERT_NE(list, nullptr);
      if (!list->isVisible()) continue;
      QStyleOptionComboBox option;
      option.initFrom(list);
      const QRect field = list->style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, list);
      const int listLine = list->y() + CentredBaseline(field, QFontMetrics(list->font()));
      ASSERT_TRUE(label->alignment() & Qt::AlignVCenter) << info.labelId;
      const int labelLine = label->y() + CentredBaseline(label->contentsRect(), QFontMetrics(label->font()));
      EXPECT_LE(std::abs(labelLine - listLine), 1) << info.labelId;
      ++checked;
    }
    EXPECT_GE(checked, 8);
    TearDown();
  }
}

QPalette DarkPalette() {
  QPalette p(QColor(0x3a, 0x3a, 0x3e), QColor(0x2d, 0x2d, 0x30));
  p.setColor(QPalette::Base, QColor(0x1b, 0x1b, 0x1d));
  p.setColor(QPalette::Text, QColor(0xf0, 0xf0, 0xf0));
  p.setColor(QPalette::WindowText, QColor(0xe8, 0xe8, 0xe8));
  p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x80, 0x80, 0x84));
  return p;
}

TEST_F(FormLayout, ReadOnlyCellsRecedeAndStayReadableInALightAndADarkPalette) {
  StartIn("english");
  App().Document().ApplyEdit(FrequencyEdit{1, 3, ""});  // channel 1 receive only: its TX tone read-only
  const QPalette light = View().palette();
  QColor fills[2];
  int i = 0;
  for (const QPalette& palette : {light, DarkPalette()}) {
    SCOPED_TRACE(i);
    View().setPalette(palette);
    Settle();
    GV_ITEM readOnly;
    readOnly.row = 1;
    readOnly.col = 4;
    readOnly.mask = GVIF_BKCLR | GVIF_FGCLR | GVIF_STATE;
    ASSERT_TRUE(Grid().GetCell(readOnly));
    ASSERT_TRUE(readOnly.state & GVIS_READONLY);
    GV_ITEM editable = readOnly;
    editable.col = 1;
    ASSERT_TRUE(Grid().GetCell(editable));
    // The editable cell keeps the grid's own colours, which are the palette's base and text.
    EXPECT_FALSE(editable.bkColour.isValid());
    EXPECT_EQ(Grid().GetTextBkColour(), palette.color(QPalette::Base));
    EXPECT_EQ(Grid().GetTextColour(), palette.color(QPalette::Text));
    // The read-only one: set apart from the base, its text dimmer than the palette's text
    // and still readable on it.
    EXPECT_GT(ColourContrast(readOnly.bkColour, palette.color(QPalette::Base)), 1.1);
    EXPECT_GE(ColourContrast(readOnly.textColour, readOnly.bkColour), 3.0);
    // And less set apart from the text than the editable cells are.
    EXPECT_LT(ColourContrast(readOnly.textColour, readOnly.bkColour),
              ColourContrast(palette.color(QPalette::Text), palette.color(QPalette::Base)));
    fills[i++] = readOnly.bkColour;
  }
  EXPECT_NE(fills[0], fills[1]) << "the colours follow the palette";
}

}  // namespace
}  // namespace rondel
