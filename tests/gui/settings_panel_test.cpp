// The settings panel as a user works it: lists chosen with the keyboard, check boxes clicked,
// codes and the read password typed and left, the frequency-range question answered, and the
// labels that name their controls. Every case checks the image byte for byte and the modified
// flag.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <optional>

#include "gui_support.h"
#include "platform/dialogs/dialog_template.h"
#include "resources/control_ids.h"
#include "shell/app_paths.h"
#include "shell/language.h"
#include "shell/form_edits.h"
#include "shell/qt/main_frame.h"
#include "view/rondel_view.h"

namespace rondel {
namespace {

using test::ProgramTest;
using Image = CRondelDoc::Image;

class SettingsPanel : public ProgramTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(Start());
    Frame().show();
    Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
  }
  CRondelView& View() { return *static_cast<CRondelView*>(Frame().View()); }
  CRondelDoc& Doc() { return App().Core().doc(); }
  bool Modified() { return App().Document().IsModified(); }
  QComboBox* List(int id) { return qobject_cast<QComboBox*>(View().Control(id)); }
  QLineEdit* Edit(int id) { return qobject_cast<QLineEdit*>(View().Control(id)); }
  // What the document holds now, shown in the form as after any update.
  void ShowDocument() { App().Document().UpdateAllViews(); }

  // Types into the field as a user does: click, replace everything, type, then Tab away.
  void TypeAndLeave(QLineEdit* field, const QString& keys) {
    QTest::mouseClick(field, Qt::LeftButton);
    ASSERT_TRUE(field->hasFocus());
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, keys);
    QTest::keyClick(field, Qt::Key_Tab);
    ASSERT_FALSE(field->hasFocus());
  }
  // The hidden code fields are handled like the others; shown here so a user can type.
  QLineEdit* Offered(int id) {
    QLineEdit* field = Edit(id);
    field->setEnabled(true);
    field->show();
    return field;
  }

  void ExpectImage(const Image& want) {
    const Image& got = Doc().image();
    for (std::size_t i = 0; i < want.size(); ++i)
      EXPECT_EQ(got[i], want[i]) << "image offset " << i;
  }
};

struct ListCase {
  const char* name;
  int id;
  std::optional<int> key;  // a key pressed on the list; none: the program selects `index`
  int index;               // the entry selected afterwards
  std::size_t offset;
  std::uint8_t after;
};
void PrintTo(const ListCase& c, std::ostream* os) { *os << c.name; }

class SettingsLists : public SettingsPanel, public ::testing::WithParamInterface<ListCase> {};

// A new document: squelch 3, side key 0, time-out 6, VOX 5, delay 0, optionByte 0x86.
TEST_P(SettingsLists, AChosenEntryIsStoredAtOnceAndMarksTheDocument) {
  const ListCase& c = GetParam();
  Image want = Doc().image();
  want[c.offset] = c.after;
  QComboBox* list = List(c.id);
  if (c.key)
    QTest::keyClick(list, static_cast<Qt::Key>(*c.key));
  else
    list->setCurrentIndex(c.index);
  EXPECT_EQ(list->currentIndex(), c.index);
  ExpectImage(want);
  EXPECT_TRUE(Modified());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SettingsLists,
    ::testing::Values(ListCase{"Squelch", IDC_SQUELCH, Qt::Key_Down, 4, 0x3C1, 0x04},
                      ListCase{"TimeOut", IDC_TX_TIMEOUT, Qt::Key_Up, 5, 0x3C3, 0x05},
                      ListCase{"VoicePrompt", IDC_VOICE_PROMPT, Qt::Key_Down, 2, 0x3C0, 0x8A},
                      ListCase{"SideKey1", IDC_SIDE_KEY1, Qt::Key_End, 6, 0x3C2, 0x06},
                      ListCase{"VoxLevel", IDC_VOX_LEVEL, Qt::Key_Home, 0, 0x3C4, 0x00},
                      ListCase{"VoxDelay", IDC_VOX_DELAY, Qt::Key_Down, 1, 0x3C7, 0x01},
                      ListCase{"ScanMode", IDC_SCAN_MODE, Qt::Key_Down, 1, 0x3C0, 0xC6},
                      ListCase{"HiddenSideKey2", IDC_SIDE_KEY2, std::nullopt, 3, 0x3C5, 0x03},
                      ListCase{"HiddenPttId", IDC_PTT_ID, std::nullopt, 2, 0x3C0, 0xA6}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsPanel, AKeyThatLeavesTheSelectionWhereItIsChangesNothing) {
  const Image before = Doc().image();
  QTest::keyClick(List(IDC_SCAN_MODE), Qt::Key_Up);  // already the first entry
  QTest::keyClick(List(IDC_FREQ_RANGE), Qt::Key_Home);  // already the model of the image
  ExpectImage(before);
  EXPECT_FALSE(Modified());
  EXPECT_TRUE(m_prompter.prompts.empty());
}

TEST_F(SettingsPanel, ThePriorityListStoresTheChosenChannelAndFollowsTheChannels) {
  Doc().SetFrequencyText(3, Direction::Receive, "446");
  Doc().SetFrequencyText(10, Direction::Receive, "446");
  ShowDocument();
  QComboBox* list = List(IDC_PRIORITY);
  ASSERT_EQ(list->count(), 3);
  EXPECT_EQ(list->itemText(2), QStringLiteral("10"));
  list->setCurrentIndex(2);
  EXPECT_EQ(Doc().image()[0x3C6], 0x09);
  EXPECT_TRUE(Modified());
  // A frequency edit brings a new channel into the list at once, the choice kept.
  App().Document().ApplyEdit(FrequencyEdit{5, 1, "446"});
  ASSERT_EQ(list->count(), 4);
  EXPECT_EQ(list->itemText(2), QStringLiteral("5"));
  EXPECT_EQ(list->currentText(), QStringLiteral("10"));
  list->setCurrentIndex(0);
  EXPECT_EQ(Doc().image()[0x3C6], 0xFF);
}

TEST_F(SettingsPanel, CheckBoxesClickedStoreTheirBitAndMarkTheDocument) {
  const struct {
    int id;
    std::uint8_t after;
  } clicks[] = {{IDC_FM_RADIO, 0x87}, {IDC_BATTERY_SAVER, 0x85}, {IDC_FM_RADIO, 0x84}};
  for (const auto& c : clicks) {
    App().Document().SetModifiedFlag(false);
    QTest::mouseClick(View().Control(c.id), Qt::LeftButton);
    EXPECT_EQ(Doc().image()[0x3C0], c.after) << c.id;
    EXPECT_TRUE(Modified()) << c.id;
  }
}

struct TypedCase {
  const char* name;
  int id;
  QString keys;
  QString shown;                    // what the field holds after typing
  std::vector<std::uint8_t> bytes;  // leading bytes stored; the rest 0xFF
  bool modified;
};
void PrintTo(const TypedCase& c, std::ostream* os) { *os << c.name; }

class TypedFields : public SettingsPanel, public ::testing::WithParamInterface<TypedCase> {};

TEST_P(TypedFields, StoreTheirBytesWhenTheFocusLeavesAndTheBytesDiffer) {
  const TypedCase& c = GetParam();
  QLineEdit* field = c.id == IDC_PASSWORD ? Edit(c.id) : Offered(c.id);
  // Something stored before, as a read from the radio would leave it.
  if (c.id == IDC_PASSWORD)
    Doc().SetReadPasswordText("4");
  else
    Doc().SetPttCodeText(c.id == IDC_PTT_START ? PttCode::Start : PttCode::End, "4");
  ShowDocument();
  const std::size_t at = c.id == IDC_PASSWORD ? 0x3B0 : c.id == IDC_PTT_START ? 0x3A0 : 0x3E0;
  const std::size_t size = c.id == IDC_PASSWORD ? 6 : 15;
  Image want = Doc().image();
  for (std::size_t i = 0; i < size; ++i) want[at + i] = i < c.bytes.size() ? c.bytes[i] : 0xFF;

  TypeAndLeave(field, c.keys);
  EXPECT_EQ(field->text(), c.shown);
  ExpectImage(want);
  EXPECT_EQ(Modified(), c.modified);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TypedFields,
    ::testing::Values(
        TypedCase{"StartCode", IDC_PTT_START, "12ab", "12ab", {1, 2, 10, 11}, true},
        TypedCase{"EndCodeFiltered", IDC_PTT_END, "1e2Z3d-*", "123d", {1, 2, 3, 13}, true},
        TypedCase{"CodeLimitedTo15", IDC_PTT_START, "12345678901234567890", "123456789012345",
                  {1, 2, 3, 4, 5, 6, 7, 8, 9, 0, 1, 2, 3, 4, 5}, true},
        TypedCase{"CodeRetypedUnchanged", IDC_PTT_END, "4", "4", {4}, false},
        TypedCase{"CodeEmptied", IDC_PTT_START, "", "", {}, true},
        TypedCase{"Password", IDC_PASSWORD, "42ab", "42ab", {4, 2, 36, 37}, true},
        TypedCase{"PasswordFiltered", IDC_PASSWORD, "a#b!C-1.", "abC1", {36, 37, 12, 1}, true},
        TypedCase{"PasswordLimitedTo6", IDC_PASSWORD, "Zz0123456", "Zz0123",
                  {35, 61, 0, 1, 2, 3}, true},
        TypedCase{"PasswordRetypedUnchanged", IDC_PASSWORD, "4", "4", {4}, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsPanel, LeavingAFieldWithoutTypingChangesNothing) {
  Doc().SetPttCodeText(PttCode::Start, "9D");
  ShowDocument();
  const Image before = Doc().image();
  QLineEdit* field = Offered(IDC_PTT_START);
  QTest::mouseClick(field, Qt::LeftButton);
  QTest::keyClick(field, Qt::Key_Tab);
  ExpectImage(before);
  EXPECT_FALSE(Modified());
}

TEST_F(SettingsPanel, ACommandActsOnWhatTheFocusedFieldHolds) {
  // Typed, not yet left: Ctrl+S saves the password with the rest.
  QLineEdit* field = Edit(IDC_PASSWORD);
  QTest::mouseClick(field, Qt::LeftButton);
  QTest::keyClicks(field, QStringLiteral("42AB"));
  ASSERT_TRUE(field->hasFocus());
  const std::string path = m_folder.File("typed.dig");
  m_prompter.ChooseSave(path);
  QTest::keyClick(field, Qt::Key_S, Qt::ControlModifier);
  const std::vector<std::uint8_t> file = test::ReadBytes(path);
  ASSERT_EQ(file.size(), 4144u);
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 48 + 0x3B0, file.begin() + 48 + 0x3B6),
            (std::vector<std::uint8_t>{4, 2, 10, 11, 0xFF, 0xFF}));
  EXPECT_FALSE(Modified());
  // Typed again and the window closed: the save question knows of the change.
  QTest::keyClicks(field, QStringLiteral("c"));
  m_prompter.Answer(PromptAnswer::Cancel);
  EXPECT_FALSE(Frame().close());
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].buttons, PromptButtons::YesNoCancel);
  EXPECT_TRUE(Modified());
}

struct RangeCase {
  const char* name;
  PromptAnswer answer;
  bool changed;
};
void PrintTo(const RangeCase& c, std::ostream* os) { *os << c.name; }

class RangeQuestion : public SettingsPanel, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(RangeQuestion, OnlyOkErasesTheChannelsAnyOtherAnswerPutsTheEntryBack) {
  const RangeCase& c = GetParam();
  Doc().SetFrequencyText(1, Direction::Receive, "446.00625");
  Doc().SetPttCodeText(PttCode::Start, "12");
  ShowDocument();
  const Image before = Doc().image();
  CRondelDoc model1;
  model1.Blank();
  model1.SelectModel(1, App().Settings());

  m_prompter.Answer(c.answer);
  QTest::keyClick(List(IDC_FREQ_RANGE), Qt::Key_Down);
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_CONFIRM_FREQ"));
  EXPECT_EQ(m_prompter.prompts[0].caption, GetLangString("IDS_CONFIRM"));
  EXPECT_EQ(m_prompter.prompts[0].icon, PromptIcon::Warning);
  EXPECT_EQ(m_prompter.prompts[0].buttons, PromptButtons::OkCancel);

  EXPECT_EQ(List(IDC_FREQ_RANGE)->currentIndex(), c.changed ? 1 : 0);
  ExpectImage(c.changed ? model1.image() : before);
  EXPECT_EQ(Modified(), c.changed);
  // The form shows the image: the erased channel is gone from the priority list too.
  EXPECT_EQ(List(IDC_PRIORITY)->count(), c.changed ? 1 : 2);
  EXPECT_EQ(Edit(IDC_PTT_START)->text(), c.changed ? QString() : QStringLiteral("12"));
}

INSTANTIATE_TEST_SUITE_P(Answers, RangeQuestion,
                         ::testing::Values(RangeCase{"Ok", PromptAnswer::Ok, true},
                                           RangeCase{"Cancel", PromptAnswer::Cancel, false},
                                           RangeCase{"No", PromptAnswer::No, false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(SettingsPanel, EveryLabelNamesItsControl) {
  const std::pair<int, int> pairs[] = {
      {IDC_FREQ_RANGE_LABEL, IDC_FREQ_RANGE}, {IDC_PASSWORD_LABEL, IDC_PASSWORD},
      {IDC_PTT_START_LABEL, IDC_PTT_START},   {IDC_PTT_END_LABEL, IDC_PTT_END},
      {IDC_PRIORITY_LABEL, IDC_PRIORITY},     {IDC_SQUELCH_LABEL, IDC_SQUELCH},
      {IDC_TX_TIMEOUT_LABEL, IDC_TX_TIMEOUT}, {IDC_VOICE_PROMPT_LABEL, IDC_VOICE_PROMPT},
      {IDC_SIDE_KEY1_LABEL, IDC_SIDE_KEY1},   {IDC_SIDE_KEY2_LABEL, IDC_SIDE_KEY2},
      {IDC_VOX_LEVEL_LABEL, IDC_VOX_LEVEL},   {IDC_VOX_DELAY_LABEL, IDC_VOX_DELAY},
      {IDC_SCAN_MODE_LABEL, IDC_SCAN_MODE},   {IDC_PTT_ID_LABEL, IDC_PTT_ID},
  };
  for (const auto& [labelId, controlId] : pairs) {
    auto* label = qobject_cast<QLabel*>(View().Control(labelId));
    ASSERT_NE(label, nullptr) << labelId;
    EXPECT_EQ(label->buddy(), View().Control(controlId)) << labelId;
  }
  // A screen reader finds each control's label, in the current language.
  for (const char* language : {"english", "chinese"}) {
    g_strLangPath = m_folder.File(std::string(language) + ".lang");
    App().ApplyLanguage();
    for (const auto& [labelId, controlId] : pairs) {
      QAccessibleInterface* control = QAccessible::queryAccessibleInterface(View().Control(controlId));
      ASSERT_NE(control, nullptr) << controlId;
      const auto labels = control->relations(QAccessible::Label);
      ASSERT_EQ(labels.size(), 1) << language << " " << controlId;
      EXPECT_EQ(labels[0].first->text(QAccessible::Name), ControlText(View().Control(labelId)))
          << language << " " << controlId;
    }
  }
  EXPECT_EQ(ControlText(View().Control(IDC_SQUELCH_LABEL)), QString::fromUtf8("静噪等级"));
}

TEST(MissingControls, AreReportedWithTheirNumberAndKind) {
  static std::vector<std::pair<int, std::string>> reported;
  reported.clear();
  SetMissingControlReporter([](const QWidget*, int id, const char* wanted) {
    reported.emplace_back(id, wanted);
  });
  QWidget form;
  BuildDialog(&form, *FindDialogTemplate(IDD_FORM));
  EXPECT_NE(FindControlAs<QComboBox>(&form, IDC_SQUELCH), nullptr);
  EXPECT_EQ(FindControlAs<QComboBox>(&form, 4242), nullptr);
  EXPECT_EQ(FindControlAs<QComboBox>(&form, IDC_PASSWORD), nullptr);  // an edit field
  SetMissingControlReporter([](const QWidget*, int id, const char* wanted) {
    ADD_FAILURE() << "no control " << id << " of class " << wanted;
  });
  EXPECT_EQ(reported, (std::vector<std::pair<int, std::string>>{{4242, "QComboBox"},
                                                                  {IDC_PASSWORD, "QComboBox"}}));
}

}  // namespace
}  // namespace rondel
