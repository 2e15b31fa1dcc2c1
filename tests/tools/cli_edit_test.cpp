// rondel-cli edit as a dealer runs it: assignments that change a data file the way the form
// does, in order; every assignment the form would not let through stops the command with the
// file untouched; the exit statuses of usage, input and output faults.
#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "support/temp_dir.h"
#include "tools/cli_harness.h"

namespace rondel::test::cli {
namespace {

struct Patch {
  std::size_t offset;
  std::vector<std::uint8_t> bytes;
};

constexpr std::uint8_t X = 0xFF;

// A new document of model 0 (400-470 MHz) of the shipped settings file, with channel 1 full
// (446.00625 both ways, 88.5 Hz both ways, the new channel's options) and channel 2 receive
// only (155 MHz lies outside the band, but a radio may carry anything).
ImageBytes StartImage() {
  ImageBytes image;
  image.fill(X);
  const std::size_t identAt[] = {0x3D0, 0x3D1, 0x3D3, 0x3D4, 0x3D5, 0x3D6};
  for (int i = 0; i < 6; ++i) image[identAt[i]] = static_cast<std::uint8_t>("NBT406"[i]);
  for (int n = 1; n <= 16; ++n) image[0x10 * static_cast<std::size_t>(n) + 12] = 0xEB;
  image[0x3C0] = 0x86;
  const std::uint8_t settings[] = {0x03, 0x00, 0x06, 0x05, 0x00, 0xFF, 0x00};
  std::copy(std::begin(settings), std::end(settings), image.begin() + 0x3C1);
  const std::uint8_t band[] = {0x00, 0x40, 0x00, 0x47};
  std::copy(std::begin(band), std::end(band), image.begin() + 0x3D8);
  const std::uint8_t ch1[] = {0x25, 0x06, 0x60, 0x44, 0x25, 0x06, 0x60, 0x44, 0x85, 0x08, 0x85, 0x08};
  std::copy(std::begin(ch1), std::end(ch1), image.begin() + 0x10);
  const std::uint8_t ch2[] = {0x00, 0x00, 0x50, 0x15};
  std::copy(std::begin(ch2), std::end(ch2), image.begin() + 0x20);
  return image;
}

ImageBytes Patched(ImageBytes image, const std::vector<Patch>& patches) {
  for (const Patch& p : patches) std::copy(p.bytes.begin(), p.bytes.end(), image.begin() + p.offset);
  return image;
}

// Blank with model `k`'s band code and the defaults of a new document: what a range change
// leaves.
ImageBytes NewDocument(std::vector<std::uint8_t> band) {
  ImageBytes image = Patched(StartImage(), {{0x10, std::vector<std::uint8_t>(12, X)},
                                            {0x20, std::vector<std::uint8_t>(4, X)}});
  std::copy(band.begin(), band.end(), image.begin() + 0x3D8);
  return image;
}

class CliEdit : public ::testing::Test {
 protected:
  std::vector<std::string> Command(const std::vector<std::string>& tail,
                                   const char* language = "english") const {
    std::vector<std::string> args = {"--ini", ShippedIniPath(), "--lang",
                                     BinDir() + "/" + language + ".lang", "edit"};
    args.insert(args.end(), tail.begin(), tail.end());
    return args;
  }
  TempDir m_dir;
  const std::vector<std::uint8_t> m_start = DataFile(StartImage());
  const std::string m_file = m_dir.WriteBytes("radio.dig", m_start);
  const std::string m_out = m_dir.File("out.dig");
};

// ---------------------------------------------------------------------------------------------
// Accepted

struct AcceptedCase {
  const char* name;
  std::vector<std::string> assignments;
  std::vector<Patch> changes;
  bool fromScratch = false;  // the image is the model 2 document, then the changes
};
void PrintTo(const AcceptedCase& c, std::ostream* os) { *os << c.name; }

const std::vector<AcceptedCase>& AcceptedCases() {
  static const std::vector<AcceptedCase> cases = {
      {"NewChannelTakesBothFrequencies", {"ch3.rxFreq=446.00625"},
       {{0x30, {0x25, 0x06, 0x60, 0x44, 0x25, 0x06, 0x60, 0x44}}}},
      {"BelowTheBandIsTheLowerEdge", {"ch3.rxFreq=5"},
       {{0x30, {0x00, 0x00, 0x00, 0x40, 0x00, 0x00, 0x00, 0x40}}}},
      {"AboveTheBandIsTheUpperEdge", {"ch3.rxFreq=480"},
       {{0x30, {0x00, 0x00, 0x00, 0x47, 0x00, 0x00, 0x00, 0x47}}}},
      {"ReceiveOnlyChannelGetsItsTransmitFrequency", {"ch2.txFreq=446.1"},
       {{0x24, {0x00, 0x00, 0x61, 0x44}}}},
      {"EmptyReceiveTextDeletesTheChannel", {"ch1.rxFreq="},
       {{0x10, std::vector<std::uint8_t>(12, X)}}},
      {"EmptyTransmitTextClearsItAndItsTone", {"ch1.txFreq="},
       {{0x14, {X, X, X, X}}, {0x1A, {X, X}}}},
      {"ReceiveToneTakesTheEqualTransmitToneAlong", {"ch1.rxTone=d023n"},
       {{0x18, {0x23, 0x80, 0x23, 0x80}}}},
      {"TransmitToneAlone", {"ch1.txTone=D754I"}, {{0x1A, {0x54, 0xC7}}}},
      {"OffByName", {"ch1.txTone=off"}, {{0x1A, {X, X}}}},
      {"OffByTheLanguagesText", {"ch1.rxTone=Off"}, {{0x18, {X, X, X, X}}}},
      {"OffByEmptyText", {"ch1.rxTone="}, {{0x18, {X, X, X, X}}}},
      {"OptionBits", {"ch1.highPower=0", "ch1.opt5Off=1", "ch2.narrow=1"},
       {{0x1C, {0xF3}}, {0x2C, {0xEF}}}},
      {"SettingsLists", {"squelchLevel=9", "txTimeout=0", "voicePrompt=2", "pttIdMode=3",
                         "scanMode=1", "sideKey1=6", "sideKey2=5", "voxLevel=1", "voxDelay=5"},
       {{0x3C0, {0xFA}}, {0x3C1, {0x09, 0x06, 0x00, 0x01, 0x05}}, {0x3C7, {0x05}}}},
      {"CheckBoxes", {"fmRadio=1", "batterySaver=0"}, {{0x3C0, {0x85}}}},
      {"PriorityChannel", {"priorityChannel=2"}, {{0x3C6, {0x01}}}},
      {"PriorityOff", {"priorityChannel=2", "priorityChannel=0"}, {}},
      {"DeletingThePriorityChannelResetsIt", {"priorityChannel=1", "ch1.rxFreq="},
       {{0x10, std::vector<std::uint8_t>(12, X)}}},
      {"Codes", {"pttStartCode=12ab", "pttEndCode=D", "readPassword=42AB"},
       {{0x3A0, {1, 2, 10, 11}}, {0x3E0, {13}}, {0x3B0, {4, 2, 10, 11}}}},
      {"RangeChangeErasesTheChannels", {"model=2"}, {}, true},
      {"AssignmentsRunInOrder", {"model=2", "ch1.rxFreq=150", "ch1.txFreq=500"},
       {{0x10, {0x00, 0x00, 0x00, 0x15, 0x00, 0x00, 0x40, 0x17}}}, true},
  };
  return cases;
}

class CliEditAccepted : public CliEdit, public ::testing::WithParamInterface<AcceptedCase> {};

TEST_P(CliEditAccepted, WritesWhatTheFormWouldStore) {
  const AcceptedCase& c = GetParam();
  std::vector<std::string> tail = {m_file, "-o", m_out};
  tail.insert(tail.end(), c.assignments.begin(), c.assignments.end());
  const ProcessResult r = RunCli(Command(tail));
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");
  const ImageBytes base = c.fromScratch ? NewDocument({0x60, 0x13, 0x40, 0x17}) : StartImage();
  EXPECT_EQ(ReadBytes(m_out), DataFile(Patched(base, c.changes)));
  EXPECT_EQ(ReadBytes(m_file), m_start) << "FILE itself stays as it was";
}

INSTANTIATE_TEST_SUITE_P(Assignments, CliEditAccepted, ::testing::ValuesIn(AcceptedCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliEdit, WithoutAnOutputTheFileItselfIsRewritten) {
  const ProcessResult r = RunCli(Command({m_file, "squelchLevel=0"}));
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(ReadBytes(m_file), DataFile(Patched(StartImage(), {{0x3C1, {0x00}}})));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(m_dir.path()),
                          std::filesystem::directory_iterator()),
            1)
      << "no temporary file is left behind";
}

// ---------------------------------------------------------------------------------------------
// Refused: exit 65, the assignment named, nothing written

struct RefusedCase {
  const char* name;
  std::vector<std::string> assignments;
  const char* culprit;
  const char* reason;  // the English text of the refusal
};
void PrintTo(const RefusedCase& c, std::ostream* os) { *os << c.name; }

const std::vector<RefusedCase>& RefusedCases() {
  static const std::vector<RefusedCase> cases = {
      {"ChannelPastTheRows", {"ch17.rxFreq=446"}, "ch17.rxFreq=446", "The form shows no such channel:"},
      {"ChannelZero", {"ch0.rxFreq=446"}, "ch0.rxFreq=446", "The form shows no such channel:"},
      {"TransmitOfAnEmptyChannel", {"ch3.txFreq=446"}, "ch3.txFreq=446",
       "The form does not let this cell be edited while the channel is in this state:"},
      {"TransmitToneWithoutTransmitFrequency", {"ch2.txTone=88.5"}, "ch2.txTone=88.5",
       "The form does not let this cell be edited while the channel is in this state:"},
      {"OptionOfAnEmptyChannel", {"ch3.narrow=1"}, "ch3.narrow=1",
       "The form does not let this cell be edited while the channel is in this state:"},
      {"SecondPoint", {"ch1.rxFreq=446.0.1"}, "ch1.rxFreq=446.0.1",
       "The field does not accept this text:"},
      {"TenthCharacter", {"ch1.rxFreq=446.006250"}, "ch1.rxFreq=446.006250",
       "The field does not accept this text:"},
      {"CodeLetterPastD", {"pttStartCode=12E"}, "pttStartCode=12E",
       "The field does not accept this text:"},
      {"SevenCharacterPassword", {"readPassword=1234567"}, "readPassword=1234567",
       "The field does not accept this text:"},
      {"ToneNotListed", {"ch1.rxTone=88.6"}, "ch1.rxTone=88.6", "The tone list has no such tone:"},
      {"MalformedDcs", {"ch1.rxTone=D12"}, "ch1.rxTone=D12", "The tone list has no such tone:"},
      {"SquelchTen", {"squelchLevel=10"}, "squelchLevel=10", "The list has no such entry:"},
      {"SeventhVoxDelay", {"voxDelay=6"}, "voxDelay=6", "The list has no such entry:"},
      {"NotANumber", {"voicePrompt=two"}, "voicePrompt=two", "The list has no such entry:"},
      {"ModelNotListed", {"model=4"}, "model=4", "The list has no such entry:"},
      {"PriorityOfAnEmptyChannel", {"priorityChannel=3"}, "priorityChannel=3",
       "The list has no such entry:"},
      {"OptionTwo", {"ch1.narrow=2"}, "ch1.narrow=2", "Only 0 or 1:"},
      {"CheckBoxWord", {"fmRadio=yes"}, "fmRadio=yes", "Only 0 or 1:"},
      {"UnknownChannelField", {"ch1.volume=3"}, "ch1.volume=3", "No such field:"},
      {"TheNumberColumn", {"ch1.channel=5"}, "ch1.channel=5", "No such field:"},
      {"UnknownSetting", {"volume=3"}, "volume=3", "No such field:"},
      {"NameInOtherCase", {"SquelchLevel=3"}, "SquelchLevel=3", "No such field:"},
      {"AfterGoodOnes", {"squelchLevel=9", "ch1.rxFreq=", "ch1.txTone=88.5"}, "ch1.txTone=88.5",
       "The form does not let this cell be edited while the channel is in this state:"},
  };
  return cases;
}

class CliEditRefused : public CliEdit, public ::testing::WithParamInterface<RefusedCase> {};

TEST_P(CliEditRefused, StopsNamingTheAssignmentAndWritesNothing) {
  const RefusedCase& c = GetParam();
  for (const bool inPlace : {false, true}) {
    SCOPED_TRACE(inPlace ? "in place" : "with -o");
    std::vector<std::string> tail = {m_file};
    if (!inPlace) tail.insert(tail.end(), {"-o", m_out});
    tail.insert(tail.end(), c.assignments.begin(), c.assignments.end());
    const ProcessResult r = RunCli(Command(tail));
    EXPECT_EQ(r.exitStatus, 65) << Describe(r);
    EXPECT_EQ(r.err, std::string("rondel-cli: ") + c.reason + " " + c.culprit + "\n");
    EXPECT_EQ(ReadBytes(m_file), m_start);
    EXPECT_FALSE(std::filesystem::exists(m_out));
  }
}

INSTANTIATE_TEST_SUITE_P(Assignments, CliEditRefused, ::testing::ValuesIn(RefusedCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CliEdit, RefusalsAreWordedByTheLanguageFile) {
  const ProcessResult r = RunCli(Command({m_file, "ch1.narrow=2"}, "chinese"));
  EXPECT_EQ(r.exitStatus, 65) << Describe(r);
  EXPECT_EQ(r.err, "rondel-cli: 只能是 0 或 1： ch1.narrow=2\n");
}

// ---------------------------------------------------------------------------------------------
// Exit statuses of the command line itself

TEST_F(CliEdit, ExitStatusesForUsageInputAndOutput) {
  m_dir.WriteBytes("foreign.dig", DataFile(StartImage(), "Some other program's data"));
  const struct {
    const char* name;
    std::vector<std::string> tail;
    int status;
  } cases[] = {
      {"no file", {}, 64},
      {"no assignment", {m_file}, 64},
      {"an assignment without =", {m_file, "squelchLevel", "voxLevel=1"}, 64},
      {"file missing", {m_dir.File("gone.dig"), "squelchLevel=1"}, 66},
      {"not a data file", {m_dir.File("foreign.dig"), "squelchLevel=1"}, 3},
      {"output folder missing", {m_file, "-o", m_dir.File("no/such/folder.dig"), "squelchLevel=1"}, 73},
  };
  for (const auto& c : cases) {
    const ProcessResult r = RunCli(Command(c.tail));
    EXPECT_EQ(r.exitStatus, c.status) << c.name << "\n" << Describe(r);
    EXPECT_NE(r.err, "") << c.name;
    EXPECT_EQ(ReadBytes(m_file), m_start) << c.name;
  }
}

}  // namespace
}  // namespace rondel::test::cli
