// The port, language and about dialogs as the user works them: which ports are offered,
// what OK and Cancel write, the hidden search box, the sorted language list with duplicate
// and missing display names, and the "Resource" texts every dialog takes.
#include <gtest/gtest.h>

#include <ostream>

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QMenuBar>
#include <QTest>

#include <fcntl.h>
#include <unistd.h>

#include <map>
#include <set>

#include "gui_support.h"
#include "link/qt/test_mode_dlg.h"
#include "link/qt/test_password_dlg.h"
#include "link/qt/transfer_dlg.h"
#include "platform/dialogs/dialog_builder.h"
#include "platform/dialogs/dialog_template.h"
#include "shell/app_paths.h"
#include "shell/qt/about_dlg.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/language_dlg.h"
#include "shell/qt/main_frame.h"
#include "shell/qt/port_dlg.h"
#include "shell/qt/form_view.h"

namespace rondel {
namespace {

using test::Button;
using test::ClickAndResult;
using test::ProgramTest;
using test::ReadBytes;

// A terminal device that opens like a cable's.
class Pty {
 public:
  Pty() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128];
    if (m_master >= 0 && ::grantpt(m_master) == 0 && ::unlockpt(m_master) == 0 &&
        ::ptsname_r(m_master, name, sizeof name) == 0)
      m_path = name;
  }
  ~Pty() {
    if (m_master >= 0) ::close(m_master);
  }
  const std::string& path() const { return m_path; }

 private:
  int m_master = -1;
  std::string m_path;
};

struct PortCase {
  const char* name;
  int configured;
  std::set<int> present;  // ports with a device
  std::set<int> inUse;    // of those, held by another program
  int expectChecked;      // 0: none
};
void PrintTo(const PortCase& p, std::ostream* os) { *os << p.name; }

class PortDialog : public ProgramTest, public ::testing::WithParamInterface<PortCase> {
 protected:
  // Maps COM1..8: present ones to terminals of their own, the rest to nothing.
  void MapPorts(const std::set<int>& present, const std::set<int>& inUse) {
    m_folder.MapPortsAbsent();
    for (int n : present) {
      m_ptys[n] = std::make_unique<Pty>();
      m_folder.SetIni("ports", "com" + std::to_string(n), m_ptys[n]->path());
      if (inUse.count(n)) {
        m_holders[n] = std::make_unique<CSerialLink>();
        ASSERT_TRUE(m_holders[n]->OpenDevice(m_ptys[n]->path(), 9600));
      }
    }
  }
  std::map<int, std::unique_ptr<Pty>> m_ptys;
  std::map<int, std::unique_ptr<CSerialLink>> m_holders;
};

TEST_P(PortDialog, OffersThePortsThatOpenAndSelectsTheConfiguredOne) {
  const PortCase& c = GetParam();
  m_folder.SetIni("setup", "com", std::to_string(c.configured));
  MapPorts(c.present, c.inUse);
  ASSERT_TRUE(Start());
  CPortDlg dialog(App(), &Frame());
  dialog.OnInitDialog();
  for (int n = 1; n <= 8; ++n) {
    QAbstractButton* b = Button(&dialog, 1000 + n);
    ASSERT_NE(b, nullptr);
    const bool opens = c.present.count(n) && !c.inUse.count(n);
    EXPECT_EQ(b->isEnabled(), opens) << "COM" << n;
    EXPECT_EQ(b->isChecked(), n == c.expectChecked) << "COM" << n;
    EXPECT_EQ(b->toolTip().toStdString(), App().m_serialPort.PortDevice(n)) << "COM" << n;
  }
  EXPECT_FALSE(App().m_serialPort.IsOpen());
  // OK keeps what is configured when the selection is the configured port or none.
  const auto before = ReadBytes(m_folder.Ini());
  EXPECT_EQ(ClickAndResult(dialog, IDOK), IDOK);
  EXPECT_EQ(ReadBytes(m_folder.Ini()), before);
  EXPECT_EQ(Frame().PortPane()->text().toStdString(), "COM" + std::to_string(c.configured));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PortDialog,
    ::testing::Values(
        PortCase{"ConfiguredPortInUseStaysSelectedButDisabled", 3, {1, 3, 5}, {3}, 3},
        PortCase{"ConfiguredPortFree", 2, {2, 7}, {}, 2},
        PortCase{"ConfiguredPortMissing", 4, {1}, {}, 4},
        PortCase{"ConfiguredBeyondEight", 12, {1, 8}, {}, 0},
        PortCase{"NoPortAtAll", 1, {}, {}, 1},
        PortCase{"OtherPortsInUse", 6, {5, 6, 7}, {5, 7}, 6}),
    [](const auto& info) { return std::string(info.param.name); });

class PortDialogOk : public PortDialog {};

TEST_F(PortDialogOk, ChoosingTheConfiguredPortWritesNothingAndLeavesThePortClosed) {
  m_folder.SetIni("setup", "com", "5");
  MapPorts({5}, {});
  ASSERT_TRUE(Start());
  m_modals.Then([](QDialog& d) {
    QTest::mouseClick(Button(&d, 1005), Qt::LeftButton);
    return ClickAndResult(d, IDOK);
  });
  const auto before = ReadBytes(m_folder.Ini());
  Frame().OnCommand(cmd::kSettingPort);
  EXPECT_EQ(ReadBytes(m_folder.Ini()), before);
  EXPECT_FALSE(App().m_serialPort.IsOpen());
  EXPECT_EQ(Frame().PortPane()->text(), QStringLiteral("COM5"));
}

TEST_F(PortDialogOk, ChoosingAnotherPortWritesItAndShowsIt) {
  m_folder.SetIni("setup", "com", "5");
  MapPorts({2, 5}, {});
  ASSERT_TRUE(Start());
  m_modals.Then([](QDialog& d) {
    QTest::mouseClick(Button(&d, 1002), Qt::LeftButton);
    EXPECT_FALSE(Button(&d, 1005)->isChecked());
    return ClickAndResult(d, IDOK);
  });
  Frame().OnCommand(cmd::kSettingPort);
  EXPECT_EQ(m_folder.GetIni("setup", "com"), "2");
  EXPECT_EQ(Frame().PortPane()->text(), QStringLiteral("COM2"));
}

TEST_F(PortDialogOk, CancelWritesNothing) {
  m_folder.SetIni("setup", "com", "5");
  MapPorts({2, 5}, {});
  ASSERT_TRUE(Start());
  m_modals.Then([](QDialog& d) {
    QTest::mouseClick(Button(&d, 1002), Qt::LeftButton);
    return ClickAndResult(d, IDCANCEL);
  });
  const auto before = ReadBytes(m_folder.Ini());
  Frame().OnCommand(cmd::kSettingPort);
  EXPECT_EQ(ReadBytes(m_folder.Ini()), before);
  EXPECT_EQ(m_modals.shown, std::vector<int>{130});
}

TEST_F(PortDialogOk, OpeningTheDialogClosesAPortLeftOpen) {
  MapPorts({1}, {});
  ASSERT_TRUE(Start());
  ASSERT_TRUE(App().m_serialPort.Open(1, 9600));
  CPortDlg dialog(App(), &Frame());
  dialog.OnInitDialog();
  EXPECT_FALSE(App().m_serialPort.IsOpen());
  EXPECT_TRUE(Button(&dialog, 1001)->isEnabled()) << "our own open port must not count as in use";
}

TEST_F(PortDialogOk, HiddenSearchBoxShowsTheKeyAndWritesEveryClickAtOnce) {
  m_folder.MapPortsAbsent();
  m_folder.SetIni("setup", "searchcom", "1");
  ASSERT_TRUE(Start());
  {
    CPortDlg dialog(App(), &Frame());
    dialog.OnInitDialog();
    dialog.show();
    QAbstractButton* search = Button(&dialog, IDC_SEARCH_PORT);
    ASSERT_NE(search, nullptr);
    EXPECT_FALSE(search->isVisible());
    EXPECT_TRUE(search->isChecked());
    search->click();
    EXPECT_EQ(m_folder.GetIni("setup", "searchcom"), "0");
    search->click();
    EXPECT_EQ(m_folder.GetIni("setup", "searchcom"), "1");
    search->click();
    EXPECT_EQ(ClickAndResult(dialog, IDCANCEL), IDCANCEL);
  }
  EXPECT_EQ(m_folder.GetIni("setup", "searchcom"), "0") << "Cancel does not take the click back";
  m_folder.SetIni("setup", "searchcom", "0");
  CPortDlg again(App(), &Frame());
  again.OnInitDialog();
  EXPECT_FALSE(Button(&again, IDC_SEARCH_PORT)->isChecked());
}

class LanguageDialog : public ProgramTest {
 protected:
  QStringList Entries(const CLanguageDlg& d) {
    QStringList e;
    for (int i = 0; i < d.List()->count(); ++i) e << d.List()->itemText(i);
    return e;
  }
  std::string English() { return test::ReadText(m_folder.File("english.lang")); }
};

TEST_F(LanguageDialog, ListsDisplayNamesSortedWithDuplicatesAndNamelessFiles) {
  // "zz" shares its name with english; "noface" has none; "blank" has an empty one.
  m_folder.WriteLang("zz", "[Face]\ndisp=English\n[String]\nIDS_WINDOWNAME=ZZ\n");
  m_folder.WriteLang("noface", "[String]\nIDS_WINDOWNAME=NoFace\n");
  m_folder.WriteLang("blank", "[Face]\ndisp=\n");
  m_folder.SetIni("setup", "language", "english");
  ASSERT_TRUE(Start());
  CLanguageDlg dialog(App(), &Frame());
  dialog.OnInitDialog();
  EXPECT_EQ(Entries(dialog), (QStringList{"-----", "English", "English", QString::fromUtf8("简体中文")}));
  EXPECT_EQ(dialog.List()->currentIndex(), 1);
  EXPECT_EQ(ClickAndResult(dialog, IDOK), IDOK);
  EXPECT_EQ(m_folder.GetIni("setup", "language"), "english");
}

TEST_F(LanguageDialog, OfTwoEqualNamesOkPicksTheFirstFileEvenFromTheSecond) {
  m_folder.WriteLang("zz", English());
  m_folder.SetLang("zz", "String", "IDS_WINDOWNAME", "ZZ");
  m_folder.SetIni("setup", "language", "zz");
  ASSERT_TRUE(Start());
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("ZZ"));
  CLanguageDlg dialog(App(), &Frame());
  dialog.OnInitDialog();
  EXPECT_EQ(dialog.List()->currentText(), QStringLiteral("English"));
  ClickAndResult(dialog, IDOK);
  EXPECT_EQ(m_folder.GetIni("setup", "language"), "english");
  EXPECT_EQ(g_strLangPath, m_folder.File("english.lang"));
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Rondel - Radio Programming Software"));
}

TEST_F(LanguageDialog, SelectionFindsTheFirstEntryBeginningWithTheCurrentName) {
  // Equal but for case: both begin with the other's name, and the first listed one wins.
  m_folder.WriteLang("a", "[Face]\ndisp=ENG\n[String]\nIDS_WINDOWNAME=Upper\n");
  m_folder.WriteLang("b", "[Face]\ndisp=eng\n[String]\nIDS_WINDOWNAME=Lower\n");
  m_folder.SetIni("setup", "language", "b");
  ASSERT_TRUE(Start());
  CLanguageDlg dialog(App(), &Frame());
  dialog.OnInitDialog();
  EXPECT_EQ(dialog.List()->currentText(), QStringLiteral("ENG"));
  ClickAndResult(dialog, IDOK);
  EXPECT_EQ(m_folder.GetIni("setup", "language"), "a");
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("Upper"));
}

TEST_F(LanguageDialog, NamelessFileIsChosenAsTheFirstNamelessOne) {
  m_folder.WriteLang("n1", "[String]\nIDS_WINDOWNAME=First nameless\n");
  m_folder.WriteLang("n2", "[String]\nIDS_WINDOWNAME=Second nameless\n");
  ASSERT_TRUE(Start());
  m_modals.Then([](QDialog& d) {
    auto& dialog = static_cast<CLanguageDlg&>(d);
    dialog.List()->setCurrentIndex(dialog.List()->findText(QStringLiteral("-----")));
    return ClickAndResult(d, IDOK);
  });
  Frame().OnCommand(cmd::kSettingLanguage);
  EXPECT_EQ(m_folder.GetIni("setup", "language"), "n1");
  EXPECT_EQ(Frame().windowTitle(), QStringLiteral("First nameless"));
}

TEST_F(LanguageDialog, WithoutASelectionOkChangesNothingButStillRefreshes) {
  m_folder.SetIni("setup", "language", "gone");  // no such file: nothing is selected
  ASSERT_TRUE(Start());
  const auto before = ReadBytes(m_folder.Ini());
  CLanguageDlg dialog(App(), &Frame());
  dialog.OnInitDialog();
  EXPECT_EQ(dialog.List()->currentIndex(), -1);
  EXPECT_EQ(dialog.List()->count(), 2);
  Frame().menuBar()->actions()[0]->setText(QStringLiteral("stale"));
  ClickAndResult(dialog, IDOK);
  EXPECT_EQ(ReadBytes(m_folder.Ini()), before);
  EXPECT_EQ(g_strLangPath, m_folder.File("gone.lang"));
  EXPECT_EQ(Frame().menuBar()->actions()[0]->text(), QStringLiteral("Not Found")) << "ApplyLanguage did not run";
}

TEST_F(LanguageDialog, OkSwitchesMenuTitleAndFormWithoutModifyingTheDocument) {
  m_folder.SetIni("setup", "language", "english");
  ASSERT_TRUE(Start());
  m_modals.Then([](QDialog& d) {
    auto& dialog = static_cast<CLanguageDlg&>(d);
    dialog.List()->setCurrentIndex(dialog.List()->findText(QString::fromUtf8("简体中文")));
    return ClickAndResult(d, IDOK);
  });
  Frame().OnCommand(cmd::kSettingLanguage);
  EXPECT_EQ(m_folder.GetIni("setup", "language"), "chinese");
  EXPECT_EQ(Frame().menuBar()->actions()[0]->text(), QString::fromUtf8("文件(&F)"));
  EXPECT_EQ(Frame().windowTitle(), QString::fromUtf8("Rondel 对讲机写频软件"));
  auto* view = Frame().View();
  EXPECT_EQ(ControlText(FindControl(view->widget(), 1020)), QString::fromUtf8("机型信息"));
  EXPECT_FALSE(App().Document().IsModified());
}

TEST_F(LanguageDialog, CancelChangesNothing) {
  m_folder.SetIni("setup", "language", "english");
  ASSERT_TRUE(Start());
  const auto before = ReadBytes(m_folder.Ini());
  CLanguageDlg dialog(App(), &Frame());
  dialog.OnInitDialog();
  dialog.List()->setCurrentIndex(dialog.List()->findText(QString::fromUtf8("简体中文")));
  EXPECT_EQ(ClickAndResult(dialog, IDCANCEL), IDCANCEL);
  EXPECT_EQ(ReadBytes(m_folder.Ini()), before);
  EXPECT_EQ(g_strLangPath, m_folder.File("english.lang"));
}

TEST_F(LanguageDialog, AboutBoxTakesItsTextsShowsTheIconAndClosesWithEscape) {
  ASSERT_TRUE(Start());
  m_modals.Then([](QDialog& d) {
    EXPECT_EQ(d.windowTitle(), QStringLiteral("About Rondel"));
    EXPECT_EQ(ControlText(FindControl(&d, 1015)), QStringLiteral("Rondel Version 1.0"));
    auto* icon = qobject_cast<QLabel*>(FindControl(&d, kUnnamedControl));
    EXPECT_TRUE(icon != nullptr && !icon->pixmap().isNull());
    QTest::keyClick(&d, Qt::Key_Escape);
    return d.result();
  });
  Frame().OnCommand(cmd::kAppAbout);
  EXPECT_EQ(m_modals.shown, std::vector<int>{100});
}

// Every dialog with an OK button: made the way its command makes it, then initialised.
struct DialogMaker {
  int number;
  std::function<std::unique_ptr<CDialog>(CRondelApp&, CMainFrame&)> make;
};

TEST_F(LanguageDialog, AResourceEntryForOneRenamesOkInEveryDialog) {
  m_folder.MapPortsAbsent();
  m_folder.SetLang("english", "Resource", "1", "Okay!");
  m_folder.SetLang("english", "Resource", "2", "Nope");
  m_folder.SetLang("english", "Resource", "65535", "Unnamed");
  ASSERT_TRUE(Start());
  const std::vector<DialogMaker> makers = {
      {130, [](CRondelApp& a, CMainFrame& f) { return std::make_unique<CPortDlg>(a, &f); }},
      {131, [](CRondelApp& a, CMainFrame& f) { return std::make_unique<CLanguageDlg>(a, &f); }},
      {132,
       [](CRondelApp& a, CMainFrame& f) {
         return std::make_unique<CTransferDlg>(a.m_serialPort, a.Settings(), f, &f);
       }},
      {137,
       [](CRondelApp& a, CMainFrame& f) {
         return std::make_unique<CTestModeDlg>(a.m_serialPort, a.Settings(), f, &f);
       }},
      {139,
       [](CRondelApp& a, CMainFrame& f) {
         return std::make_unique<CTestPasswordDlg>(a.m_serialPort, a.Settings(), f, &f);
       }},
  };
  std::set<int> covered;
  for (const DialogMaker& m : makers) {
    std::unique_ptr<CDialog> dialog = m.make(App(), Frame());
    dialog->OnInitDialog();
    EXPECT_EQ(ControlText(FindControl(dialog.get(), 1)), QStringLiteral("Okay!")) << m.number;
    EXPECT_EQ(ControlText(FindControl(dialog.get(), 2)), QStringLiteral("Nope")) << m.number;
    covered.insert(m.number);
  }
  std::set<int> withOk;
  for (int n : DialogTemplateNumbers())
    if (FindDialogTemplate(n)->Control(1) != nullptr) withOk.insert(n);
  EXPECT_EQ(covered, withOk) << "a dialog with an OK button is missing above";
  // The about box has no OK, but its unnamed text line takes 65535.
  CAboutDlg about(&Frame());
  about.OnInitDialog();
  QStringList texts;
  for (QObject* child : about.children())
    if (auto* label = qobject_cast<QLabel*>(child)) texts << label->text();
  EXPECT_TRUE(texts.contains(QStringLiteral("Unnamed")));
}

}  // namespace
}  // namespace rondel
