// The desktop program with files that are not what they should be: a settings or language
// file that is a pipe, a device or far too large, a data file on the command line that is
// one of those, and file names that are not UTF-8 (from the command line, a drop, the recent
// files). Nothing hangs, nothing aborts, and the user is told which file is at fault.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

#include "core/data_file.h"
#include "gui_support.h"
#include "platform/profile.h"
#include "platform/qt/local_path.h"
#include "platform/qt/recent_file_store.h"
#include "shell/app_paths.h"
#include "shell/language.h"
#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"
#include "support/process.h"
#include "tools/radiosim/virtual_radio.h"

namespace rondel {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using test::ProgramTest;
using test::ReadText;
using test::ScopedEnv;
using test::TempDir;

// "测试" in GBK, as a file copied from a Chinese Windows system names it: not UTF-8.
const std::string kGbkName = "\xB2\xE2\xCA\xD4.dig";

// Puts something else than a plain file at `path`.
enum class Kind { Fifo, DevZero, Oversized };

void MakeAt(const std::string& path, Kind kind) {
  fs::remove(path);
  switch (kind) {
    case Kind::Fifo:
      ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
      break;
    case Kind::DevZero:
      fs::create_symlink("/dev/zero", path);
      break;
    case Kind::Oversized: {
      // A legal text, just far beyond any settings file: comments up to 2 MiB.
      std::string text = "[setup]\n";
      while (text.size() < 2 * profile::kMaxProfileBytes) text += "; padding padding padding\n";
      std::ofstream(path, std::ios::binary) << text;
      break;
    }
  }
}

const char* ReasonKey(Kind kind) {
  return kind == Kind::Oversized ? "IDS_FILE_TOOLARGE" : "IDS_FILE_NOTREGULAR";
}

struct FileCase {
  const char* name;
  Kind kind;
};

const FileCase kKinds[] = {{"Fifo", Kind::Fifo}, {"DevZero", Kind::DevZero}, {"Oversized", Kind::Oversized}};

class UnusableSettingsFile : public ProgramTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(UnusableSettingsFile, EndsTheStartWithAMessageThatNamesIt) {
  MakeAt(m_folder.Ini(), GetParam().kind);
  const auto start = Clock::now();
  EXPECT_FALSE(Start());
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5)) << "no wait for a writer";
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  const std::string english = m_folder.File("english.lang");
  EXPECT_EQ(m_prompter.prompts[0].text, GetLangStringFrom(english, "IDS_ERROR_SETTINGSFILE") + "\n" +
                                            m_folder.Ini() + "\n\n" +
                                            GetLangStringFrom(english, ReasonKey(GetParam().kind)));
  EXPECT_EQ(m_prompter.prompts[0].icon, PromptIcon::Stop);
  EXPECT_EQ(App().MainFrame(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnusableSettingsFile, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

class UnusableLanguageFile : public ProgramTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(UnusableLanguageFile, StartsWithAMessageInTheLocalesLanguage) {
  m_folder.SetIni("setup", "language", "chinese");
  const std::string chinese = m_folder.File("chinese.lang");
  MakeAt(chinese, GetParam().kind);
  const auto start = Clock::now();
  ASSERT_TRUE(Start()) << "a language file is not required";
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  const std::string english = m_folder.File("english.lang");
  EXPECT_EQ(m_prompter.prompts[0].text, GetLangStringFrom(english, "IDS_ERROR_LANGFILE") + "\n" + chinese +
                                            "\n\n" + GetLangStringFrom(english, ReasonKey(GetParam().kind)));
  EXPECT_EQ(m_prompter.prompts[0].caption, GetLangStringFrom(english, "IDS_ERROR"));
  // As with a missing language file: every text reads "Not Found".
  EXPECT_EQ(g_strLangPath, chinese);
  EXPECT_EQ(Frame().windowTitle().toStdString(), kLangNotFound);
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnusableLanguageFile, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

// The locale's own language file is the one at fault: the other shipped one words it.
class LocaleLanguageFile : public ProgramTest {};

TEST_F(LocaleLanguageFile, ThatCannotBeUsedIsReportedInTheOtherLanguage) {
  const std::string english = m_folder.File("english.lang");
  MakeAt(english, Kind::Fifo);
  ASSERT_TRUE(Start());
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  const std::string chinese = m_folder.File("chinese.lang");
  EXPECT_EQ(m_prompter.prompts[0].text, GetLangStringFrom(chinese, "IDS_ERROR_LANGFILE") + "\n" + english +
                                            "\n\n" + GetLangStringFrom(chinese, "IDS_FILE_NOTREGULAR"));
}

class UnusableDataFile : public ProgramTest, public ::testing::WithParamInterface<FileCase> {};

TEST_P(UnusableDataFile, OnTheCommandLineIsReportedWithoutAWait) {
  const std::string file = m_folder.File("radio.dig");
  if (GetParam().kind == Kind::Oversized) {
    // Far larger than a data file, and still one: its first 4144 bytes are read, no more.
    sim::SaveMemory(file, sim::FactoryMemory());
    ASSERT_EQ(::truncate(file.c_str(), off_t{1} << 32), 0);
    ASSERT_TRUE(Start({file}));
    EXPECT_EQ(App().Document().GetPathName(), file);
    EXPECT_TRUE(m_prompter.prompts.empty());
    return;
  }
  MakeAt(file, GetParam().kind);
  const auto start = Clock::now();
  EXPECT_FALSE(Start({file}));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  ASSERT_EQ(m_prompter.prompts.size(), 1u);
  EXPECT_EQ(m_prompter.prompts[0].text, GetLangString("IDS_ERROR_OPENFILE") + "\n" + file);
}

INSTANTIATE_TEST_SUITE_P(Kinds, UnusableDataFile, ::testing::ValuesIn(kKinds),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- file names that are bytes, not UTF-8 --------------------------------------------------

class NonUtf8Name : public ProgramTest {
 protected:
  std::string SaveGbkFile() {
    const std::string file = m_folder.File(kGbkName);
    sim::Memory memory = sim::FactoryMemory();
    CRondelDoc doc;
    std::copy(memory.begin(), memory.end(), doc.image().begin());
    doc.SetFrequencyText(3, Direction::Receive, "438.50000");
    std::copy_n(doc.image().begin(), memory.size(), memory.begin());
    EXPECT_TRUE(sim::SaveMemory(file, memory));
    return file;
  }
};

TEST_F(NonUtf8Name, FromTheCommandLineOpensAndStaysInTheRecentFiles) {
  test::ClearRecentFiles();
  const std::string file = SaveGbkFile();
  ASSERT_TRUE(Start({file}));
  EXPECT_TRUE(m_prompter.prompts.empty());
  EXPECT_EQ(App().Document().GetPathName(), file);
  EXPECT_EQ(App().Core().doc().GetFrequencyText(3, Direction::Receive), "438.50000");
  // The recent files keep the bytes, so the entry opens again in the next run.
  EXPECT_EQ(CQSettingsRecentFileStore().Load(), std::vector<std::string>{file});
  m_prompter.Answer(PromptAnswer::Ok);
  App().OnFileNew();
  ASSERT_EQ(App().Document().GetPathName(), "");
  Frame().OnCommand(cmd::kFileMru1);
  EXPECT_EQ(App().Document().GetPathName(), file);
}

TEST_F(NonUtf8Name, DroppedOnTheWindowOpens) {
  ASSERT_TRUE(Start());
  const std::string file = SaveGbkFile();
  QMimeData data;
  // As a file manager hands it over: the bytes percent-encoded in the URL.
  data.setUrls({UrlFromLocalPath(file)});
  const QPoint at = Frame().rect().center();
  QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Frame(), &enter);
  QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(&Frame(), &drop);
  EXPECT_TRUE(m_prompter.prompts.empty());
  EXPECT_EQ(App().Document().GetPathName(), file);
  EXPECT_EQ(App().Core().doc().GetFrequencyText(3, Direction::Receive), "438.50000");
}

// The real program: the name reaches the open byte for byte, as the message about a file that
// is not there shows (a name made text on the way would show replacement characters).
TEST(NonUtf8NameProgram, ReachesTheOpenByteForByte) {
  TempDir top;
  for (const char* f : {"rondel", "setting.ini", "english.lang", "chinese.lang"})
    fs::copy_file(fs::path(RONDEL_BIN_DIR) / f, fs::path(top.path()) / f);
  const std::string script = top.Write("answers", "");
  const std::string log = top.File("prompts.log");
  ScopedEnv platform("QT_QPA_PLATFORM", "offscreen");
  ScopedEnv answers("RONDEL_PROMPT_SCRIPT", script.c_str());
  ScopedEnv prompts("RONDEL_PROMPT_LOG", log.c_str());
  const std::string missing = top.File("gone-" + kGbkName);
  const test::ProcessResult r =
      test::RunProcess(top.File("rondel"), {missing}, std::chrono::seconds(30));
  ASSERT_TRUE(r.started) << r.error;
  EXPECT_EQ(r.exitStatus, 1) << test::Describe(r);
  const std::string seen = ReadText(log);
  EXPECT_NE(seen.find(missing), std::string::npos) << seen;
}

TEST(LocalPath, CarriesEveryByteBetweenPathAndUrl) {
  const std::string paths[] = {"/tmp/" + kGbkName, "/tmp/a b/c#d%e?.dig", "/tmp/数据/radio.dig",
                               "/tmp/\xFF\xFE.dig"};
  for (const std::string& path : paths) {
    const QUrl url = UrlFromLocalPath(path);
    EXPECT_TRUE(url.isLocalFile()) << path;
    EXPECT_EQ(LocalPathFromUrl(url), path);
    // The same URL as a drop's text/uri-list carries it.
    EXPECT_EQ(LocalPathFromUrl(QUrl::fromEncoded(url.toEncoded())), path);
  }
  EXPECT_EQ(LocalPathFromUrl(QUrl(QStringLiteral("https://example.org/a.dig"))), "");
  EXPECT_EQ(LocalPathFromUrl(QUrl::fromLocalFile(QStringLiteral("/tmp/数据.dig"))), "/tmp/数据.dig");
}

}  // namespace
}  // namespace rondel
