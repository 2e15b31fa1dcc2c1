// SPDX-License-Identifier: GPL-3.0-or-later
// The port dialog on a device folder of the test's own: the devices beside the COM buttons, the
// reason a port cannot be used, a cable plugged in and pulled while the dialog is open, and a
// ttyACM device chosen without editing setting.ini; the port pane following setting.ini; and
// a read or the test mode whose port never opened saying why.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

#include <fcntl.h>
#include <filesystem>
#include <stdlib.h>
#include <unistd.h>

#include "gui_support.h"
#include "link/qt/test_password_dlg.h"
#include "resources/control_ids.h"
#include "shell/language.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"
#include "shell/qt/port_dlg.h"

namespace rondel {
namespace {

using test::Button;
namespace fs = std::filesystem;

// A pseudo-terminal standing in for a cable's device.
struct Terminal {
  int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  std::string path;
  Terminal() {
    char name[128];
    if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0 && ::ptsname_r(master, name, sizeof name) == 0)
      path = name;
  }
  ~Terminal() { ::close(master); }
};

class PortDialog : public test::ProgramTest {
 protected:
  // Every COM port but `com` on a path that cannot exist; the devices are looked for in `tree`.
  void StartWithDevices(const std::string& device, int com) {
    fs::create_directories(m_tree.File("dev"));
    m_folder.MapPorts(device, com);
    ASSERT_TRUE(Start());
    App().m_deviceRoots = {m_tree.File("dev"), m_tree.File("sys"), m_tree.File("proc")};
  }
  test::TempDir m_tree;
};

TEST_F(PortDialog, NamesTheDevicesAndFollowsACablePluggedInAndPulledAndTakesATtyAcm) {
  const std::string cable = m_tree.File("dev/ttyUSB3");
  const std::string acm = m_tree.File("dev/ttyACM0");
  StartWithDevices(cable, 4);
  Terminal usb, cdc;
  ASSERT_FALSE(usb.path.empty() || cdc.path.empty());
  m_modals.Then([&](QDialog& d) {
    auto& dialog = static_cast<CPortDlg&>(d);
    QAbstractButton* com4 = Button(&d, IDC_COM4);
    EXPECT_EQ(dialog.DeviceLabel(4)->text().toStdString(), cable);
    EXPECT_FALSE(com4->isEnabled());
    EXPECT_EQ(com4->toolTip().toStdString(), "There is no device " + cable + ".") << "a disabled port says why";
    EXPECT_EQ(dialog.OtherDevices()->count(), 1);
    EXPECT_TRUE(Button(&d, IDC_COM1)->isChecked()) << "the configured port";

    fs::create_symlink(usb.path, cable);
    EXPECT_TRUE(QTest::qWaitFor([&] { return com4->isEnabled(); }, 10000)) << "plugged in";
    EXPECT_EQ(com4->toolTip().toStdString(), cable);
    fs::create_symlink(cdc.path, acm);
    EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.OtherDevices()->count() == 2; }, 10000));
    EXPECT_EQ(dialog.OtherDevices()->itemData(1).toString().toStdString(), acm);
    fs::remove(cable);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !com4->isEnabled(); }, 10000)) << "pulled";

    // Chosen as a user does, with the keyboard: no COM button stays selected.
    dialog.OtherDevices()->setFocus();
    QTest::keyClick(dialog.OtherDevices(), Qt::Key_Down);
    EXPECT_EQ(dialog.OtherDevices()->currentIndex(), 1);
    EXPECT_FALSE(Button(&d, IDC_COM1)->isChecked());
    return test::Click(d, IDOK);
  });
  Frame().OnCommand(cmd::kSettingPort);
  // COM1 to COM8 are all named: the device gets the first port that is not.
  EXPECT_EQ(m_folder.GetIni("ports", "com9"), acm);
  EXPECT_EQ(m_folder.GetIni("setup", "com"), "9");
  EXPECT_EQ(Frame().PortPane()->text(), QStringLiteral("COM9"));

  // Opened again, the dialog shows the device it was given as the choice.
  m_modals.Then([&](QDialog& d) {
    EXPECT_EQ(static_cast<CPortDlg&>(d).OtherDevices()->currentData().toString().toStdString(), acm);
    return test::Click(d, IDCANCEL);
  });
  Frame().OnCommand(cmd::kSettingPort);
}

TEST_F(PortDialog, ThePortPaneShowsWhatSettingIniSaysNow) {
  StartWithDevices(m_tree.File("dev/ttyUSB0"), 1);
  Frame().show();
  QApplication::setActiveWindow(&Frame());
  ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
  EXPECT_EQ(Frame().PortPane()->text(), QStringLiteral("COM1"));
  // Changed behind the program's back, by hand or by rondel-cli.
  m_folder.SetIni("setup", "com", "7");
  QEvent activated(QEvent::ActivationChange);
  QApplication::sendEvent(&Frame(), &activated);
  EXPECT_EQ(Frame().PortPane()->text(), QStringLiteral("COM7"));
  m_folder.SetIni("setup", "com", "12");
  m_modals.Then([](QDialog& d) { return test::Click(d, IDCANCEL); });
  Frame().OnCommand(cmd::kSettingPort);
  EXPECT_EQ(Frame().PortPane()->text(), QStringLiteral("COM12"));
}

TEST_F(PortDialog, AReadWhosePortNeverOpenedSaysWhyInsteadOfASilentRadio) {
  const std::string cable = m_tree.File("dev/ttyUSB0");
  StartWithDevices(cable, 1);
  m_modals.Then([](QDialog& d) {
    QTest::mouseClick(Button(&d, IDOK), Qt::LeftButton);
    return d.exec();
  });
  Frame().OnCommand(cmd::kReadData);
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  const std::string& text = m_prompter.prompts[0].text;
  EXPECT_EQ(text.rfind("There is no device " + cable + ".\n\n", 0), 0u) << text;
  EXPECT_TRUE(text.ends_with("\n\nChoose the port of the cable in Settings > Communication port.")) << text;
  EXPECT_EQ(text.find(GetLangString("IDS_ERROR_PORTCONN")), std::string::npos);
  EXPECT_EQ(m_prompter.prompts[0].caption, GetLangString("IDS_ERROR"));
}

TEST_F(PortDialog, TheTestModeWhosePortNeverOpenedSaysWhyToo) {
  const std::string cable = m_tree.File("dev/ttyUSB0");
  m_folder.SetIni("setup", "testpw", "Calib#7");
  StartWithDevices(cable, 1);
  m_modals.Then([](QDialog& d) {
    auto& gate = static_cast<CTestPasswordDlg&>(d);
    QTest::keyClicks(gate.PasswordEdit(), QStringLiteral("Calib#7"));
    test::Click(d, IDOK);
    // The entry read runs off the window's thread; its failure is told once it has ended.
    EXPECT_TRUE(QTest::qWaitFor([&] { return !gate.ExchangeRunning(); }, 20000));
    return test::Click(d, IDCANCEL);
  });
  Frame().OnCommand(cmd::kTestMode);
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].text.rfind("There is no device " + cable + ".\n\n", 0), 0u) << m_prompter.prompts[0].text;
  EXPECT_EQ(m_prompter.prompts[0].caption, GetLangString("IDS_ERROR"));
}

}  // namespace
}  // namespace rondel
