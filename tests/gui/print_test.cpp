// SPDX-License-Identifier: GPL-3.0-or-later
// Printing, read back from the PDF the way a person reads the paper: `rondel --print-to-pdf`,
// run without a display from a program folder of its own, prints the date line, the headings,
// the channels in use, in order, and the footer, in the program's language and its face. The
// page layout itself is the print-layout tests'.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "core/data_file.h"
#include "core/rondel_doc.h"
#include "platform/profile.h"
#include "gui_support.h"
#include "shell/qt/print_to_pdf.h"
#include "shell/settings.h"
#include "support/process.h"

namespace rondel {
namespace {

namespace fs = std::filesystem;
using test::ScopedEnv;

// The words of each line of the page's text, ligatures spelt out, blank lines left out. CJK
// faces draw some ideographs and the radicals of the same shape with one glyph, and the text
// read back may name the radical: those are read as the ideographs.
std::vector<std::string> PdfLines(const std::string& pdf) {
  const test::ProcessResult r = test::RunProcess("/usr/bin/pdftotext", {"-layout", pdf, "-"});
  EXPECT_EQ(r.exitStatus, 0) << test::Describe(r);
  std::vector<std::string> lines;
  std::istringstream in(r.out);
  for (std::string line; std::getline(in, line);) {
    std::istringstream words(line);
    std::string joined;
    for (std::string w; words >> w;) {
      for (const auto& [glyph, letters] :
           {std::pair{"\uFB00", "ff"}, {"\uFB01", "fi"}, {"\uFB02", "fl"}, {"\u2F00", "\u4E00"},
            {"\u2F06", "\u4E8C"}, {"\u2F47", "\u65E5"}, {"\u2F49", "\u6708"}, {"\u2F17", "\u5341"},
            {"\u2EDA", "\u9875"}})
        for (std::size_t at; (at = w.find(glyph)) != std::string::npos;) w.replace(at, 3, letters);
      joined += (joined.empty() ? "" : " ") + w;
    }
    if (!joined.empty()) lines.push_back(joined);
  }
  return lines;
}

// A program folder of its own in `top` with the shipped files, the language `language`, and a
// data file "radio.dig" with channels 7 and 2 in use.
struct PrintSetup {
  std::string program;
  std::string file;
};
PrintSetup MakeProgram(const test::TempDir& top, const char* language) {
  PrintSetup s{top.File("program"), top.File("radio.dig")};
  fs::create_directories(s.program);
  for (const char* f : {"rondel", "setting.ini", "english.lang", "chinese.lang"})
    fs::copy_file(fs::path(RONDEL_BIN_DIR) / f, fs::path(s.program) / f);
  EXPECT_TRUE(profile::WriteString(s.program + "/setting.ini", "setup", "language", language));
  CRondelDoc doc;
  doc.Blank();
  const CSettings settings(s.program + "/setting.ini");
  doc.SelectModel(0, settings);
  for (const auto& [n, freq] : {std::pair{7, "438.50000"}, std::pair{2, "446.01875"}}) {
    doc.SetFrequencyText(n, Direction::Receive, freq);
    doc.SetFrequencyText(n, Direction::Transmit, freq);
  }
  EXPECT_TRUE(StoreDataFile(doc, s.file, settings));
  fs::create_directories(top.File("config"));
  return s;
}

// Runs the printout without a display and with the C locale, whose names are English.
test::ProcessResult PrintWithoutDisplay(const test::TempDir& top, const PrintSetup& s, const std::string& pdf) {
  ScopedEnv display("DISPLAY", nullptr);
  ScopedEnv wayland("WAYLAND_DISPLAY", nullptr);
  ScopedEnv platform("QT_QPA_PLATFORM", nullptr);
  ScopedEnv config("XDG_CONFIG_HOME", top.File("config").c_str());
  ScopedEnv all("LC_ALL", "C");
  return test::RunProcess(s.program + "/rondel", {"--print-to-pdf", pdf, s.file}, std::chrono::seconds(60));
}

TEST(PrintToPdf, TheChannelsInUseOfTheFileLandOnTheOnePageWithoutADisplay) {
  test::TempDir top;
  const PrintSetup s = MakeProgram(top, "english");
  const std::string pdf = top.File("channels.pdf");
  const test::ProcessResult r = PrintWithoutDisplay(top, s, pdf);
  ASSERT_EQ(r.exitStatus, 0) << test::Describe(r);
  const std::vector<std::string> lines = PdfLines(pdf);
  ASSERT_EQ(lines.size(), 6u) << ::testing::PrintToString(lines);
  EXPECT_TRUE(std::regex_match(lines[0], std::regex(R"(\d{4}-\d\d-\d\d [A-Z][a-z]+day \d\d:\d\d)"))) << lines[0];
  // The headings wrap inside their cells, each whole: the heading row is as tall as its
  // longest heading needs.
  EXPECT_EQ(lines[1], "CH RX frequency RX CTCSS/ TX frequency TX CTCSS/");
  EXPECT_EQ(lines[2], "(MHz) DCS (MHz) DCS Scan add Bandwidth Power Busy lock Scrambler Compander PTT ID");
  EXPECT_EQ(lines[3], "2 446.01875 Off 446.01875 Off Yes Wide High No No No No");
  EXPECT_EQ(lines[4], "7 438.50000 Off 438.50000 Off Yes Wide High No No No No");
  EXPECT_EQ(lines[5], "radio.dig Model: 400-470MHz page 1 of 1");

  // A file that holds nothing is no data file: no printout of a blank document.
  std::ofstream(top.File("empty.dig")).flush();
  const std::string nothing = top.File("nothing.pdf");
  const test::ProcessResult empty = PrintWithoutDisplay(top, {s.program, top.File("empty.dig")}, nothing);
  EXPECT_EQ(empty.exitStatus, kPdfExitRejected) << test::Describe(empty);
  EXPECT_FALSE(fs::exists(nothing));
}

TEST(PrintToPdf, ThePageSpeaksTheProgramsLanguageInItsOwnFace) {
  struct Case {
    const char* language;
    const char* dateLine;  // the weekday from the language file, not from the C locale
    const char* footer;
    const char* face;      // the face of the language's own script, none for English
  };
  const Case cases[] = {
      {"english", R"(\d{4}-\d\d-\d\d (Sun|Mon|Tues|Wednes|Thurs|Fri|Satur)day \d\d:\d\d)",
       "radio.dig Model: 400-470MHz page 1 of 1", ""},
      {"chinese", "\\d{4}年\\d\\d月\\d\\d日 星期(日|一|二|三|四|五|六) \\d\\d:\\d\\d",
       "radio.dig 机型：400-470MHz 第 1 页，共 1 页", "NotoSansCJKsc"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.language);
    test::TempDir top;
    const PrintSetup s = MakeProgram(top, c.language);
    const std::string pdf = top.File("channels.pdf");
    const test::ProcessResult r = PrintWithoutDisplay(top, s, pdf);
    ASSERT_EQ(r.exitStatus, 0) << test::Describe(r);
    const std::vector<std::string> lines = PdfLines(pdf);
    ASSERT_GE(lines.size(), 2u);
    EXPECT_TRUE(std::regex_match(lines.front(), std::regex(c.dateLine))) << lines.front();
    EXPECT_EQ(lines.back(), c.footer);
    // Nothing is cut off: the unit under both frequency headings is on the page.
    std::string all;
    for (const std::string& line : lines) all += line + "\n";
    std::size_t units = 0;
    for (std::size_t at = all.find("(MHz)"); at != std::string::npos; at = all.find("(MHz)", at + 1)) ++units;
    EXPECT_EQ(units, 2u) << all;
    const test::ProcessResult fonts = test::RunProcess("/usr/bin/pdffonts", {pdf});
    ASSERT_EQ(fonts.exitStatus, 0) << test::Describe(fonts);
    // The CJK faces are one collection: only the Simplified Chinese member may be used.
    for (const char* member : {"NotoSansCJKjp", "NotoSansCJKkr", "NotoSansCJKtc", "NotoSansCJKhk"})
      EXPECT_EQ(fonts.out.find(member), std::string::npos) << fonts.out;
    if (*c.face != 0) {
      EXPECT_NE(fonts.out.find(c.face), std::string::npos) << fonts.out;
    }
  }
}

}  // namespace
}  // namespace rondel
