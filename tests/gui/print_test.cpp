// Printing, read back from the PDF the way a person reads the paper: `rondel --print-to-pdf`,
// run without a display from a program folder of its own, prints the date line, the headings
// and the channels in use, in order. The page layout itself is the print-layout tests'.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "core/data_file.h"
#include "core/rondel_doc.h"
#include "gui_support.h"
#include "shell/qt/print_to_pdf.h"
#include "shell/settings.h"
#include "support/process.h"

namespace rondel {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;

// The words of each line of the page's text, ligatures spelt out, blank lines left out.
std::vector<std::string> PdfLines(const std::string& pdf) {
  const test::ProcessResult r = test::RunProcess("/usr/bin/pdftotext", {"-layout", pdf, "-"});
  EXPECT_EQ(r.exitStatus, 0) << test::Describe(r);
  std::vector<std::string> lines;
  std::istringstream in(r.out);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string joined;
    for (std::string w; words >> w;) {
      for (const auto& [ligature, letters] : {std::pair{"\uFB00", "ff"}, {"\uFB01", "fi"}, {"\uFB02", "fl"}})
        for (std::size_t at; (at = w.find(ligature)) != std::string::npos;) w.replace(at, 3, letters);
      joined += (joined.empty() ? "" : " ") + w;
    }
    if (!joined.empty()) lines.push_back(joined);
  }
  return lines;
}

TEST(PrintToPdf, TheChannelsInUseOfTheFileLandOnTheOnePageWithoutADisplay) {
  test::TempDir top;
  const std::string program = top.File("program");
  fs::create_directories(program);
  for (const char* f : {"rondel", "setting.ini", "english.lang", "chinese.lang"})
    fs::copy_file(fs::path(RONDEL_BIN_DIR) / f, fs::path(program) / f);
  CRondelDoc doc;
  doc.Blank();
  const CSettings settings(program + "/setting.ini");
  doc.SelectModel(0, settings);
  for (const auto& [n, freq] : {std::pair{7, "438.50000"}, std::pair{2, "446.01875"}}) {
    doc.SetFrequencyText(n, Direction::Receive, freq);
    doc.SetFrequencyText(n, Direction::Transmit, freq);
  }
  const std::string file = top.File("radio.dig");
  ASSERT_TRUE(StoreDataFile(doc, file, settings));
  fs::create_directories(top.File("config"));
  ScopedEnv display("DISPLAY", nullptr);
  ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  ScopedEnv platform("QT_QPA_PLATFORM", nullptr);
  ScopedEnv config("XDG_CONFIG_HOME", top.File("config").c_str());
  ScopedEnv all("LC_ALL", "C");

  const std::string pdf = top.File("channels.pdf");
  const test::ProcessResult r = test::RunProcess(program + "/rondel", {"--print-to-pdf", pdf, file}, std::chrono::seconds(60));
  ASSERT_EQ(r.exitStatus, 0) << test::Describe(r);
  const std::vector<std::string> lines = PdfLines(pdf);
  ASSERT_EQ(lines.size(), 5u) << ::testing::PrintToString(lines);
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\d{4}-\d\d-\d\d [A-Z][a-z]+day \d\d:\d\d)"))) << lines[0];
  // The headings wrap inside their cells, each whole: the heading row is as tall as its
  // longest heading needs.
  EXPECT_EQ(lines[1], "CH RX frequency RX CTCSS/ TX frequency TX CTCSS/");
  EXPECT_EQ(lines[2], "(MHz) DCS (MHz) DCS Scan add Bandwidth Power Busy lock Scrambler Compander PTT ID");
  EXPECT_EQ(lines[3], "2 446.01875 Off 446.01875 Off Yes Wide High No No No No");
  EXPECT_EQ(lines[4], "7 438.50000 Off 438.50000 Off Yes Wide High No No No No");

  // A file that holds nothing is no data file: no printout of a blank document.
  std::ofstream(top.File("empty.dig")).flush();
  const std::string nothing = top.File("nothing.pdf");
  const test::ProcessResult empty =
      test::RunProcess(program + "/rondel", {"--print-to-pdf", nothing, top.File("empty.dig")}, std::chrono::seconds(60));
  EXPECT_EQ(empty.exitStatus, kPdfExitRejected) << test::Describe(empty);
  EXPECT_FALSE(fs::exists(nothing));
}

}  // namespace
}  // namespace rondel
