// rondel --print-to-pdf OUT.pdf [FILE.dig], run as a dealer runs it: no display and no
// platform chosen, a program folder of its own. The channel list lands in the PDF on the
// locale's paper; a file that does not open or is no data file, an OUT that cannot be written
// and a wrong command line end with their message on stderr, their status and no PDF.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <regex>

#include "core/data_file.h"
#include "core/rondel_doc.h"
#include "gui_support.h"
#include "pdf_reading.h"
#include "platform/profile.h"
#include "shell/settings.h"
#include "support/process.h"

namespace rondel {
namespace {

namespace fs = std::filesystem;
using test::ReadText;
using test::RunProcess;
using test::ScopedEnv;
using test::TempDir;

// The program in a folder of its own with the shipped settings and language files, and the
// surroundings of a shell without a display.
class PrintToPdfCommand : public ::testing::Test {
 protected:
  PrintToPdfCommand() {
    fs::create_directories(m_program);
    for (const char* f : {"rondel", "setting.ini", "english.lang", "chinese.lang"})
      fs::copy_file(fs::path(RONDEL_BIN_DIR) / f, fs::path(m_program) / f);
    fs::create_directories(m_top.File("config"));
    fs::create_directories(m_top.File("runtime"));
    fs::permissions(m_top.File("runtime"), fs::perms::owner_all, fs::perm_options::replace);
  }

  test::ProcessResult Run(const std::vector<std::string>& args) {
    test::ProcessResult r = RunProcess(m_program + "/rondel", args, std::chrono::seconds(60));
    EXPECT_TRUE(r.started) << r.error;
    EXPECT_FALSE(r.timedOut);
    return r;
  }

  // A data file of model 0 whose channels `n` receive and transmit on the given frequency.
  std::string DataFile(const std::string& name, const std::vector<std::pair<int, const char*>>& channels) {
    CRondelDoc doc;
    doc.Blank();
    const CSettings settings(m_program + "/setting.ini");
    doc.SelectModel(0, settings);
    for (const auto& [n, freq] : channels) {
      doc.SetFrequencyText(n, Direction::Receive, freq);
      doc.SetFrequencyText(n, Direction::Transmit, freq);
    }
    const std::string path = m_top.File(name);
    EXPECT_TRUE(StoreDataFile(doc, path, settings));
    return path;
  }

  TempDir m_top;
  const std::string m_program = m_top.File("program");
  const std::string m_out = m_top.File("channels.pdf");
  ScopedEnv m_display{"DISPLAY", nullptr};
  ScopedEnv m_wayland{"WAYLAND_DISPLAY", nullptr};
  ScopedEnv m_platform{"QT_QPA_PLATFORM", nullptr};
  ScopedEnv m_config{"XDG_CONFIG_HOME", m_top.File("config").c_str()};
  ScopedEnv m_runtime{"XDG_RUNTIME_DIR", m_top.File("runtime").c_str()};
  ScopedEnv m_all{"LC_ALL", "C"};
  ScopedEnv m_lang{"LANG", nullptr};
  ScopedEnv m_paper{"LC_PAPER", nullptr};
};

TEST_F(PrintToPdfCommand, PrintsTheChannelsOfTheFileOnA4WithoutADisplay) {
  const std::string file = DataFile("radio.dig", {{2, "446.01875"}, {7, "438.50000"}});
  const test::ProcessResult r = Run({"--print-to-pdf", m_out, file});
  ASSERT_EQ(r.exitStatus, 0) << test::Describe(r);
  const std::vector<test::PdfPage> pages = test::ReadPdfPages(m_out);
  ASSERT_EQ(pages.size(), 1u);
  // The C locale's paper: A4, 595 × 842 points.
  EXPECT_NEAR(pages[0].width, 595.3, 0.5);
  EXPECT_NEAR(pages[0].height, 841.9, 0.5);
  const std::vector<test::PdfLine> lines = pages[0].Lines();
  ASSERT_GE(lines.size(), 4u);
  EXPECT_TRUE(std::regex_match(lines[0].Joined(), std::regex(R"(\d{4}-\d\d-\d\d [A-Z][a-z]+day \d\d:\d\d)")))
      << lines[0].Joined();
  EXPECT_EQ(lines[lines.size() - 2].Texts().at(0), "2");
  EXPECT_EQ(lines[lines.size() - 2].Texts().at(1), "446.01875");
  EXPECT_EQ(lines.back().Texts().at(0), "7");
  EXPECT_EQ(lines.back().Texts().at(1), "438.50000");
  // Nothing left behind beside the PDF.
  EXPECT_EQ(std::distance(fs::directory_iterator(m_top.path()), fs::directory_iterator()), 5);
}

TEST_F(PrintToPdfCommand, WithoutAFileANewDocumentsListHasOnlyTheDateAndTheHeadings) {
  const test::ProcessResult r = Run({"--print-to-pdf", m_out});
  ASSERT_EQ(r.exitStatus, 0) << test::Describe(r);
  const std::vector<test::PdfPage> pages = test::ReadPdfPages(m_out);
  ASSERT_EQ(pages.size(), 1u);
  for (const test::PdfLine& line : pages[0].Lines())
    EXPECT_FALSE(std::regex_match(line.Texts().front(), std::regex(R"(\d{1,2})"))) << line.Joined();
}

TEST_F(PrintToPdfCommand, AnExistingPdfIsReplacedWhole) {
  std::ofstream(m_out) << "an older list";
  const test::ProcessResult r = Run({"--print-to-pdf", m_out});
  ASSERT_EQ(r.exitStatus, 0) << test::Describe(r);
  EXPECT_EQ(ReadText(m_out).substr(0, 5), "%PDF-");
}

struct FailureCase {
  const char* name;
  enum Arguments { MissingFile, FolderAsFile, NotADataFile, OutInMissingFolder, ReadOnlyOut,
                   NoOut, TwoFiles, UnknownOption } arguments;
  int status;
  const char* message;  // on stderr, in English
};

std::ostream& operator<<(std::ostream& os, const FailureCase& c) { return os << c.name; }

class PrintToPdfFailure : public PrintToPdfCommand, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(PrintToPdfFailure, EndsWithItsStatusItsMessageAndNoPdf) {
  const FailureCase& c = GetParam();
  const std::string data = DataFile("radio.dig", {{1, "446.00625"}});
  std::string out = m_out;
  std::vector<std::string> args;
  std::string named;  // the path the message names
  switch (c.arguments) {
    case FailureCase::MissingFile:
      named = m_top.File("missing.dig");
      args = {"--print-to-pdf", out, named};
      break;
    case FailureCase::FolderAsFile:
      named = m_top.File("config");
      args = {"--print-to-pdf", out, named};
      break;
    case FailureCase::NotADataFile:
      args = {"--print-to-pdf", out, m_top.Write("notes.dig", std::string(4144, 'x'))};
      break;
    case FailureCase::OutInMissingFolder:
      out = named = m_top.File("no-such-folder/channels.pdf");
      args = {"--print-to-pdf", out, data};
      break;
    case FailureCase::ReadOnlyOut:
      std::ofstream(out) << "kept";
      ::chmod(out.c_str(), 0444);
      named = out;
      args = {"--print-to-pdf", out, data};
      break;
    case FailureCase::NoOut:
      args = {"--print-to-pdf"};
      break;
    case FailureCase::TwoFiles:
      named = data;
      args = {"--print-to-pdf", out, data, data};
      break;
    case FailureCase::UnknownOption:
      named = "--bogus";
      args = {"--print-to-pdf", out, "--bogus", data};
      break;
  }
  const test::ProcessResult r = Run(args);
  EXPECT_EQ(r.exitStatus, c.status) << test::Describe(r);
  EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  if (!named.empty()) {
    EXPECT_NE(r.err.find(named), std::string::npos) << r.err;
  }
  if (c.arguments == FailureCase::ReadOnlyOut) {
    EXPECT_EQ(ReadText(out), "kept");
  } else {
    EXPECT_FALSE(fs::exists(out));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PrintToPdfFailure,
    ::testing::Values(
        FailureCase{"MissingFile", FailureCase::MissingFile, 66, "The file could not be opened:"},
        FailureCase{"FolderAsFile", FailureCase::FolderAsFile, 66, "The file could not be opened:"},
        FailureCase{"NotADataFile", FailureCase::NotADataFile, 3, "This file is not a radio program data file."},
        FailureCase{"OutInMissingFolder", FailureCase::OutInMissingFolder, 73, "Cannot write the file:"},
        FailureCase{"ReadOnlyOut", FailureCase::ReadOnlyOut, 73, "Cannot write the file:"},
        FailureCase{"NoOut", FailureCase::NoOut, 64, "usage: rondel --print-to-pdf OUT.pdf [FILE.dig]"},
        FailureCase{"TwoFiles", FailureCase::TwoFiles, 64, "Invalid or incomplete argument:"},
        FailureCase{"UnknownOption", FailureCase::UnknownOption, 64, "Invalid or incomplete argument:"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PrintToPdfCommand, WithoutSettingsFileTheFixedMessageAndNoPdf) {
  fs::remove(m_program + "/setting.ini");
  const test::ProcessResult r = Run({"--print-to-pdf", m_out});
  EXPECT_EQ(r.exitStatus, 66) << test::Describe(r);
  EXPECT_NE(r.err.find("Can not find the file setting.ini!"), std::string::npos) << r.err;
  EXPECT_FALSE(fs::exists(m_out));
}

TEST_F(PrintToPdfCommand, MessagesComeInTheLanguageOfTheSettings) {
  ASSERT_TRUE(profile::WriteString(m_program + "/setting.ini", "setup", "language", "chinese"));
  const std::string missing = m_top.File("missing.dig");
  const test::ProcessResult r = Run({"--print-to-pdf", m_out, missing});
  EXPECT_EQ(r.exitStatus, 66) << test::Describe(r);
  EXPECT_NE(r.err.find(profile::GetString(m_program + "/chinese.lang", "String", "IDS_ERROR_OPENFILE", "?", 200) +
                       " " + missing),
            std::string::npos)
      << r.err;
}

}  // namespace
}  // namespace rondel
