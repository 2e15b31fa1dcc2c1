// Start-up: the refusal without "setting.ini" (the real program, run from a folder of its
// own, shows the one fixed message and writes nothing), the language chosen by the settings
// key or the locale, the first document, a file on the command line, dropped files and the
// per-user recent-file list.
#include <gtest/gtest.h>

#include <ostream>

#include <QCoreApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

#include <filesystem>
#include <set>

#include "core/data_file.h"
#include "platform/qt/recent_file_store.h"
#include "gui_support.h"
#include "shell/app_paths.h"
#include "shell/language.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"
#include "support/process.h"
#include "tools/radiosim/virtual_radio.h"

namespace rondel {
namespace {

namespace fs = std::filesystem;
using test::ProgramTest;
using test::ReadBytes;
using test::ReadText;
using test::RunProcess;
using test::ScopedEnv;
using test::TempDir;

std::set<std::string> Listing(const std::string& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    names.insert(fs::relative(e.path(), folder).string());
  return names;
}

// A data file of the factory radio with channel 2 receiving on `rx`.
std::string SaveRadioFile(const TempDir& dir, const std::string& name, const char* rx) {
  sim::Memory memory = sim::FactoryMemory();
  CRondelDoc doc;
  std::copy(memory.begin(), memory.end(), doc.image().begin());
  doc.SetFrequencyText(2, Direction::Receive, rx);
  std::copy_n(doc.image().begin(), memory.size(), memory.begin());
  const std::string path = dir.File(name);
  EXPECT_TRUE(sim::SaveMemory(path, memory));
  return path;
}

TEST(StartUpProgram, WithoutSettingsFileShowsOnlyTheFixedMessageAndWritesNothing) {
  TempDir folder;
  TempDir user;
  fs::copy_file(fs::path(RONDEL_BIN_DIR) / "rondel", folder.File("rondel"));
  fs::permissions(folder.File("rondel"), fs::perms::owner_exec, fs::perm_options::add);
  // Language files beside it must not matter: none is known before the settings are.
  fs::copy_file(fs::path(RONDEL_SOURCE_DIR) / "resources/english.lang", folder.File("english.lang"));
  const std::string script = user.Write("answers", "");
  const std::string log = user.File("prompts.log");
  fs::create_directories(user.File("config"));
  fs::create_directories(user.File("runtime"));
  fs::permissions(user.File("runtime"), fs::perms::owner_all, fs::perm_options::replace);
  const auto before = Listing(folder.path());
  ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
  ScopedEnv answers("RONDEL_PROMPT_SCRIPT", script.c_str());
  ScopedEnv prompts("RONDEL_PROMPT_LOG", log.c_str());
  ScopedEnv config("XDG_CONFIG_HOME", user.File("config").c_str());
  ScopedEnv runtime("XDG_RUNTIME_DIR", user.File("runtime").c_str());

  const test::ProcessResult r = RunProcess(folder.File("rondel"), {}, std::chrono::seconds(30));
  ASSERT_TRUE(r.started) << r.error;
  EXPECT_FALSE(r.timedOut);
  EXPECT_EQ(r.exitStatus, 1) << test::Describe(r);
  EXPECT_EQ(ReadText(log), "ask\tstop\tok\t\tCan not find the file setting.ini!\n");
  EXPECT_EQ(Listing(folder.path()), before);
  EXPECT_TRUE(fs::is_empty(user.File("config")));
}

TEST(StartUpProgram, FromAFolderWithSpacesAndNonAsciiLettersFindsItsOwnFiles) {
  TempDir top;
  const std::string folder = top.File("Radio 程序 dir");
  fs::create_directories(folder);
  for (const char* f : {"rondel", "setting.ini", "english.lang", "chinese.lang"})
    fs::copy_file(fs::path(RONDEL_BIN_DIR) / f, fs::path(folder) / f);
  // A settings file whose window name cannot be missed, and a command line file that is not
  // there: the program reports it and ends, which proves it read its own folder's files.
  const std::string script = top.Write("answers", "");
  const std::string log = top.File("prompts.log");
  ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
  ScopedEnv answers("RONDEL_PROMPT_SCRIPT", script.c_str());
  ScopedEnv prompts("RONDEL_PROMPT_LOG", log.c_str());
  ScopedEnv language("LANG", "C.UTF-8");
  ScopedEnv all("LC_ALL", nullptr);
  // Started from another working directory.
  const test::ProcessResult r =
      RunProcess(folder + "/rondel", {top.File("missing.dig")}, std::chrono::seconds(30));
  ASSERT_TRUE(r.started) << r.error;
  EXPECT_EQ(r.exitStatus, 1) << test::Describe(r);
  const std::string seen = ReadText(log);
  EXPECT_NE(seen.find("ask\terror\tok\tError\t"), std::string::npos) << seen;
  EXPECT_NE(seen.find("missing.dig"), std::string::npos) << seen;
}

class StartUp : public ProgramTest {};

TEST_F(StartUp, WithoutSettingsFileInProcessNoWindowAndOneMessage) {
  fs::remove(m_folder.Ini());
  test::ClearRecentFiles();
  const auto before = Listing(m_folder.path());
  EXPECT_FALSE(Start());
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].text, "Can not find the file setting.ini!");
  EXPECT_EQ(m_prompter.prompts[0].caption, "");
  EXPECT_EQ(m_prompter.prompts[0].icon, PromptIcon::Stop);
  EXPECT_EQ(m_prompter.prompts[0].buttons, PromptButtons::Ok);
  EXPECT_EQ(App().MainFrame(), nullptr);
  EXPECT_EQ(Listing(m_folder.path()), before);
  EXPECT_TRUE(CQSettingsRecentFileStore().Load().empty());
}

TEST_F(StartUp, AFolderNamedLikeTheSettingsFileIsNoSettingsFile) {
  fs::remove(m_folder.Ini());
  fs::create_directory(m_folder.Ini());
  EXPECT_FALSE(Start());
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].text, "Can not find the file setting.ini!");
}

struct LanguageCase {
  const char* name;
  const char* iniLanguage;  // nullptr: no key
  const char* lcAll;
  const char* lang;
  const char* expectedFile;
  const char* expectedTitle;
};
void PrintTo(const LanguageCase& p, std::ostream* os) { *os << p.name; }

class StartUpLanguage : public ProgramTest, public ::testing::WithParamInterface<LanguageCase> {};

TEST_P(StartUpLanguage, ComesFromTheKeyElseTheLocaleAndIsNotWrittenBack) {
  const LanguageCase& c = GetParam();
  if (c.iniLanguage) m_folder.SetIni("setup", "language", c.iniLanguage);
  const std::vector<std::uint8_t> iniBefore = ReadBytes(m_folder.Ini());
  ScopedEnv all("LC_ALL", c.lcAll);
  ScopedEnv lang("LANG", c.lang);
  ASSERT_TRUE(Start());
  EXPECT_EQ(g_strExeDir, m_folder.path());
  EXPECT_EQ(g_strIniPath, m_folder.Ini());
  EXPECT_EQ(g_strLangPath, m_folder.File(c.expectedFile));
  EXPECT_EQ(Frame().windowTitle().toStdString(), c.expectedTitle);
  EXPECT_EQ(ReadBytes(m_folder.Ini()), iniBefore);
  EXPECT_TRUE(m_prompter.prompts.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StartUpLanguage,
    ::testing::Values(
        LanguageCase{"ChineseLocale", nullptr, nullptr, "zh_CN.UTF-8", "chinese.lang", "Rondel 对讲机写频软件"},
        LanguageCase{"ChineseLcAll", nullptr, "zh_CN.GB2312", "en_US.UTF-8", "chinese.lang", "Rondel 对讲机写频软件"},
        LanguageCase{"EnglishLocale", nullptr, nullptr, "en_US.UTF-8", "english.lang",
                     "Rondel - Radio Programming Software"},
        LanguageCase{"TaiwanIsNotMainland", nullptr, nullptr, "zh_TW.UTF-8", "english.lang",
                     "Rondel - Radio Programming Software"},
        LanguageCase{"KeyBeatsLocale", "english", "zh_CN.UTF-8", "zh_CN.UTF-8", "english.lang",
                     "Rondel - Radio Programming Software"},
        LanguageCase{"KeyChinese", "chinese", nullptr, "C", "chinese.lang", "Rondel 对讲机写频软件"},
        LanguageCase{"EmptyKeyMeansLocale", "", nullptr, "zh_CN.UTF-8", "chinese.lang", "Rondel 对讲机写频软件"},
        // Not tested for existence: every text then reads "Not Found".
        LanguageCase{"MissingFile", "klingon", nullptr, "C", "klingon.lang", "Not Found"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(StartUp, FirstDocumentIsNewWithoutTheClearQuestionAndALaterNewAsksIt) {
  ASSERT_TRUE(Start());
  EXPECT_TRUE(m_prompter.prompts.empty());
  EXPECT_EQ(App().SkipClearPrompt(), 0);
  EXPECT_FALSE(App().Document().IsModified());
  EXPECT_TRUE(App().Document().GetPathName().empty());
  EXPECT_TRUE(Frame().isVisible());
  m_prompter.Answer(PromptAnswer::Cancel);
  Frame().OnCommand(cmd::kFileNew);
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_WARN_CLEAR"));
}

TEST_F(StartUp, FileOnTheCommandLineIsOpenedAndKeptInTheRecentFiles) {
  test::ClearRecentFiles();
  const std::string file = SaveRadioFile(m_folder.dir(), "mine.dig", "446.12500");
  ASSERT_TRUE(Start({file}));
  EXPECT_EQ(App().Document().GetPathName(), file);
  EXPECT_FALSE(App().Document().IsModified());
  EXPECT_EQ(App().Core().doc().GetFrequencyText(2, Direction::Receive), "446.12500");
  EXPECT_EQ(CQSettingsRecentFileStore().Load(), std::vector<std::string>{file});
  // Opening does not touch the title.
  EXPECT_EQ(Frame().windowTitle().toStdString(), GetLangString("IDS_WINDOWNAME"));
  Frame().UpdateRecentFileMenu();
  QStringList entries;
  for (QAction* a : Frame().FileMenu()->actions()) entries << a->text();
  EXPECT_TRUE(entries.contains(QStringLiteral("&1 ") + QString::fromStdString(file))) << entries.join('|').toStdString();
}

TEST_F(StartUp, MissingCommandLineFileIsReportedAndEndsTheStart) {
  EXPECT_FALSE(Start({m_folder.File("not-there.dig")}));
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].icon, PromptIcon::Error);
  EXPECT_NE(m_prompter.prompts[0].text.find("not-there.dig"), std::string::npos);
  EXPECT_EQ(App().MainFrame(), nullptr);
}

TEST_F(StartUp, DroppedFilesOpenOneAfterTheOtherAndTheLastStays) {
  test::ClearRecentFiles();
  ASSERT_TRUE(Start());
  const std::string first = SaveRadioFile(m_folder.dir(), "first.dig", "446.12500");
  const std::string second = SaveRadioFile(m_folder.dir(), "second.dig", "446.25000");
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(first)),
                QUrl::fromLocalFile(QString::fromStdString(second))});
  const QPoint at = Frame().rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Frame(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Frame(), &drop);
  EXPECT_EQ(App().Document().GetPathName(), second);
  EXPECT_EQ(App().Core().doc().GetFrequencyText(2, Direction::Receive), "446.25000");
  EXPECT_EQ(CQSettingsRecentFileStore().Load(), (std::vector<std::string>{second, first}));
  EXPECT_TRUE(m_prompter.prompts.empty());
}

TEST_F(StartUp, ADropOfSomethingElseThanFilesIsRefused) {
  ASSERT_TRUE(Start());
  QMimeData data;
  data.setText(QStringLiteral("just text"));
  QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  enter.setAccepted(false);
  QCoreApplication::sendEvent(&Frame(), &enter);
  EXPECT_FALSE(enter.isAccepted());
}

}  // namespace
}  // namespace rondel
