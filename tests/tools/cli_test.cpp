// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli's own glue, run as a user runs it: the command line and its exit statuses, and
// that each command prints or writes what the document holds (golden/ holds the expectations).
#include <filesystem>
#include <sys/file.h>

#include "platform/atomic_file.h"
#include "tools/cli_rig.h"

namespace rondel::test::cli {
namespace {

namespace fs = std::filesystem;

// In arguments and expected texts "@" stands for the test's folder. It holds the settings and
// language files of golden/ (three models; marked texts), radio.dig, short.dig (one byte short
// of a data file), empty.dig, bad.dig (a wrong header), good.csv, bad.csv and a folder sub.
class Cli : public testing::Test {
 protected:
  Cli() {
    fs::copy(Golden("radio.dig"), m_dir.File("radio.dig"));
    fs::copy(Golden("setting.ini"), m_dir.File("setting.ini"));
    fs::copy(Golden("test.lang"), m_dir.File("test.lang"));
    std::vector<std::uint8_t> file = ReadBytes(Golden("radio.dig"));
    m_dir.WriteBytes("short.dig", {file.begin(), file.end() - 1});
    m_dir.Write("empty.dig", "");
    file[0] = 'Q';
    m_dir.WriteBytes("bad.dig", file);
    m_dir.Write("good.csv", "channel,rxFreq\n6,146.5\n");
    m_dir.Write("bad.csv", "channel,rxFreq,narrow\n6,146.5,1\n7,146.6,2\n");
    fs::create_directory(m_dir.File("sub"));
  }
  std::string At(std::string text) const {
    for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at))
      text.replace(at, 1, m_dir.path());
    return text;
  }
  ProcessResult Run(std::vector<std::string> args, const std::string& lang = "@/test.lang") const {
    args.insert(args.begin(), {"--ini", "@/setting.ini", "--lang", lang});
    for (std::string& a : args) a = At(a);
    return RunCli(args);
  }
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(m_dir.path())) names.push_back(e.path());
    std::sort(names.begin(), names.end());
    return names;
  }
  TempDir m_dir;
};

struct LineCase {
  std::vector<std::string> args;
  int status;
  std::string err;       // all of standard error
  const char* out = "";  // the start of standard output
};

// None of these writes anything: a failure leaves the folder as it was.
// clang-format off
const LineCase kLines[] = {
    {{"--help"}, 0, "", "T-usage\nT-commands\n  new      T-new\n  info     T-info\n"},
    {{"info", "@/radio.dig", "--no-backup"}, 64, "rondel-cli: T-bad --no-backup\nT-tryhelp\n"},
    {{"backups", "x"}, 64, "rondel-cli: T-bad x\nT-tryhelp\n"},
    {{"--version"}, 0, "", "rondel-cli "},
    {{"info", "@/short.dig"}, 0,
     "rondel-cli: @/short.dig: T-only 4143 bytes\n", "Not Found  136-174MHz"},
    {{"info", "@/empty.dig"}, 3, "rondel-cli: @/empty.dig: T-not a data file\n"},
    {{}, 64, "rondel-cli: T-missing COMMAND\nT-tryhelp\n"},
    {{"frobnicate"}, 64, "rondel-cli: T-bad frobnicate\nT-tryhelp\n"},
    {{"info", "--bogus"}, 64, "rondel-cli: T-bad --bogus\nT-tryhelp\n"},
    {{"info", ""}, 64, "rondel-cli: T-empty info \"\"\nT-tryhelp\n"},
    {{"info"}, 64, "rondel-cli: T-missing info FILE\nT-tryhelp\n"},
    {{"info", "@/radio.dig", "x"}, 64, "rondel-cli: T-bad x\nT-tryhelp\n"},
    {{"new"}, 64, "rondel-cli: T-missing new -o OUT\nT-tryhelp\n"},
    {{"new", "-o"}, 64, "rondel-cli: T-missing -o ...\nT-tryhelp\n"},
    {{"new", "-o", ""}, 64, "rondel-cli: T-empty -o\nT-tryhelp\n"},
    {{"new", "-o", "@/x.dig", "x"}, 64, "rondel-cli: T-bad x\nT-tryhelp\n"},
    {{"new", "-o", "@/x.dig", "--model", "-1"}, 64, "rondel-cli: T-bad --model -1\nT-tryhelp\n"},
    {{"new", "-o", "@/x.dig", "--model", "1x"}, 64, "rondel-cli: T-bad --model 1x\nT-tryhelp\n"},
    {{"new", "-o", "@/x.dig", "--model", "16"}, 64, "rondel-cli: T-bad --model 16\nT-tryhelp\n"},
    {{"new", "-o", "@/x.dig", "--model", "15"}, 64,
     "rondel-cli: T-no model 15\nT-count 3\nT-tryhelp\n"},
    {{"new", "-o", "@/x.dig", "--model", "3"}, 64,
     "rondel-cli: T-no model 3\nT-count 3\nT-tryhelp\n"},
    {{"read"}, 64, "rondel-cli: T-missing read -o OUT\nT-tryhelp\n"},
    {{"read", "-o", "@/x.dig", "x"}, 64, "rondel-cli: T-bad x\nT-tryhelp\n"},
    {{"read", "-o", "@/x.dig", "--port", "0"}, 64, "rondel-cli: T-bad --port 0\nT-tryhelp\n"},
    {{"read", "-o", "@/x.dig", "--port", "256"}, 64, "rondel-cli: T-bad --port 256\nT-tryhelp\n"},
    {{"read", "-o", "@/x.dig", "--port", "2", "--device", "@/x"}, 64,
     "rondel-cli: T-bad --device\nT-tryhelp\n"},
    {{"read", "-o", "@/x.dig", "--password", "1234567"}, 64,
     "rondel-cli: T-bad --password 1234567\nT-tryhelp\n"},
    {{"read", "-o", "@/x.dig", "--password", "12-3"}, 64,
     "rondel-cli: T-bad --password 12-3\nT-tryhelp\n"},
    {{"write"}, 64, "rondel-cli: T-missing write FILE\nT-tryhelp\n"},
    {{"write", "@/radio.dig", "x"}, 64, "rondel-cli: T-bad x\nT-tryhelp\n"},
    {{"write", "@/radio.dig", "-o", "@/x.dig"}, 64, "rondel-cli: T-bad -o\nT-tryhelp\n"},
    {{"write", "@/radio.dig", "--from", "@/radio.dig"}, 64,
     "rondel-cli: T-bad --from\nT-tryhelp\n"},
    {{"write", "@/radio.dig", "--password", "1"}, 64, "rondel-cli: T-bad --password\nT-tryhelp\n"},
    {{"edit"}, 64, "rondel-cli: T-missing edit FILE\nT-tryhelp\n"},
    {{"edit", "@/radio.dig"}, 64, "rondel-cli: T-missing edit FILE NAME=VALUE\nT-tryhelp\n"},
    {{"edit", "@/radio.dig", "squelchLevel=1", "x"}, 64, "rondel-cli: T-bad x\nT-tryhelp\n"},
    {{"export"}, 64, "rondel-cli: T-missing export\nT-tryhelp\n"},
    {{"import", "@/radio.dig"}, 64, "rondel-cli: T-missing import\nT-tryhelp\n"},
    {{"info", "@/bad.dig"}, 3, "rondel-cli: @/bad.dig: T-not a data file\n"},
    {{"write", "@/short.dig"}, 3, "rondel-cli: @/short.dig: T-incomplete 4143\n"},
    {{"write", "@/short.dig", "--no-backup"}, 3, "rondel-cli: @/short.dig: T-incomplete 4143\n"},
    {{"write", "@/empty.dig"}, 3, "rondel-cli: @/empty.dig: T-not a data file\n"},
    {{"info", "@/none.dig"}, 66,
     "rondel-cli: T-cannot open @/none.dig: No such file or directory\n"},
    {{"info", "@/sub"}, 66, "rondel-cli: T-cannot open @/sub: T-not regular\n"},
    {{"--ini", "@/none.ini", "info", "@/radio.dig"}, 66, "rondel-cli: T-no settings @/none.ini\n"},
    {{"--ini", "@/sub", "info", "@/radio.dig"}, 66,
     "rondel-cli: T-settings unusable @/sub: T-not regular\n"},
    {{"--lang", "@/none.lang", "info", "@/radio.dig"}, 66,
     "rondel-cli: Cannot use the language file: @/none.lang: No such file or directory\n"},
    {{"import", "@/radio.dig", "@/none.csv"}, 66, "rondel-cli: T-cannot open @/none.csv\n"},
    {{"new", "-o", "@/no/x.dig"}, 73,
     "rondel-cli: T-cannot write @/no/x.dig: No such file or directory\n"},
    {{"read", "-o", "@/sub"}, 73, "rondel-cli: T-cannot write @/sub: Is a directory\n"},
    {{"edit", "@/radio.dig", "-o", "@/no/x.dig", "fmRadio=1"}, 73,
     "rondel-cli: T-cannot write @/no/x.dig: No such file or directory\n"},
    {{"export", "@/radio.dig", "-o", "@/no/x.csv"}, 73, "rondel-cli: T-cannot write @/no/x.csv\n"},
    {{"import", "@/radio.dig", "@/good.csv", "-o", "@/no/x.dig"}, 73,
     "rondel-cli: T-cannot write @/no/x.dig: No such file or directory\n"},
    {{"new", "-o", "@/" + std::string(256, 'n')}, 73,
     "rondel-cli: T-cannot write @/" + std::string(256, 'n') + ": File name too long\n"},
    {{"read", "-o", "@/radio.dig/x.dig"}, 73,
     "rondel-cli: T-cannot write @/radio.dig/x.dig: Not a directory\n"},
};
// clang-format on

TEST_F(Cli, EveryLineHasItsExitStatusAndMessage) {
  const std::vector<std::string> before = Names();
  for (const LineCase& c : kLines) {
    const ProcessResult r = Run(c.args);
    SCOPED_TRACE(testing::PrintToString(c.args) + "\n" + Describe(r));
    EXPECT_EQ(r.exitStatus, c.status);
    EXPECT_EQ(r.err, At(c.err));
    EXPECT_TRUE(r.out.starts_with(c.out));
    EXPECT_TRUE(c.status == 0 || r.out.empty());
  }
  EXPECT_EQ(Names(), before);
  EXPECT_EQ(ReadBytes(m_dir.File("radio.dig")), ReadBytes(Golden("radio.dig")));
}

// ---- what each command prints or writes -------------------------------------------------

class CliListing : public Cli, public testing::WithParamInterface<const char*> {};

TEST_P(CliListing, IsTheGoldenListing) {
  const ProcessResult r = Run({"info", "@/radio.dig"}, BinDir() + "/" + GetParam() + ".lang");
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.out, ReadText(Golden("radio-" + std::string(GetParam()) + ".txt")));
}

INSTANTIATE_TEST_SUITE_P(ShippedLanguages, CliListing, testing::Values("english", "chinese"));

TEST_F(Cli, InfoJsonIsTheGoldenListing) {
  const ProcessResult r = Run({"info", "@/radio.dig", "--json"});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.out, ReadText(Golden("radio.json")));
}

// The new document's defaults with the band code of the last model of the list, or of the
// first without --model.
TEST_F(Cli, NewWritesTheGoldenDocument) {
  ProcessResult r = Run({"new", "-o", "@/radio.dig", "--model", "2"});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_EQ(ReadBytes(m_dir.File("radio.dig")), ReadBytes(Golden("new.dig")));
  r = Run({"new", "-o", "@/radio.dig"});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(ReadBytes(m_dir.File("radio.dig")),
            Patched(Golden("new.dig"), {{48 + 0x3D8, {0x00, 0x40, 0x00, 0x47}}}));
}

TEST_F(Cli, ExportPrintsOrWritesTheGoldenList) {
  ProcessResult r = Run({"export", "@/radio.dig"});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.out, ReadText(Golden("radio.csv")));
  r = Run({"export", "@/radio.dig", "-o", "@/list.csv"});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_EQ(ReadText(m_dir.File("list.csv")), ReadText(Golden("radio.csv")));
}

TEST_F(Cli, ImportWritesTheOutputAndNamesWhatItAdjusted) {
  m_dir.Write("plan.csv", "channel,rxFreq\r\n6,146.503\r\n7,190\r\n");
  ProcessResult r =
      Run({"import", "@/radio.dig", "@/plan.csv", "-o", "@/out.dig"}, BinDir() + "/english.lang");
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.err, At("rondel-cli: @/plan.csv: Line 2, column rxFreq: off the channel raster, "
                      "stored as \"146.50500\"\n"
                      "rondel-cli: @/plan.csv: Line 3, column rxFreq: outside the band, stored as "
                      "the band edge \"174.00000\"\n"));
  EXPECT_EQ(ReadBytes(m_dir.File("out.dig")),
            Patched(Golden("radio.dig"),
                    {{48 + 0x60, {0x00, 0x05, 0x65, 0x14, 0x00, 0x05, 0x65, 0x14}},
                     {48 + 0x70, {0x00, 0x00, 0x40, 0x17, 0x00, 0x00, 0x40, 0x17}}}));
  EXPECT_EQ(ReadBytes(m_dir.File("radio.dig")), ReadBytes(Golden("radio.dig")));
  r = Run({"import", "@/radio.dig", "@/bad.csv"}, BinDir() + "/english.lang");
  EXPECT_EQ(r.exitStatus, 65) << Describe(r);
  EXPECT_EQ(r.err, At("rondel-cli: @/bad.csv: Line 3, column narrow: not 0 or 1: \"2\"\n"));
  EXPECT_EQ(ReadBytes(m_dir.File("radio.dig")), ReadBytes(Golden("radio.dig")));
}

// One assignment of each kind of field, in place.
TEST_F(Cli, EditStoresWhatTheFormWouldStore) {
  const ProcessResult r =
      Run({"edit", "@/radio.dig", "ch6.rxFreq=146.5", "ch1.txTone=D023N", "ch2.narrow=0",
           "squelchLevel=3", "fmRadio=0", "priorityChannel=2", "pttEndCode=D", "readPassword=AB"});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.out + r.err, "");
  EXPECT_EQ(
      ReadBytes(m_dir.File("radio.dig")),
      Patched(Golden("radio.dig"), {{48 + 0x60, {0x00, 0x00, 0x65, 0x14, 0x00, 0x00, 0x65, 0x14}},
                                    {48 + 0x1A, {0x23, 0x80}},
                                    {48 + 0x2C, {0x10}},
                                    {48 + 0x3C0, {0xF8, 0x03}},
                                    {48 + 0x3C6, {0x01}},
                                    {48 + 0x3E0, {0x0D}},
                                    {48 + 0x3B0, {10, 11, 0xFF, 0xFF, 0xFF, 0xFF}}}));
}

TEST_F(Cli, EditRefusesWhatTheFormWouldRefuseAndWritesNothing) {
  // clang-format off
  const std::pair<const char*, const char*> refusals[] = {
      {"ch17.rxFreq=146", "row"},        {"ch0.rxFreq=146", "row"},
      {"ch6.txFreq=146", "read-only"},   {"ch1.rxFreq=146.0.1", "text"},
      {"ch1.rxTone=88.6", "tone"},       {"squelchLevel=10", "entry"},
      {"model=3", "entry"},              {"model=x", "entry"},
      {"ch1.narrow=2", "bit"},           {"fmRadio=yes", "bit"},
      {"volume=1", "name"},              {"ch1.volume=1", "name"},
      {"chx.rxFreq=146", "name"},        {"ch1rxFreq=146", "name"},
  };
  // clang-format on
  for (const auto& [assignment, why] : refusals) {
    const ProcessResult r = Run({"edit", "@/radio.dig", "squelchLevel=1", assignment});
    EXPECT_EQ(r.exitStatus, 65) << Describe(r);
    EXPECT_EQ(r.err, "rondel-cli: T-edit " + std::string(why) + " " + assignment + "\n");
  }
  EXPECT_EQ(ReadBytes(m_dir.File("radio.dig")), ReadBytes(Golden("radio.dig")));
}

// diff: nothing and 0 for the same bytes, else the differences and 1, as diff(1); a file it
// cannot compare has info's status and message. A file cut short compares as info reads it.
TEST_F(Cli, DiffListsTheDifferencesAndExitsAsDiffDoes) {
  m_dir.WriteBytes("other.dig", Patched(Golden("radio.dig"), {{30, {'A'}},
                                                              {48 + 0x20, {0x00, 0x50}},
                                                              {48 + 0x3C1, {0x05}},
                                                              {48 + 0x3F8, {0x12}}}));
  const char* kText =
      "squelchLevel 7 → 5\n"
      "ch2.rxFreq 146.02500 → 146.05000\n"
      "header+0x1E 00 → 41\n"
      "0x3F8 FF → 12\n";
  const char* kJson =
      "{\"format\": 1, \"equal\": false, \"differences\": [\n"
      "  {\"field\": \"squelchLevel\", \"a\": \"7\", \"b\": \"5\"},\n"
      "  {\"field\": \"ch2.rxFreq\", \"a\": \"146.02500\", \"b\": \"146.05000\"},\n"
      "  {\"header\": \"0x1E\", \"a\": \"00\", \"b\": \"41\"},\n"
      "  {\"address\": \"0x3F8\", \"a\": \"FF\", \"b\": \"12\"}]}\n";
  const struct {
    std::vector<std::string> args;
    int status;
    std::string out;
    std::string err;
  } cases[] = {
      {{"diff", "@/radio.dig", "@/radio.dig"}, 0, "", ""},
      {{"diff", "@/radio.dig", "@/radio.dig", "--json"}, 0,
       "{\"format\": 1, \"equal\": true, \"differences\": []}\n", ""},
      {{"diff", "@/radio.dig", "@/other.dig"}, 1, kText, ""},
      {{"diff", "--json", "@/radio.dig", "@/other.dig"}, 1, kJson, ""},
      {{"diff", "@/other.dig", "@/radio.dig"}, 1,
       "squelchLevel 5 → 7\nch2.rxFreq 146.05000 → 146.02500\nheader+0x1E 41 → 00\n"
       "0x3F8 12 → FF\n",
       ""},
      // The byte short.dig lacks is blank in radio.dig too.
      {{"diff", "@/short.dig", "@/radio.dig"}, 0, "", "rondel-cli: @/short.dig: T-only 4143 bytes\n"},
      {{"diff", "@/radio.dig", "@/bad.dig"}, 3, "", "rondel-cli: @/bad.dig: T-not a data file\n"},
      {{"diff", "@/empty.dig", "@/radio.dig"}, 3, "", "rondel-cli: @/empty.dig: T-not a data file\n"},
      {{"diff", "@/radio.dig", "@/none.dig"}, 66, "",
       "rondel-cli: T-cannot open @/none.dig: No such file or directory\n"},
      {{"diff", "@/radio.dig"}, 64, "", "rondel-cli: T-missing diff A.dig B.dig\nT-tryhelp\n"},
      {{"diff", "@/radio.dig", "@/radio.dig", "x"}, 64, "", "rondel-cli: T-bad x\nT-tryhelp\n"},
  };
  for (const auto& c : cases) {
    const ProcessResult r = Run(c.args);
    SCOPED_TRACE(testing::PrintToString(c.args) + "\n" + Describe(r));
    EXPECT_EQ(r.exitStatus, c.status);
    EXPECT_EQ(r.out, c.out);
    EXPECT_EQ(r.err, At(c.err));
  }
  EXPECT_EQ(ReadBytes(m_dir.File("radio.dig")), ReadBytes(Golden("radio.dig")));
}

// The names diff lists are those edit takes: an edit of each kind of field is listed by the
// name it was made under.
TEST_F(Cli, DiffNamesWhatEditChangedByTheNamesItTook) {
  const std::vector<std::string> assignments = {
      "squelchLevel=3", "fmRadio=0", "pttEndCode=D", "readPassword=AB", "ch1.txTone=D023N",
      "ch2.narrow=0", "ch6.rxFreq=146.5"};
  std::vector<std::string> line = {"edit", "@/radio.dig", "-o", "@/edited.dig"};
  line.insert(line.end(), assignments.begin(), assignments.end());
  ASSERT_EQ(Run(line).exitStatus, 0);
  const ProcessResult r = Run({"diff", "@/radio.dig", "@/edited.dig"});
  ASSERT_EQ(r.exitStatus, 1) << Describe(r);
  std::vector<std::string> named;
  for (std::size_t at = 0; at < r.out.size(); at = r.out.find('\n', at) + 1)
    named.push_back(r.out.substr(at, r.out.find(' ', at) - at));
  EXPECT_EQ(named, (std::vector<std::string>{"fmRadio", "squelchLevel", "pttEndCode", "readPassword",
                                             "ch1.txTone", "ch2.narrow", "ch6.rxFreq", "ch6.txFreq"}));
}

// The longest names a folder takes are saved like any other, by each command that saves.
TEST_F(Cli, SavesUnderTheLongestFileNames) {
  for (const std::size_t length : {250u, 255u}) {
    const std::string name = "@/" + std::string(length, 'n');
    SCOPED_TRACE(length);
    ProcessResult r = Run({"new", "-o", name, "--model", "2"});
    EXPECT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_EQ(ReadBytes(At(name)), ReadBytes(Golden("new.dig")));
    r = Run({"edit", "@/radio.dig", "-o", name, "ch2.narrow=0"});
    EXPECT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_EQ(ReadBytes(At(name)), Patched(Golden("radio.dig"), {{48 + 0x2C, {0x10}}}));
    fs::remove(At(name));
  }
  EXPECT_EQ(ReadBytes(m_dir.File("radio.dig")), ReadBytes(Golden("radio.dig")));
}

// edit and import write through a link to the file they read, and keep the link; an output
// named by -o, or by new, that is a link is replaced, whatever it led to.
TEST_F(Cli, ALinkIsFollowedOnlyToTheFileTheCommandRead) {
  const std::vector<std::uint8_t> radio = ReadBytes(Golden("radio.dig"));
  const std::vector<std::uint8_t> edited = Patched(Golden("radio.dig"), {{48 + 0x2C, {0x10}}});
  const struct {
    const char* linkTo;
    std::vector<std::string> args;  // "@/link" is the link
    bool followed;                  // else the link is a file of the command's output
  } cases[] = {
      {"radio.dig", {"edit", "@/link", "ch2.narrow=0"}, true},
      {"radio.dig", {"import", "@/link", "@/good.csv"}, true},
      {"other.dig", {"edit", "@/radio.dig", "-o", "@/link", "ch2.narrow=0"}, false},
      {"gone.dig", {"new", "-o", "@/link"}, false},
      {"other.dig", {"export", "@/radio.dig", "-o", "@/link"}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::PrintToString(c.args));
    fs::copy_file(Golden("radio.dig"), m_dir.File("radio.dig"), fs::copy_options::overwrite_existing);
    m_dir.Write("other.dig", "other");
    fs::remove(m_dir.File("link"));
    fs::create_symlink(m_dir.File(c.linkTo), m_dir.File("link"));
    const ProcessResult r = Run(c.args);
    EXPECT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_EQ(fs::is_symlink(m_dir.File("link")), c.followed);
    EXPECT_EQ(ReadText(m_dir.File("other.dig")), "other");
    if (c.followed) {
      EXPECT_NE(ReadBytes(m_dir.File("radio.dig")), radio) << "changed through the link";
    } else {
      EXPECT_EQ(ReadBytes(m_dir.File("radio.dig")), radio);
    }
    if (c.args[0] == "edit") {
      EXPECT_EQ(ReadBytes(m_dir.File("link")), edited);
    }
  }
  EXPECT_FALSE(fs::exists(m_dir.File("gone.dig")));
}

// Whether the process `pid` has the file `id` open.
bool HasOpen(pid_t pid, const FileIdentity& id) {
  const std::string fds = "/proc/" + std::to_string(pid) + "/fd";
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(fds, ec))
    if (IdentityOf(e.path().string()) == id) return true;
  return false;
}

// Holds the lock another rondel-cli would hold while it changes the file.
struct HeldLock {
  int fd;
  explicit HeldLock(const std::string& path) : fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
  }
  ~HeldLock() { ::close(fd); }
};

// Two edits of one file at once take turns: whichever goes second changes the file the first
// one saved, so both changes are in it.
TEST_F(Cli, TwoEditsAtOnceBothLand) {
  const std::string file = m_dir.File("radio.dig");
  const FileIdentity before = *IdentityOf(file);
  auto holder = std::make_unique<HeldLock>(file);
  std::vector<std::string> line = {"--ini", At("@/setting.ini"), "--lang", At("@/test.lang"),
                                   "edit", file};
  auto with = [&](const char* assignment) {
    std::vector<std::string> args = line;
    args.push_back(assignment);
    return args;
  };
  Child first(BinDir() + "/rondel-cli", with("ch6.rxFreq=146.5"), m_dir.File("first.err"));
  Child second(BinDir() + "/rondel-cli", with("ch2.narrow=0"), m_dir.File("second.err"));
  ASSERT_TRUE(first.started() && second.started());
  // Both wait on the file as it was: neither has read anything yet.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(8);
  while (!(HasOpen(first.pid(), before) && HasOpen(second.pid(), before)) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::yield();
  ASSERT_TRUE(HasOpen(first.pid(), before) && HasOpen(second.pid(), before));
  EXPECT_EQ(ReadBytes(file), ReadBytes(Golden("radio.dig")));
  holder.reset();
  EXPECT_EQ(first.Wait(), 0) << ReadText(m_dir.File("first.err"));
  EXPECT_EQ(second.Wait(), 0) << ReadText(m_dir.File("second.err"));
  EXPECT_EQ(ReadBytes(file),
            Patched(Golden("radio.dig"),
                    {{48 + 0x60, {0x00, 0x00, 0x65, 0x14, 0x00, 0x00, 0x65, 0x14}},
                     {48 + 0x2C, {0x10}}}));
}

// An edit that waits longer than it may for the lock gives up, says why, and changes nothing.
TEST_F(Cli, AnEditThatCannotGetTheFileGivesUpAndChangesNothing) {
  HeldLock holder(m_dir.File("radio.dig"));
  const ProcessResult r = Run({"import", "@/radio.dig", "@/good.csv"});
  EXPECT_EQ(r.exitStatus, 75) << Describe(r);
  EXPECT_EQ(r.err, At("rondel-cli: T-locked 10 @/radio.dig\n"));
  EXPECT_EQ(ReadBytes(m_dir.File("radio.dig")), ReadBytes(Golden("radio.dig")));
}

}  // namespace
}  // namespace rondel::test::cli
