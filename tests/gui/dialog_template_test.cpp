// The dialog templates as compiled into the program: every control of the port, language,
// about, progress, test-mode, password and form layouts with its number, kind, rectangle and
// visibility, and the parser's refusals of broken template text.
#include <gtest/gtest.h>

#include <ostream>

#include <algorithm>

#include "platform/dialogs/dialog_template.h"

namespace rondel {
namespace {

using K = ControlKind;

struct Expected {
  int id;
  ControlKind kind;
  int x, y, w, h;
  bool hidden = false;
};

struct Layout {
  int number;
  int width, height;
  std::vector<Expected> controls;  // in creation order
};
void PrintTo(const Layout& p, std::ostream* os) { *os << "template " << p.number; }

const std::vector<Layout>& Layouts() {
  static const std::vector<Layout> layouts = {
      {100, 235, 55,
       {{65535, K::Icon, 11, 17, 21, 20},
        {1015, K::LText, 46, 13, 152, 8},
        {65535, K::LText, 45, 29, 119, 8}}},
      {130, 137, 113,
       {{1011, K::GroupBox, 7, 11, 123, 73},
        {1001, K::RadioButton, 22, 23, 36, 10},
        {1002, K::RadioButton, 22, 37, 36, 10},
        {1003, K::RadioButton, 22, 52, 36, 10},
        {1004, K::RadioButton, 22, 67, 36, 10},
        {1005, K::RadioButton, 83, 23, 36, 10},
        {1006, K::RadioButton, 83, 37, 36, 10},
        {1007, K::RadioButton, 83, 52, 36, 10},
        {1008, K::RadioButton, 83, 67, 36, 10},
        {1012, K::CheckBox, 21, 90, 38, 10, true},
        {1, K::DefPushButton, 21, 88, 40, 15},
        {2, K::PushButton, 79, 88, 40, 15}}},
      {131, 151, 60,
       {{1013, K::RText, 3, 18, 63, 11},
        {1014, K::ComboBox, 68, 15, 79, 63},
        {1, K::DefPushButton, 27, 39, 41, 15},
        {2, K::PushButton, 84, 39, 41, 15}}},
      {132, 175, 83,
       {{1010, K::LText, 7, 10, 159, 9},
        {1009, K::Progress, 7, 22, 161, 15},
        {1, K::DefPushButton, 40, 62, 37, 14},
        {2, K::PushButton, 98, 62, 37, 14}}},
      // Test mode: per row the value's name, "0", the scroll bar, "255", "Curren:" and the
      // value field; the buttons, with the default OK hidden.
      {137, 245, 281,
       {
        {1110, K::LText, 10, 15, 61, 10}, {65535, K::RText, 83, 16, 8, 8},
        {1163, K::ScrollBar, 98, 15, 95, 11}, {65535, K::RText, 200, 16, 14, 8},
        {1115, K::LText, 94, 35, 42, 8}, {1116, K::Edit, 136, 32, 40, 14},
        {1118, K::LText, 10, 51, 61, 10}, {65535, K::RText, 83, 52, 8, 8},
        {1164, K::ScrollBar, 97, 51, 95, 11}, {65535, K::RText, 200, 52, 14, 8},
        {1120, K::LText, 94, 70, 42, 8}, {1121, K::Edit, 136, 67, 40, 14},
        {1122, K::LText, 9, 89, 61, 10}, {65535, K::RText, 83, 90, 8, 8},
        {1165, K::ScrollBar, 96, 89, 95, 11}, {65535, K::RText, 200, 90, 14, 8},
        {1124, K::LText, 94, 108, 42, 8}, {1125, K::Edit, 136, 105, 40, 14},
        {1111, K::LText, 8, 121, 61, 10}, {65535, K::RText, 83, 122, 8, 8},
        {1166, K::ScrollBar, 95, 121, 95, 11}, {65535, K::RText, 200, 122, 14, 8},
        {1114, K::LText, 94, 142, 42, 8}, {1117, K::Edit, 136, 139, 40, 14},
        {1126, K::LText, 8, 161, 61, 10}, {65535, K::RText, 83, 162, 8, 8},
        {1167, K::ScrollBar, 95, 161, 95, 11}, {65535, K::RText, 200, 162, 14, 8},
        {1128, K::LText, 94, 181, 42, 8}, {1129, K::Edit, 136, 178, 40, 14},
        {1130, K::LText, 8, 201, 61, 10}, {65535, K::RText, 83, 202, 8, 8},
        {1168, K::ScrollBar, 95, 201, 95, 11}, {65535, K::RText, 200, 202, 14, 8},
        {1132, K::LText, 94, 221, 42, 8}, {1133, K::Edit, 136, 218, 40, 14},
        {1169, K::PushButton, 10, 260, 67, 14},
        {1170, K::PushButton, 94, 260, 75, 14},
        {2, K::PushButton, 184, 259, 50, 14},
        {1, K::DefPushButton, 140, 238, 50, 14, true}}},
      {139, 187, 61,
       {{1172, K::LText, 7, 16, 99, 8},
        {1171, K::Edit, 111, 13, 59, 14},
        {1, K::DefPushButton, 29, 42, 50, 14},
        {2, K::PushButton, 113, 40, 50, 14}}},
      {101, 568, 387,
       {{1020, K::GroupBox, 9, 6, 179, 38},
        {1021, K::LText, 19, 22, 52, 8},
        {1022, K::ComboBox, 74, 20, 106, 101},
        {1041, K::LText, 19, 51, 52, 8},
        {1042, K::Edit, 74, 48, 106, 14},
        {1039, K::LText, 19, 71, 52, 8, true},
        {1040, K::Edit, 74, 68, 106, 14, true},
        {1051, K::LText, 19, 92, 52, 8, true},
        {1052, K::Edit, 74, 89, 106, 14, true},
        {1045, K::LText, 19, 112, 52, 8, true},
        {1046, K::ComboBox, 74, 110, 106, 123, true},
        {1031, K::LText, 202, 14, 75, 8},
        {1032, K::ComboBox, 278, 12, 65, 123},
        {1035, K::LText, 202, 38, 75, 8},
        {1036, K::ComboBox, 278, 36, 65, 123},
        {1025, K::LText, 202, 62, 75, 8},
        {1026, K::ComboBox, 278, 60, 65, 40},
        {1033, K::LText, 202, 87, 75, 8},
        {1034, K::ComboBox, 278, 87, 65, 52},
        {1043, K::LText, 202, 113, 75, 8, true},
        {1044, K::ComboBox, 278, 110, 65, 50, true},
        {1024, K::CheckBox, 440, 13, 65, 10},
        {1023, K::CheckBox, 440, 28, 49, 10},
        {1037, K::LText, 357, 44, 78, 8},
        {1038, K::ComboBox, 440, 43, 72, 123},
        {1049, K::LText, 357, 67, 78, 8},
        {1050, K::ComboBox, 440, 64, 72, 123},
        {1047, K::LText, 357, 90, 78, 8},
        {1048, K::ComboBox, 440, 86, 72, 90},
        {1029, K::LText, 357, 113, 78, 8, true},
        {1030, K::ComboBox, 440, 109, 72, 90, true},
        {1016, K::Custom, 7, 131, 549, 246},
        // The grid's editors: somewhere over the grid, hidden until a cell is edited.
        {1017, K::Edit, -1, -1, -1, -1, true},
        {1018, K::ComboBox, -1, -1, -1, -1, true},
        {1019, K::ComboBox, -1, -1, -1, -1, true}}},
  };
  return layouts;
}

class TemplateLayout : public ::testing::TestWithParam<Layout> {};

TEST_P(TemplateLayout, HasEveryControlWithItsKindRectangleAndVisibilityInOrder) {
  const Layout& want = GetParam();
  const DialogTemplate* tpl = FindDialogTemplate(want.number);
  ASSERT_NE(tpl, nullptr) << "template " << want.number << " missing or not parsed";
  EXPECT_EQ(tpl->width, want.width);
  EXPECT_EQ(tpl->height, want.height);
  ASSERT_EQ(tpl->controls.size(), want.controls.size());
  for (std::size_t i = 0; i < want.controls.size(); ++i) {
    const Expected& e = want.controls[i];
    const ControlTemplate& c = tpl->controls[i];
    SCOPED_TRACE("control #" + std::to_string(i) + " id " + std::to_string(e.id));
    EXPECT_EQ(c.id, e.id);
    EXPECT_EQ(c.kind, e.kind) << ControlKindName(c.kind);
    if (e.x >= 0) {
      EXPECT_EQ(c.x, e.x);
      EXPECT_EQ(c.y, e.y);
      EXPECT_EQ(c.width, e.w);
      EXPECT_EQ(c.height, e.h);
    } else {
      const ControlTemplate* grid = tpl->Control(1016);
      ASSERT_NE(grid, nullptr);
      EXPECT_GE(c.x, grid->x);
      EXPECT_GE(c.y, grid->y);
      EXPECT_LE(c.x + c.width, grid->x + grid->width);
      EXPECT_LE(c.y + c.height, grid->y + grid->height);
    }
    EXPECT_EQ(c.HasStyle("hidden"), e.hidden);
    // Hidden controls of the form are disabled as well; the port dialog's check box is not.
    if (want.number == 101) {
      EXPECT_EQ(c.HasStyle("disabled"), e.hidden);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Templates, TemplateLayout, ::testing::ValuesIn(Layouts()),
                         [](const auto& info) { return "T" + std::to_string(info.param.number); });

TEST(Templates, EveryCompiledTemplateParsesAndIsCoveredAbove) {
  ASSERT_EQ(EmbeddedTemplates().size(), DialogTemplateNumbers().size())
      << "a compiled-in template does not parse";
  std::vector<int> covered;
  for (const Layout& l : Layouts()) covered.push_back(l.number);
  std::sort(covered.begin(), covered.end());
  EXPECT_EQ(DialogTemplateNumbers(), covered);
}

TEST(Templates, BuiltInTextsAreTheChineseOnesAndTheListsAreDropDownLists) {
  const DialogTemplate* port = FindDialogTemplate(130);
  ASSERT_NE(port, nullptr);
  EXPECT_EQ(port->caption, "通信端口");
  EXPECT_EQ(port->Control(1)->text, "确定");
  EXPECT_EQ(port->Control(2)->text, "取消");
  EXPECT_EQ(port->Control(1003)->text, "COM3");
  EXPECT_TRUE(port->Control(1001)->HasStyle("group"));
  const DialogTemplate* lang = FindDialogTemplate(131);
  ASSERT_NE(lang, nullptr);
  EXPECT_TRUE(lang->Control(1014)->HasStyle("sorted"));
  EXPECT_TRUE(lang->Control(1014)->HasStyle("dropdownlist"));
  const DialogTemplate* form = FindDialogTemplate(101);
  ASSERT_NE(form, nullptr);
  EXPECT_TRUE(form->HasStyle("child"));
  EXPECT_EQ(form->Control(1020)->text, "机型信息");
  EXPECT_TRUE(form->Control(1042)->HasStyle("password"));
  EXPECT_EQ(form->Control(1016)->StyleValue("class"), "CGridCtrl");
  for (const ControlTemplate& c : form->controls) {
    if (c.kind == ControlKind::ComboBox) {
      EXPECT_TRUE(c.HasStyle("dropdownlist")) << c.id;
    }
  }
  EXPECT_EQ(FindDialogTemplate(132)->caption, "");
}

TEST(Templates, TheTestModeDialogsCarryTheirBuiltInTextsAndStyles) {
  const DialogTemplate* test = FindDialogTemplate(137);
  ASSERT_NE(test, nullptr);
  EXPECT_EQ(test->caption, "测试模式");
  for (int id : {1115, 1120, 1124, 1114, 1128, 1132}) EXPECT_EQ(test->Control(id)->text, "Curren:") << id;
  for (int id : {1116, 1121, 1125, 1117, 1129, 1133}) {
    EXPECT_TRUE(test->Control(id)->HasStyle("disabled")) << id;
    EXPECT_TRUE(test->Control(id)->HasStyle("readonly")) << id;
  }
  int zeros = 0;
  int tops = 0;
  for (const ControlTemplate& c : test->controls) {
    if (c.id != kUnnamedControl) continue;
    zeros += c.text == "0";
    tops += c.text == "255";
    EXPECT_EQ(c.kind, ControlKind::RText) << c.text;
  }
  EXPECT_EQ(zeros, 6);
  EXPECT_EQ(tops, 6);
  EXPECT_EQ(test->Control(1)->text, "确定");
  EXPECT_EQ(test->Control(2)->text, "取消");
  const DialogTemplate* password = FindDialogTemplate(139);
  ASSERT_NE(password, nullptr);
  EXPECT_EQ(password->caption, "密码");
  EXPECT_TRUE(password->Control(1171)->HasStyle("password"));
  EXPECT_TRUE(password->Control(1171)->HasStyle("autohscroll"));
  EXPECT_FALSE(password->Control(1172)->text.empty());
}

TEST(TemplateParser, ReadsTextsWithEscapesFontAndStyles) {
  DialogTemplate t;
  std::string error;
  ASSERT_TRUE(ParseDialogTemplate(
      "; a comment with an \"unmatched quote\n"
      "  # another one\n"
      "dialog 7 50 20 \"Cap \\\"tion\\\\\" modal caption\n"
      "font 9 \"Some Face\"\n"
      "ltext 65535 1 2 3 4 \"a;b\"\n"
      "ltext 65535 5 6 7 8\n"
      "custom 12 0 0 10 10 \"\" class=CThing border\n",
      t, error))
      << error;
  EXPECT_EQ(t.number, 7);
  EXPECT_EQ(t.caption, "Cap \"tion\\");
  EXPECT_EQ(t.fontPoints, 9);
  EXPECT_EQ(t.fontFace, "Some Face");
  EXPECT_TRUE(t.HasStyle("modal"));
  ASSERT_EQ(t.controls.size(), 3u);
  EXPECT_EQ(t.controls[0].text, "a;b");
  EXPECT_EQ(t.controls[1].text, "");
  EXPECT_EQ(t.controls[1].x, 5);
  EXPECT_EQ(t.controls[2].StyleValue("class"), "CThing");
  EXPECT_TRUE(t.controls[2].HasStyle("border"));
}

struct Broken {
  const char* what;
  const char* text;
  const char* message;  // part of the error
};
void PrintTo(const Broken& p, std::ostream* os) { *os << p.what; }

class TemplateParserRefuses : public ::testing::TestWithParam<Broken> {};

TEST_P(TemplateParserRefuses, BrokenText) {
  DialogTemplate t;
  t.number = 99;
  std::string error;
  EXPECT_FALSE(ParseDialogTemplate(GetParam().text, t, error));
  EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
  EXPECT_EQ(t.number, 99) << "a refused text must leave the template alone";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TemplateParserRefuses,
    ::testing::Values(
        Broken{"NoDialogLine", "ltext 1 0 0 1 1\n", "before the \"dialog\" line"},
        Broken{"Empty", "; only a comment\n", "no \"dialog\" line"},
        Broken{"UnknownKind", "dialog 1 10 10\nlabel 5 0 0 1 1\n", "line 2: unknown control kind"},
        Broken{"UnknownStyle", "dialog 1 10 10\nltext 5 0 0 1 1 \"\" hiden\n", "unknown control style"},
        Broken{"UnknownDialogStyle", "dialog 1 10 10 \"\" modall\n", "unknown dialog style"},
        Broken{"Unterminated", "dialog 1 10 10\nltext 5 0 0 1 1 \"open\n", "closing quote"},
        Broken{"MissingNumber", "dialog 1 10 10\nltext 5 0 0 1\n", "expected: ltext"},
        Broken{"NotANumber", "dialog 1 10 10\nltext 5 0 0 1 1x\n", "expected: ltext"},
        Broken{"NegativePosition", "dialog 1 10 10\nltext 5 -1 0 1 1\n", "expected: ltext"},
        Broken{"IdZero", "dialog 1 10 10\nltext 0 0 0 1 1\n", "expected: ltext"},
        Broken{"IdTooLarge", "dialog 1 10 10\nltext 65536 0 0 1 1\n", "expected: ltext"},
        Broken{"NamedTwice", "dialog 1 10 10\nltext 5 0 0 1 1\nedit 5 0 0 1 1\n", "control 5 twice"},
        Broken{"SecondDialog", "dialog 1 10 10\ndialog 2 10 10\n", "second \"dialog\""},
        Broken{"CustomWithoutClass", "dialog 1 10 10\ncustom 5 0 0 1 1\n", "class=<name>"},
        Broken{"BadFont", "dialog 1 10 10\nfont 9 Face\n", "expected: font"}),
    [](const auto& info) { return std::string(info.param.what); });

TEST(TemplateParser, UnnamedControlsMayRepeat) {
  DialogTemplate t;
  std::string error;
  EXPECT_TRUE(ParseDialogTemplate("dialog 1 10 10\nltext 65535 0 0 1 1\nltext 65535 0 0 1 1\n", t, error))
      << error;
  EXPECT_EQ(t.controls.size(), 2u);
}

}  // namespace
}  // namespace rondel
