// The builder that turns templates into widgets: dialog units to pixels, one widget of the
// right kind per control in template order with its number, hidden and disabled controls,
// sorted lists, and the translation walk over the built children.
#include <gtest/gtest.h>

#include <ostream>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

#include <map>

#include "platform/dialogs/dialog_builder.h"
#include "platform/dialogs/dialog_template.h"
#include "platform/dialogs/dialog_translate.h"
#include "platform/dialogs/scroll_bar.h"

namespace rondel {
namespace {

struct Mapping {
  DialogBaseUnits units;
  QRect du;
  QRect px;
};
void PrintTo(const Mapping& p, std::ostream* os) { *os << "units " << p.units.x << "x" << p.units.y; }

class DialogUnits : public ::testing::TestWithParam<Mapping> {};

TEST_P(DialogUnits, MapEachEdgeRounded) {
  EXPECT_EQ(MapDialogRect(GetParam().du, GetParam().units), GetParam().px);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DialogUnits,
    ::testing::Values(
        // x: (du * baseX + 2) / 4 for each edge, y: (du * baseY + 4) / 8.
        Mapping{{6, 13}, QRect(22, 23, 36, 10), QRect(33, 37, 87 - 33, 54 - 37)},
        Mapping{{6, 13}, QRect(0, 0, 568, 387), QRect(0, 0, 852, 629)},
        Mapping{{7, 13}, QRect(0, 0, 568, 387), QRect(0, 0, 994, 629)},
        Mapping{{8, 16}, QRect(7, 11, 123, 73), QRect(14, 22, 260 - 14, 168 - 22)},
        Mapping{{7, 14}, QRect(1, 1, 1, 1), QRect(2, 2, 4 - 2, 4 - 2)},
        Mapping{{6, 12}, QRect(0, 0, 0, 0), QRect(0, 0, 0, 0)}));

TEST(BaseUnits, AreTheRoundedAverageLetterWidthAndTheFontHeight) {
  for (int points : {8, 9, 12}) {
    QFont font = QApplication::font();
    font.setPointSize(points);
    const QFontMetrics fm(font);
    const double average =
        fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0;
    const DialogBaseUnits units = BaseUnitsOf(font);
    EXPECT_NEAR(units.x, average, 0.5 + 1e-9) << points;
    EXPECT_EQ(units.y, fm.height()) << points;
    EXPECT_GT(units.x, 0);
  }
}

// Builds a template into a fresh window.
struct Built {
  explicit Built(int number) {
    tpl = FindDialogTemplate(number);
    if (tpl) units = BuildDialog(&window, *tpl);
  }
  QWidget window;
  const DialogTemplate* tpl = nullptr;
  DialogBaseUnits units;
};

TEST(Builder, MakesOneWidgetPerControlInTemplateOrderWithNumberAndPlace) {
  for (int number : DialogTemplateNumbers()) {
    SCOPED_TRACE(number);
    Built b(number);
    ASSERT_NE(b.tpl, nullptr);
    EXPECT_EQ(b.units.x, BaseUnitsOf(DialogFont(*b.tpl)).x);
    EXPECT_EQ(b.window.size(), MapDialogRect(QRect(0, 0, b.tpl->width, b.tpl->height), b.units).size());
    EXPECT_EQ(b.window.property(kDialogNumberProperty).toInt(), number);
    std::vector<QWidget*> controls;
    for (QObject* child : b.window.children())
      if (ControlId(child) >= 0) controls.push_back(static_cast<QWidget*>(child));
    ASSERT_EQ(controls.size(), b.tpl->controls.size());
    for (std::size_t i = 0; i < controls.size(); ++i) {
      const ControlTemplate& c = b.tpl->controls[i];
      QWidget* w = controls[i];
      EXPECT_EQ(ControlId(w), c.id);
      EXPECT_EQ(w->objectName(), QStringLiteral("ctl%1").arg(c.id));
      const QRect want = MapDialogRect(QRect(c.x, c.y, c.width, c.height), b.units);
      EXPECT_EQ(w->pos(), want.topLeft()) << c.id;
      EXPECT_EQ(w->width(), want.width()) << c.id;
      // A drop-down list's template height is that of its opened list.
      if (c.kind == ControlKind::ComboBox) {
        EXPECT_LE(w->height(), want.height()) << c.id;
      } else {
        EXPECT_EQ(w->height(), want.height()) << c.id;
      }
      if (c.id != kUnnamedControl) {
        EXPECT_EQ(FindControl(&b.window, c.id), w);
      }
    }
  }
}

TEST(Builder, GivesEachKindItsWidget) {
  Built port(130);
  EXPECT_NE(qobject_cast<QGroupBox*>(FindControl(&port.window, 1011)), nullptr);
  EXPECT_NE(qobject_cast<QRadioButton*>(FindControl(&port.window, 1005)), nullptr);
  EXPECT_NE(qobject_cast<QCheckBox*>(FindControl(&port.window, 1012)), nullptr);
  auto* ok = qobject_cast<QPushButton*>(FindControl(&port.window, 1));
  auto* cancel = qobject_cast<QPushButton*>(FindControl(&port.window, 2));
  ASSERT_TRUE(ok && cancel);
  EXPECT_TRUE(ok->isDefault());
  EXPECT_FALSE(cancel->isDefault());
  Built lang(131);
  auto* list = qobject_cast<QComboBox*>(FindControl(&lang.window, 1014));
  ASSERT_NE(list, nullptr);
  EXPECT_FALSE(list->isEditable());
  auto* label = qobject_cast<QLabel*>(FindControl(&lang.window, 1013));
  ASSERT_NE(label, nullptr);
  EXPECT_TRUE(label->alignment() & Qt::AlignRight);
  Built progress(132);
  EXPECT_NE(qobject_cast<QProgressBar*>(FindControl(&progress.window, 1009)), nullptr);
  Built form(101);
  auto* password = qobject_cast<QLineEdit*>(FindControl(&form.window, 1042));
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(password->echoMode(), QLineEdit::Password);
  auto* grid = qobject_cast<QFrame*>(FindControl(&form.window, 1016));
  ASSERT_NE(grid, nullptr);
  EXPECT_EQ(grid->property(kControlClassProperty).toString(), QStringLiteral("CGridCtrl"));
  Built test(137);
  auto* bar = qobject_cast<CScrollBar*>(FindControl(&test.window, 1165));
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(bar->orientation(), Qt::Horizontal);
  auto* value = qobject_cast<QLineEdit*>(FindControl(&test.window, 1125));
  ASSERT_NE(value, nullptr);
  EXPECT_TRUE(value->isReadOnly());
  EXPECT_FALSE(value->isEnabled());
  EXPECT_FALSE(password->isReadOnly());
  auto* hiddenOk = qobject_cast<QPushButton*>(FindControl(&test.window, 1));
  ASSERT_NE(hiddenOk, nullptr);
  EXPECT_TRUE(hiddenOk->isDefault());
  Built gate(139);
  auto* entry = qobject_cast<QLineEdit*>(FindControl(&gate.window, 1171));
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->echoMode(), QLineEdit::Password);
}

TEST(Builder, HiddenControlsStayHiddenAndDisabledOnesDisabledWhenTheWindowShows) {
  Built form(101);
  form.window.show();
  for (const ControlTemplate& c : form.tpl->controls) {
    QWidget* w = FindControl(&form.window, c.id);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->isVisible(), !c.HasStyle("hidden")) << c.id;
    EXPECT_EQ(w->isEnabled(), !c.HasStyle("disabled")) << c.id;
  }
  Built port(130);
  port.window.show();
  EXPECT_FALSE(FindControl(&port.window, 1012)->isVisible());
  EXPECT_TRUE(FindControl(&port.window, 1012)->isEnabled());
  EXPECT_TRUE(FindControl(&port.window, 1)->isVisible());
}

TEST(Builder, PortButtonsExcludeEachOtherWhenClicked) {
  Built port(130);
  port.window.show();
  auto* com1 = qobject_cast<QRadioButton*>(FindControl(&port.window, 1001));
  auto* com6 = qobject_cast<QRadioButton*>(FindControl(&port.window, 1006));
  QTest::mouseClick(com1, Qt::LeftButton);
  EXPECT_TRUE(com1->isChecked());
  QTest::mouseClick(com6, Qt::LeftButton);
  EXPECT_TRUE(com6->isChecked());
  EXPECT_FALSE(com1->isChecked());
}

TEST(ControlText, EachKindTakesOrIgnoresAText) {
  Built form(101);
  Built about(100);
  Built progress(132);
  Built test(137);
  struct Case {
    QWidget* control;
    bool takes;
  };
  const std::vector<Case> cases = {
      {FindControl(&form.window, 1021), true},       // label
      {FindControl(&form.window, 1020), true},       // group box
      {FindControl(&form.window, 1023), true},       // check box
      {FindControl(&form.window, 1042), true},       // edit field
      {FindControl(&form.window, 1022), false},      // drop-down list without an edit field
      {FindControl(&form.window, 1016), false},      // custom control
      {FindControl(&about.window, 65535), false},    // the icon holder (first unnamed control)
      {FindControl(&progress.window, 1009), false},  // progress bar
      {FindControl(&progress.window, 1), true},      // button
      {FindControl(&test.window, 1166), false},      // scroll bar
  };
  for (const Case& c : cases) {
    ASSERT_NE(c.control, nullptr);
    const QString before = ControlText(c.control);
    SetControlText(c.control, QStringLiteral("Neu & Text"));
    EXPECT_EQ(ControlText(c.control), c.takes ? QStringLiteral("Neu & Text") : before)
        << c.control->objectName().toStdString();
  }
}

TEST(SortedList, KeepsEntriesInOrderIgnoringCaseEqualOnesAfterEarlierOnes) {
  Built lang(131);
  auto* list = qobject_cast<QComboBox*>(FindControl(&lang.window, 1014));
  ASSERT_NE(list, nullptr);
  std::vector<int> indexes;
  for (const char* t : {"b", "Zulu", "A", "c", "a", "B"})
    indexes.push_back(AddListEntry(list, QString::fromLatin1(t)));
  QStringList entries;
  for (int i = 0; i < list->count(); ++i) entries << list->itemText(i);
  EXPECT_EQ(entries, (QStringList{"A", "a", "b", "B", "c", "Zulu"}));
  EXPECT_EQ(indexes, (std::vector<int>{0, 1, 0, 2, 1, 3}));
  // A list that was not built sorted keeps the order entries are added in.
  Built form(101);
  auto* unsorted = qobject_cast<QComboBox*>(FindControl(&form.window, 1032));
  AddListEntry(unsorted, QStringLiteral("b"));
  AddListEntry(unsorted, QStringLiteral("a"));
  EXPECT_EQ(unsorted->itemText(0), QStringLiteral("b"));
}

TEST(TranslateWindow, AppliesFoundTextsInTemplateOrderAndNeverClearsOne) {
  Built about(100);
  std::vector<int> asked;
  const std::map<int, std::string> texts = {{100, "About it"}, {65535, "unnamed"}, {1015, ""}};
  TranslateWindow(&about.window, 100, [&](int n) {
    asked.push_back(n);
    const auto it = texts.find(n);
    return it == texts.end() ? std::string() : it->second;
  });
  EXPECT_EQ(about.window.windowTitle(), QStringLiteral("About it"));
  EXPECT_EQ(asked, (std::vector<int>{100, 65535, 1015, 65535}));
  // The empty entry keeps the built-in text; 65535 reaches the unnamed text line.
  EXPECT_EQ(ControlText(FindControl(&about.window, 1015)), QStringLiteral("Rondel 1.0 版"));
  QStringList lines;
  for (QObject* child : about.window.children())
    if (auto* label = qobject_cast<QLabel*>(child)) lines << label->text();
  EXPECT_TRUE(lines.contains(QStringLiteral("unnamed")));

  Built port(130);
  TranslateWindow(&port.window, 130, [](int) { return std::string(); });
  EXPECT_EQ(port.window.windowTitle(), QStringLiteral("通信端口"));
  EXPECT_EQ(ControlText(FindControl(&port.window, 1)), QStringLiteral("确定"));
}

}  // namespace
}  // namespace rondel
