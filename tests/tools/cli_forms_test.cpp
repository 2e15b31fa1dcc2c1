// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli's manners: the forms an option may take, "--", "-" for standard input and
// output, and each command's own help.
#include <filesystem>
#include <unistd.h>

#include "shell/language.h"
#include "tools/cli/command.h"
#include "tools/cli_rig.h"

namespace rondel::test::cli {
namespace {

namespace fs = std::filesystem;

std::string Text(const std::vector<std::uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }

// The test's folder (also the working folder while a test runs) holds the settings and
// language files of golden/ and radio.dig; "@" stands for it in arguments.
class CliForms : public testing::Test {
 protected:
  CliForms() : m_cwd(fs::current_path()) {
    fs::copy(Golden("radio.dig"), m_dir.File("radio.dig"));
    fs::copy(Golden("setting.ini"), m_dir.File("setting.ini"));
    fs::current_path(m_dir.path());
  }
  ~CliForms() override { fs::current_path(m_cwd); }
  std::vector<std::string> Line(std::vector<std::string> args,
                                const std::string& lang = Golden("test.lang")) const {
    for (std::string& a : args)
      if (const std::size_t at = a.find("@/"); at != std::string::npos) a.replace(at, 1, m_dir.path());
    args.insert(args.begin(), {"--ini", m_dir.File("setting.ini"), "--lang", lang});
    return args;
  }
  ProcessResult Run(std::vector<std::string> args) const { return RunCli(Line(std::move(args))); }
  ProcessResult Run(std::vector<std::string> args, const std::string& input) const {
    return RunCliWithInput(Line(std::move(args)), input);
  }
  // Every name in the folder: a save to standard output leaves no temporary behind.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(m_dir.path())) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  fs::path m_cwd;
  TempDir m_dir;
};

// Each spelling of an option and its value gives the same document.
TEST_F(CliForms, AnOptionsValueMayFollowItOrAnEqualsSign) {
  const std::vector<std::vector<std::string>> lines = {
      {"new", "-o", "@/x.dig", "--model", "2"},
      {"new", "--output=@/x.dig", "--model=2"},
      {"new", "--output", "@/x.dig", "--model", "2"},
      {"new", "-o@/x.dig", "--model", "2"},
      {"new", "--model", "0", "--model=2", "-o", "@/x.dig"},  // the last one counts
      {"new", "--outp=@/x.dig", "--mod", "2"},                  // unique abbreviations
  };
  for (const auto& args : lines) {
    SCOPED_TRACE(testing::PrintToString(args));
    fs::remove(m_dir.File("x.dig"));
    const ProcessResult r = Run(args);
    ASSERT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_EQ(ReadBytes(m_dir.File("x.dig")), ReadBytes(Golden("new.dig")));
  }
}

// After "--" everything is an operand: a file named "-x" is read, changed and listed.
TEST_F(CliForms, DoubleDashEndsTheOptions) {
  fs::copy(Golden("radio.dig"), m_dir.File("-x"));
  ProcessResult r = Run({"info", "-x"});
  EXPECT_EQ(r.exitStatus, 64) << Describe(r);
  EXPECT_EQ(r.err, "rondel-cli: T-bad -x\nT-tryhelp\n");
  r = Run({"info", "--", "-x"});
  EXPECT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.out, Run({"info", "@/radio.dig"}).out);
  r = Run({"edit", "--", "-x", "ch2.narrow=0"});
  EXPECT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(ReadBytes(m_dir.File("-x")), Patched(Golden("radio.dig"), {{48 + 0x2C, {0x10}}}));
  // An option's value is taken whatever it looks like.
  r = Run({"new", "-o", "-y"});
  EXPECT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_TRUE(fs::is_regular_file(m_dir.File("-y")));
}

struct FormRefusal {
  std::vector<std::string> args;
  std::string err;
};

// What is wrong is named as it was written.
TEST_F(CliForms, AWrongFormIsNamedAsWritten) {
  const FormRefusal cases[] = {
      {{"new", "--output="}, "rondel-cli: T-empty --output\nT-tryhelp\n"},
      {{"new", "--output"}, "rondel-cli: T-missing --output ...\nT-tryhelp\n"},
      {{"info", "--json=1", "@/radio.dig"}, "rondel-cli: T-bad --json=1\nT-tryhelp\n"},
      {{"info", "-q", "@/radio.dig"}, "rondel-cli: T-bad -q\nT-tryhelp\n"},
      {{"write", "@/radio.dig", "--no"}, "rondel-cli: T-bad --no\nT-tryhelp\n"},  // ambiguous
      {{"info", "--", ""}, "rondel-cli: T-empty info \"\"\nT-tryhelp\n"},
      {{"help", "frobnicate"}, "rondel-cli: T-bad frobnicate\nT-tryhelp\n"},
      {{"help", "info", "x"}, "rondel-cli: T-bad x\nT-tryhelp\n"},
  };
  const std::vector<std::string> before = Names();
  for (const FormRefusal& c : cases) {
    const ProcessResult r = Run(c.args);
    SCOPED_TRACE(testing::PrintToString(c.args) + "\n" + Describe(r));
    EXPECT_EQ(r.exitStatus, 64);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(Names(), before);
}

// A command's table may let an option be given more than once: each value is kept, in order,
// while any other option keeps its last value.
TEST(CommandLine, ARepeatableOptionKeepsEveryValueInOrder) {
  using rondel::cli::OptionSpec;
  constexpr OptionSpec kOptions[] = {
      {"device", 'd', "PATH", "IDS_X", true},
      {"port", 0, "N", "IDS_X"},
      {"all", 0, nullptr, "IDS_X"},
  };
  const rondel::cli::Command command{"test", "IDS_X", "IDS_X", "IDS_X", kOptions, nullptr};
  rondel::cli::ParsedLine line;
  const rondel::cli::UsageError e = rondel::cli::ParseCommandLine(
      &command, {"--device", "A", "x", "--device=B", "-dC", "--port", "1", "--port=2", "--all", "--",
                 "--device", "-y"},
      line);
  ASSERT_EQ(e.key, nullptr) << e.what;
  EXPECT_EQ(line.Values("device"), (std::vector<std::string>{"A", "B", "C"}));
  EXPECT_EQ(line.Values("port"), (std::vector<std::string>{"2"}));
  EXPECT_EQ(line.Value("port"), "2");
  EXPECT_TRUE(line.Has("all"));
  EXPECT_FALSE(line.Has("help"));
  EXPECT_EQ(line.operands, (std::vector<std::string>{"x", "--device", "-y"}));
}

// ---- "-" ----------------------------------------------------------------------------------

struct StreamCase {
  std::vector<std::string> args;
  std::string input;      // standard input
  std::string out;        // all of standard output
  int status = 0;
};

TEST_F(CliForms, ADashReadsStandardInputAndWritesStandardOutput) {
  const std::string radio = Text(ReadBytes(Golden("radio.dig")));
  const std::string listing = Run({"info", "@/radio.dig"}).out;
  const std::string json = Run({"info", "@/radio.dig", "--json"}).out;
  ASSERT_FALSE(listing.empty());
  // Standard input is read as a file is: only the first 4144 bytes count.
  const StreamCase cases[] = {
      {{"info", "-"}, radio, listing},
      {{"info", "-", "--json"}, radio + std::string(9000, 'x'), json},
      {{"new", "-o", "-", "--model", "2"}, "", Text(ReadBytes(Golden("new.dig")))},
      {{"new", "--output=-", "--model", "2"}, "", Text(ReadBytes(Golden("new.dig")))},
      {{"export", "-", "-o", "-"}, radio, ReadText(Golden("radio.csv"))},
      {{"export", "@/radio.dig", "-o", "-"}, "", ReadText(Golden("radio.csv"))},
      {{"edit", "-", "-o", "-", "ch2.narrow=0"}, radio,
       Text(Patched(Golden("radio.dig"), {{48 + 0x2C, {0x10}}}))},
      {{"edit", "@/radio.dig", "-o", "-", "ch2.narrow=0"}, "",
       Text(Patched(Golden("radio.dig"), {{48 + 0x2C, {0x10}}}))},
      {{"import", "@/radio.dig", "-", "-o", "-"}, "channel,narrow\n2,0\n",
       Text(Patched(Golden("radio.dig"), {{48 + 0x2C, {0x10}}}))},
      {{"import", "-", "@/list.csv", "-o", "-"}, radio,
       Text(Patched(Golden("radio.dig"), {{48 + 0x2C, {0x10}}}))},
      {{"diff", "-", "@/radio.dig"}, radio, "", 0},
      {{"diff", "@/radio.dig", "-"}, Text(ReadBytes(Golden("new.dig"))), "", 1},
  };
  m_dir.Write("list.csv", "channel,narrow\n2,0\n");
  const std::vector<std::string> before = Names();
  for (const StreamCase& c : cases) {
    const ProcessResult r = Run(c.args, c.input);
    SCOPED_TRACE(testing::PrintToString(c.args) + "\n" + Describe(r));
    EXPECT_EQ(r.exitStatus, c.status);
    EXPECT_EQ(r.err, "");
    if (c.status == 0) {
      EXPECT_EQ(r.out, c.out);
    }
  }
  // Nothing was created beside the files, and what was read stayed as it was.
  EXPECT_EQ(Names(), before);
  EXPECT_EQ(ReadBytes(m_dir.File("radio.dig")), ReadBytes(Golden("radio.dig")));
}

// A "-" that cannot work is refused before anything is read; standard input is held to the
// same limits as a file.
TEST_F(CliForms, ADashWhereItCannotWorkIsRefused) {
  const std::string radio = Text(ReadBytes(Golden("radio.dig")));
  const struct {
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string err;
  } cases[] = {
      {{"edit", "-", "squelchLevel=1"}, radio, 64, "rondel-cli: T-stdin in place edit -\n"},
      {{"import", "-", "@/list.csv"}, radio, 64, "rondel-cli: T-stdin in place import -\n"},
      {{"import", "-", "-", "-o", "@/x.dig"}, radio, 64, "rondel-cli: T-stdin twice import - -\n"},
      {{"diff", "-", "-"}, radio, 64, "rondel-cli: T-stdin twice diff - -\n"},
      {{"info", "-"}, "", 3, "rondel-cli: -: T-not a data file\n"},
      // write takes only a complete data file, from standard input too.
      {{"write", "-"}, radio.substr(0, 4143), 3, "rondel-cli: -: T-incomplete 4143\n"},
      {{"import", "@/radio.dig", "-", "-o", "@/x.dig"},
       "channel,narrow\n" + std::string(1 << 20, '\n'), 66, "rondel-cli: T-cannot open -\n"},
  };
  m_dir.Write("list.csv", "channel,narrow\n2,0\n");
  const std::vector<std::string> before = Names();
  for (const auto& c : cases) {
    const ProcessResult r = Run(c.args, c.input);
    SCOPED_TRACE(testing::PrintToString(c.args) + "\n" + Describe(r));
    EXPECT_EQ(r.exitStatus, c.status);
    EXPECT_EQ(r.err, c.err);
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(Names(), before);
}

// A message in Chinese ends in a Chinese reason, not in the C library's English.
TEST_F(CliForms, TheSystemsReasonIsInTheProgramsLanguage) {
  const std::string chinese = BinDir() + "/chinese.lang";
  ProcessResult r = RunCli(Line({"info", "@/none.dig"}, chinese));
  EXPECT_EQ(r.exitStatus, 66) << Describe(r);
  EXPECT_TRUE(r.err.ends_with(": " + GetLangStringFrom(chinese, "IDS_ERRNO_ENOENT") + "\n")) << r.err;
  r = RunCli(Line({"new", "-o", "@/radio.dig/x.dig"}, chinese));
  EXPECT_EQ(r.exitStatus, 73) << Describe(r);
  EXPECT_TRUE(r.err.ends_with(": " + GetLangStringFrom(chinese, "IDS_ERRNO_ENOTDIR") + "\n")) << r.err;
  EXPECT_EQ(r.err.find("Not a directory"), std::string::npos);
}

// ---- help -------------------------------------------------------------------------------

class CliHelp : public CliForms, public testing::WithParamInterface<const char*> {
 protected:
  std::string Lang() const { return BinDir() + "/" + GetParam() + ".lang"; }
};

// Every command of the table, in each shipped language: "COMMAND --help", "-h" and
// "help COMMAND" print the same help, which names the command, lists every option of it and
// ends with an example of it.
TEST_P(CliHelp, EveryCommandHasItsOwnHelpWithAnExample) {
  const std::string example = GetLangStringFrom(Lang(), "IDS_CLI_HELP_EXAMPLE");
  ASSERT_NE(example, kLangNotFound);
  for (const rondel::cli::Command* command : rondel::cli::Commands()) {
    const std::string name = command->name;
    SCOPED_TRACE(name);
    const ProcessResult r = RunCli(Line({name, "--help"}, Lang()));
    ASSERT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(RunCli(Line({"help", name}, Lang())).out, r.out);
    EXPECT_EQ(RunCli(Line({name, "-h"}, Lang())).out, r.out);
    EXPECT_EQ(r.out.find(kLangNotFound), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("rondel-cli [--ini PATH] [--lang PATH] " + name), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find(GetLangStringFrom(Lang(), command->summaryKey)), std::string::npos);
    for (const rondel::cli::OptionSpec& o : command->options)
      EXPECT_NE(r.out.find("--" + std::string(o.name)), std::string::npos) << o.name;
    EXPECT_NE(r.out.find("\n" + example + "\n  rondel-cli " + name + " "), std::string::npos)
        << r.out;
  }
}

// The program's help lists every command with its summary.
TEST_P(CliHelp, TheProgramsHelpListsEveryCommand) {
  const ProcessResult r = RunCli(Line({"--help"}, Lang()));
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(RunCli(Line({"help"}, Lang())).out, r.out);
  EXPECT_EQ(r.out.find(kLangNotFound), std::string::npos) << r.out;
  for (const rondel::cli::Command* command : rondel::cli::Commands()) {
    const std::string summary = GetLangStringFrom(Lang(), command->summaryKey);
    EXPECT_NE(r.out.find("  " + std::string(command->name) + " "), std::string::npos);
    EXPECT_NE(r.out.find(summary + "\n"), std::string::npos) << summary;
  }
}

INSTANTIATE_TEST_SUITE_P(ShippedLanguages, CliHelp, testing::Values("english", "chinese"));

}  // namespace
}  // namespace rondel::test::cli
