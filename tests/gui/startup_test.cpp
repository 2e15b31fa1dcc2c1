// SPDX-License-Identifier: GPL-3.0-or-later
// Start-up: the real program without "setting.ini" shows the one fixed message and writes
// nothing; in process, a file on the command line or dropped on the window is opened and kept
// in the recent files, and a missing one ends the start with its message.
#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include <filesystem>
#include <set>
#include <sys/stat.h>

#include "gui_support.h"
#include "platform/version.h"
#include "shell/language.h"
#include "platform/qt/recent_file_store.h"
#include "shell/qt/main_frame.h"
#include "support/process.h"
#include "tools/radiosim/virtual_radio.h"

namespace rondel {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;
using test::TempDir;

std::set<std::string> Listing(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(folder)) names.insert(e.path().string());
  return names;
}

TEST(StartUpProgram, WithoutSettingsFileShowsOnlyTheFixedMessageAndWritesNothing) {
  TempDir folder;
  TempDir user;
  fs::copy_file(fs::path(RONDEL_BIN_DIR) / "rondel", folder.File("rondel"));
  fs::copy_file(fs::path(RONDEL_SOURCE_DIR) / "resources/english.lang", folder.File("english.lang"));
  fs::create_directories(user.File("config"));
  const auto before = Listing(folder.path());
  ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
  ScopedEnv answers("RONDEL_PROMPT_SCRIPT", user.Write("answers", "").c_str());
  ScopedEnv prompts("RONDEL_PROMPT_LOG", user.File("prompts.log").c_str());
  ScopedEnv config("XDG_CONFIG_HOME", user.File("config").c_str());
  const test::ProcessResult r = test::RunProcess(folder.File("rondel"), {}, std::chrono::seconds(30));
  ASSERT_TRUE(r.started) << r.error;
  EXPECT_EQ(r.exitStatus, 1) << test::Describe(r);
  EXPECT_EQ(test::ReadText(user.File("prompts.log")), "ask\tstop\tok\t\tCan not find the file setting.ini!\n");
  EXPECT_EQ(Listing(folder.path()), before);
  EXPECT_TRUE(fs::is_empty(user.File("config")));
}

// --help and --version print and end before the toolkit starts: without a display and without
// a platform named, nothing is asked and no window is made; the help speaks the language of the
// program's settings file.
TEST(StartUpProgram, HelpAndVersionPrintWithoutADisplay) {
  TempDir folder;
  TempDir user;
  fs::copy_file(fs::path(RONDEL_BIN_DIR) / "rondel", folder.File("rondel"));
  for (const char* lang : {"english.lang", "chinese.lang"})
    fs::copy_file(fs::path(RONDEL_SOURCE_DIR) / "resources" / lang, folder.File(lang));
  folder.Write("setting.ini", "[setup]\nlanguage=chinese\n");
  const std::string chinese = folder.File("chinese.lang");
  std::string help;
  for (const char* key : {"IDS_APP_USAGE", "IDS_APP_OPTIONS", "IDS_APP_EXITCODES"})
    help += GetLangStringFrom(chinese, key) + "\n";
  ASSERT_EQ(help.find(kLangNotFound), std::string::npos);
  ScopedEnv display("DISPLAY", nullptr);
  ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  ScopedEnv platform("QT_QPA_PLATFORM", nullptr);
  ScopedEnv answers("RONDEL_PROMPT_SCRIPT", user.Write("answers", "").c_str());
  ScopedEnv prompts("RONDEL_PROMPT_LOG", user.File("prompts.log").c_str());
  ScopedEnv config("XDG_CONFIG_HOME", user.File("config").c_str());
  const struct {
    std::vector<std::string> args;
    std::string out;
  } cases[] = {{{"--help"}, help},
               {{"-h"}, help},
               {{"radio.dig", "--help"}, help},
               {{"--version"}, std::string("rondel ") + ProgramVersion() + "\n"}};
  for (const auto& c : cases) {
    const test::ProcessResult r = test::RunProcess(folder.File("rondel"), c.args, std::chrono::seconds(30));
    ASSERT_TRUE(r.started) << r.error;
    EXPECT_EQ(r.exitStatus, 0) << c.args[0] << "\n" << test::Describe(r);
    EXPECT_EQ(r.out, c.out) << c.args[0];
    EXPECT_EQ(r.err, "") << c.args[0];
  }
  EXPECT_FALSE(fs::exists(user.File("prompts.log")));
}

// The prompt script is held to the bounds of every file the program reads: a FIFO or a device
// there cannot hold up the start, nor a huge file fill the memory. A refused script is named
// once and answers nothing, so the program's message is acknowledged as without answers.
TEST(StartUpProgram, APromptScriptThatIsNoSmallRegularFileIsRefusedWithoutHanging) {
  TempDir folder;
  TempDir user;
  fs::copy_file(fs::path(RONDEL_BIN_DIR) / "rondel", folder.File("rondel"));
  fs::copy_file(fs::path(RONDEL_SOURCE_DIR) / "resources/english.lang", folder.File("english.lang"));
  ASSERT_EQ(::mkfifo(user.File("fifo").c_str(), 0600), 0);
  std::string comments;
  while (comments.size() < (1u << 20)) comments += "# just a remark, no answer at all\n";
  comments.resize(1u << 20);
  user.Write("largest", comments);
  user.Write("too-large", comments + "\n");
  const std::string notRegular = "it is not a regular file (a folder, a pipe or a device)";
  const struct {
    std::string script;
    std::string reason;  // empty: the script is used
  } cases[] = {{user.File("fifo"), notRegular},
               {"/dev/zero", notRegular},
               {user.File("too-large"),
                "it is larger than 1 MiB, far too large for a settings, language or prompt script file"},
               {user.File("largest"), ""}};
  ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
  ScopedEnv prompts("RONDEL_PROMPT_LOG", user.File("prompts.log").c_str());
  ScopedEnv config("XDG_CONFIG_HOME", user.File("config").c_str());
  for (const auto& c : cases) {
    SCOPED_TRACE(c.script);
    fs::remove(user.File("prompts.log"));
    ScopedEnv answers("RONDEL_PROMPT_SCRIPT", c.script.c_str());
    const test::ProcessResult r = test::RunProcess(folder.File("rondel"), {}, std::chrono::seconds(20));
    EXPECT_FALSE(r.timedOut);
    EXPECT_EQ(r.exitStatus, 1) << test::Describe(r);
    EXPECT_EQ(test::ReadText(user.File("prompts.log")),
              "ask\tstop\tok\t\tCan not find the file setting.ini!\n");
    const std::string said = "rondel: The prompt script cannot be used; every prompt is answered as "
                             "if it held no answers: " + c.script + ": " + c.reason + "\n";
    const std::size_t at = r.err.find("prompt script cannot be used");
    if (c.reason.empty()) {
      EXPECT_EQ(at, std::string::npos) << r.err;
    } else {
      EXPECT_NE(r.err.find(said), std::string::npos) << r.err;
      EXPECT_EQ(r.err.rfind("prompt script cannot be used"), at) << "said once";
    }
  }
}

class StartUp : public test::ProgramTest {
 protected:
  // A data file of the factory radio with channel 2 receiving on `rx`.
  std::string RadioFile(const std::string& name, const char* rx) {
    CRondelDoc doc;
    const sim::Memory factory = sim::FactoryMemory();
    std::copy(factory.begin(), factory.end(), doc.image().begin());
    doc.SetFrequencyText(2, Direction::Receive, rx);
    sim::Memory memory;
    std::copy_n(doc.image().begin(), memory.size(), memory.begin());
    EXPECT_TRUE(sim::SaveMemory(m_folder.File(name), memory));
    return m_folder.File(name);
  }
};

TEST_F(StartUp, AFileOnTheCommandLineIsOpenedAndKeptInTheRecentFiles) {
  test::ClearRecentFiles();
  const std::string file = RadioFile("mine.dig", "446.12500");
  ASSERT_TRUE(Start({file}));
  EXPECT_EQ(App().Document().GetPathName(), file);
  EXPECT_FALSE(App().Document().IsModified());
  EXPECT_EQ(Doc().GetFrequencyText(2, Direction::Receive), "446.12500");
  EXPECT_EQ(CQSettingsRecentFileStore().Load(), std::vector<std::string>{file});
  Frame().UpdateRecentFileMenu();
  QStringList entries;
  for (QAction* a : Frame().FileMenu()->actions()) entries << a->text();
  EXPECT_TRUE(entries.contains(QStringLiteral("&1 ") + QString::fromStdString(file))) << entries.join('|').toStdString();
  EXPECT_TRUE(m_prompter.prompts.empty());
}

// The desktop learns the program's name and icon from the desktop entry the program names.
TEST_F(StartUp, TheProgramNamesTheDesktopEntryItShips) {
  ASSERT_TRUE(Start());
  const std::string entry = QGuiApplication::desktopFileName().toStdString() + ".desktop";
  EXPECT_TRUE(fs::is_regular_file(fs::path(RONDEL_SOURCE_DIR) / "resources/desktop" / entry)) << entry;
}

TEST_F(StartUp, AMissingCommandLineFileIsReportedAndEndsTheStart) {
  EXPECT_FALSE(Start({m_folder.File("not-there.dig")}));
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].icon, PromptIcon::Error);
  EXPECT_NE(m_prompter.prompts[0].text.find("not-there.dig"), std::string::npos);
  EXPECT_EQ(App().MainFrame(), nullptr);
}

TEST_F(StartUp, DroppedFilesOpenOneAfterTheOtherAndTheLastStays) {
  test::ClearRecentFiles();
  ASSERT_TRUE(Start());
  const std::string first = RadioFile("first.dig", "446.12500");
  const std::string second = RadioFile("second.dig", "446.25000");
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)), QUrl::fromLocalFile(QString::fromStdString(second))});
  const QPoint at = Frame().rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Frame(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Frame(), &drop);
  EXPECT_EQ(App().Document().GetPathName(), second);
  EXPECT_EQ(Doc().GetFrequencyText(2, Direction::Receive), "446.25000");
  EXPECT_EQ(CQSettingsRecentFileStore().Load(), (std::vector<std::string>{second, first}));
  EXPECT_TRUE(m_prompter.prompts.empty());
}

}  // namespace
}  // namespace rondel
