// The form of the main window: built from template 101 with every control, translated on
// every update, the read password shown by the settings file, the menu translated again
// after each new or opened document, and the settings shown from the document's image.
#include <gtest/gtest.h>

#include <ostream>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMenuBar>

#include "gui_support.h"
#include "platform/dialogs/dialog_builder.h"
#include "platform/dialogs/dialog_template.h"
#include "resources/control_ids.h"
#include "shell/app_paths.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"
#include "tools/radiosim/virtual_radio.h"
#include "view/rondel_view.h"

namespace rondel {
namespace {

using test::ProgramTest;

class FormView : public ProgramTest {
 protected:
  CRondelView& View() { return *static_cast<CRondelView*>(Frame().View()); }
};

TEST_F(FormView, HoldsEveryControlOfTheTemplateInsideTheMainWindow) {
  ASSERT_TRUE(Start());
  Frame().show();
  const DialogTemplate* tpl = FindDialogTemplate(IDD_FORM);
  ASSERT_NE(tpl, nullptr);
  for (const ControlTemplate& c : tpl->controls) {
    QWidget* w = View().Control(c.id);
    ASSERT_NE(w, nullptr) << c.id;
    EXPECT_EQ(w->window(), &Frame());
    EXPECT_EQ(w->isVisible(), !c.HasStyle("hidden")) << c.id;
  }
  EXPECT_EQ(Frame().centralWidget(), &View());
}

struct PasswordCase {
  const char* name;
  const char* value;  // nullptr: no key
  bool shown;
};
void PrintTo(const PasswordCase& p, std::ostream* os) { *os << p.name; }

class PasswordSetting : public FormView, public ::testing::WithParamInterface<PasswordCase> {};

TEST_P(PasswordSetting, ShowsOrHidesTheReadPasswordAndItsLabel) {
  std::string ini = test::ReadText(m_folder.Ini());
  const std::size_t at = ini.find("\npassword=");
  ASSERT_NE(at, std::string::npos);
  ini.erase(at + 1, ini.find('\n', at + 1) - at);
  m_folder.dir().Write("setting.ini", ini);
  if (GetParam().value) m_folder.SetIni("setup", "password", GetParam().value);
  ASSERT_TRUE(Start());
  Frame().show();
  for (int id : {1041, 1042}) {
    EXPECT_EQ(View().Control(id)->isVisible(), GetParam().shown) << id;
    EXPECT_EQ(View().Control(id)->isEnabled(), GetParam().shown) << id;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, PasswordSetting,
                         ::testing::Values(PasswordCase{"Absent", nullptr, true},
                                           PasswordCase{"One", "1", true},
                                           PasswordCase{"OneAndMore", "1x", true},
                                           PasswordCase{"Zero", "0", false},
                                           PasswordCase{"Empty", "", false}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(FormView, EveryUpdateTranslatesTheFormAndKeepsBuiltInTextsWithoutAnEntry) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(ControlText(View().Control(1021)), QStringLiteral("Freq. range"));
  EXPECT_EQ(ControlText(View().Control(1024)), QStringLiteral("Battery saver"));
  // A language without form entries: the next update leaves the texts it finds.
  m_folder.WriteLang("bare", "[String]\nIDS_WINDOWNAME=Bare\n");
  g_strLangPath = m_folder.File("bare.lang");
  App().ApplyLanguage();
  EXPECT_EQ(ControlText(View().Control(1021)), QStringLiteral("Freq. range"));
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Bare"));
  g_strLangPath = m_folder.File("chinese.lang");
  App().ApplyLanguage();
  EXPECT_EQ(ControlText(View().Control(1021)), QString::fromUtf8("频段"));
}

TEST_F(FormView, MenuIsTranslatedAgainAfterEachNewAndOpen) {
  ASSERT_TRUE(Start());
  QAction* file = Frame().menuBar()->actions()[0];
  file->setText(QStringLiteral("stale"));
  m_prompter.Answer(PromptAnswer::Ok);
  Frame().OnCommand(cmd::kFileNew);
  EXPECT_EQ(file->text(), QStringLiteral("&File"));
  const std::string path = m_folder.File("x.dig");
  m_prompter.ChooseSave(path);
  Frame().OnCommand(cmd::kFileSaveAs);
  file->setText(QStringLiteral("stale"));
  ASSERT_TRUE(App().OpenDocumentFile(path));
  EXPECT_EQ(file->text(), QStringLiteral("&File"));
}

TEST_F(FormView, SettingsAreShownFromTheDocumentsImage) {
  const sim::Memory factory = sim::FactoryMemory();
  CRondelDoc doc;
  std::copy(factory.begin(), factory.end(), doc.image().begin());
  doc.SetSetting(Setting::SquelchLevel, 8);
  doc.SetSetting(Setting::FmRadio, 1);
  doc.SetSetting(Setting::BatterySaver, 0);
  doc.SetReadPasswordText("42AB");
  sim::Memory memory;
  std::copy_n(doc.image().begin(), memory.size(), memory.begin());
  const std::string path = m_folder.File("radio.dig");
  ASSERT_TRUE(sim::SaveMemory(path, memory));
  ASSERT_TRUE(Start({path}));
  EXPECT_EQ(qobject_cast<QComboBox*>(View().Control(1032))->currentIndex(), 8);
  EXPECT_EQ(qobject_cast<QComboBox*>(View().Control(1032))->count(), 10);
  EXPECT_TRUE(qobject_cast<QCheckBox*>(View().Control(1023))->isChecked());
  EXPECT_FALSE(qobject_cast<QCheckBox*>(View().Control(1024))->isChecked());
  auto* password = qobject_cast<QLineEdit*>(View().Control(1042));
  EXPECT_EQ(password->text(), QStringLiteral("42AB"));
  EXPECT_EQ(password->maxLength(), 6);
  EXPECT_EQ(qobject_cast<QLineEdit*>(View().Control(1040))->maxLength(), 15);
  EXPECT_FALSE(App().Document().IsModified()) << "showing a value must not count as a change";
}

}  // namespace
}  // namespace rondel
