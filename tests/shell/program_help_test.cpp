// SPDX-License-Identifier: GPL-3.0-or-later
// rondel --help and --version: which argument asks for them, the language the help speaks and
// what is printed from the language file's keys.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "platform/version.h"
#include "shell/program_help.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

TEST(ProgramHelp, TheFirstHelpOrVersionArgumentDecides) {
  const struct {
    std::vector<std::string> args;
    InfoRequest expected;
  } cases[] = {
      {{}, InfoRequest::None},
      {{"radio.dig"}, InfoRequest::None},
      {{"--print-to-pdf", "out.pdf", "radio.dig"}, InfoRequest::None},
      {{"-style", "fusion", "--helpful"}, InfoRequest::None},
      {{"--help"}, InfoRequest::Help},
      {{"-h"}, InfoRequest::Help},
      {{"radio.dig", "--help"}, InfoRequest::Help},
      {{"--version"}, InfoRequest::Version},
      {{"-platform", "offscreen", "--version"}, InfoRequest::Version},
      {{"--version", "--help"}, InfoRequest::Version},
      {{"-h", "--version"}, InfoRequest::Help},
  };
  for (const auto& c : cases) {
    std::string line;
    for (const std::string& a : c.args) line += a + " ";
    EXPECT_EQ(FindInfoRequest(c.args), c.expected) << line;
  }
}

TEST(ProgramHelp, VersionIsTheProgramsNameAndVersion) {
  std::ostringstream out;
  WriteProgramInfo(InfoRequest::Version, "/nonexistent.lang", out);
  EXPECT_EQ(out.str(), std::string("rondel ") + ProgramVersion() + "\n");
  EXPECT_NE(std::string(ProgramVersion()), "");
}

TEST(ProgramHelp, HelpIsTheUsageTheOptionsAndTheExitStatusesOfTheLanguageFile) {
  test::TempDir dir;
  const std::string lang = dir.Write("x.lang",
                                     "[String]\nIDS_APP_USAGE=usage: U\\n  file\nIDS_APP_OPTIONS=O\n"
                                     "IDS_APP_EXITCODES=E\\t0\n");
  std::ostringstream out;
  WriteProgramInfo(InfoRequest::Help, lang, out);
  EXPECT_EQ(out.str(), "usage: U\n  file\nO\nE\t0\n");
  std::ostringstream none;
  WriteProgramInfo(InfoRequest::None, lang, none);
  EXPECT_EQ(none.str(), "");
}

// The help speaks the language start-up would choose, and the locale's where the settings
// file or its language file cannot be used.
TEST(ProgramHelp, HelpSpeaksTheLanguageStartUpWouldChoose) {
  const struct {
    const char* settings;  // nullptr: no setting.ini
    const char* locale;
    const char* expected;
  } cases[] = {
      {"[setup]\nlanguage=chinese\n", "C", "chinese.lang"},
      {"[setup]\nlanguage=english\n", "zh_CN.UTF-8", "english.lang"},
      {"[setup]\n", "zh_CN.UTF-8", "chinese.lang"},
      {"[setup]\n", "C", "english.lang"},
      {"[setup]\nlanguage=klingon\n", "zh_CN.UTF-8", "chinese.lang"},
      {nullptr, "zh_CN.UTF-8", "chinese.lang"},
      {nullptr, "C", "english.lang"},
  };
  const char* saved = std::getenv("LC_ALL");
  const std::string old = saved ? saved : "";
  for (const auto& c : cases) {
    test::TempDir dir;
    dir.Write("english.lang", "[String]\nIDS_APP_USAGE=E\n");
    dir.Write("chinese.lang", "[String]\nIDS_APP_USAGE=C\n");
    if (c.settings) dir.Write("setting.ini", c.settings);
    ::setenv("LC_ALL", c.locale, 1);
    EXPECT_EQ(HelpLanguagePath(dir.path()), dir.File(c.expected))
        << (c.settings ? c.settings : "no settings file") << " " << c.locale;
  }
  if (saved) {
    ::setenv("LC_ALL", old.c_str(), 1);
  } else {
    ::unsetenv("LC_ALL");
  }
}

}  // namespace
}  // namespace rondel
