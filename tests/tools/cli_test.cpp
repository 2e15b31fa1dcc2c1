// rondel-cli as a user runs it: the files "new" writes, the exit statuses, and "info" on files
// of every length.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <set>

#include "support/json.h"
#include "support/temp_dir.h"
#include "tools/cli_harness.h"
#include "tools/expected_listing.h"

namespace rondel::test::cli {
namespace {

namespace fs = std::filesystem;

std::set<std::string> Listing(const std::string& dir) {
  std::set<std::string> names;
  for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
  return names;
}

std::string Names(const std::set<std::string>& names) {
  std::string s;
  for (const auto& n : names) s += (s.empty() ? "" : ", ") + n;
  return "{" + s + "}";
}

// The image of a new document: blank, the chosen model's band code, and the defaults of a new
// document (model identification, channel options, radio-wide settings).
ImageBytes NewDocumentImage(const std::array<std::uint8_t, 4>& bandCode) {
  ImageBytes image = BlankImage();
  const char ident[] = "NBT406";
  const std::size_t identAt[] = {0x3D0, 0x3D1, 0x3D3, 0x3D4, 0x3D5, 0x3D6};
  for (int i = 0; i < 6; ++i) image[identAt[i]] = static_cast<std::uint8_t>(ident[i]);
  for (int n = 1; n <= 16; ++n) image[0x10 * static_cast<std::size_t>(n) + 12] = 0xEB;
  image[0x3C0] = 0x86;
  const std::uint8_t settings[] = {0x03, 0x00, 0x06, 0x05, 0x00, 0xFF, 0x00};
  std::copy(std::begin(settings), std::end(settings), image.begin() + 0x3C1);
  std::copy(bandCode.begin(), bandCode.end(), image.begin() + 0x3D8);
  return image;
}

std::string FirstDifferences(const std::vector<std::uint8_t>& want,
                             const std::vector<std::uint8_t>& got) {
  std::string s;
  int shown = 0;
  for (std::size_t i = 0; i < std::min(want.size(), got.size()) && shown < 12; ++i) {
    if (want[i] == got[i]) continue;
    char line[80];
    std::snprintf(line, sizeof line, "  file offset %zu (image 0x%03zX): want %02X, got %02X\n", i,
                  i >= kHeaderBytes ? i - kHeaderBytes : 0, unsigned{want[i]}, unsigned{got[i]});
    s += line;
    ++shown;
  }
  return s;
}

std::optional<json::Value> ParseListing(const ProcessResult& r) {
  const json::ParseResult parsed = json::Parse(r.out);
  if (!parsed.ok) {
    ADD_FAILURE() << "the listing is not valid JSON: " << parsed.error << "\n" << Describe(r);
    return std::nullopt;
  }
  return parsed.value;
}

void ExpectListing(const ProcessResult& r, const json::Value& expected) {
  ASSERT_TRUE(r.started) << Describe(r);
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.err, "");
  const auto listing = ParseListing(r);
  if (!listing) return;
  const auto diffs = Differences(expected, *listing);
  std::string text;
  for (const auto& d : diffs) text += "  " + d + "\n";
  EXPECT_TRUE(diffs.empty()) << diffs.size() << " differences:\n" << text;
}

// The settings files a command line can name: the one shipped beside the program (used when
// no --ini is given) or ours.
enum class Ini { Shipped, Test };

std::vector<std::string> ShippedModelValues() {
  return {"00400047", "00400048", "60134017", "00430044"};
}

// ---------------------------------------------------------------------------------------------
// new -o OUT [--model K]

struct NewCase {
  const char* name;
  Ini ini;
  const char* model;  // nullptr: no --model
  std::array<std::uint8_t, 4> bandCode;
  int foundIndex;  // what info then reports as the model
  std::int64_t bandLow;
  std::int64_t bandHigh;
};

const NewCase kNewCases[] = {
    {"ShippedDefaultModel", Ini::Shipped, nullptr, {0x00, 0x40, 0x00, 0x47}, 0, 40000000, 47000000},
    {"ShippedModel0", Ini::Shipped, "0", {0x00, 0x40, 0x00, 0x47}, 0, 40000000, 47000000},
    {"ShippedModel1", Ini::Shipped, "1", {0x00, 0x40, 0x00, 0x48}, 1, 40000000, 48000000},
    {"ShippedModel2", Ini::Shipped, "2", {0x60, 0x13, 0x40, 0x17}, 2, 13600000, 17400000},
    {"ShippedModel3", Ini::Shipped, "3", {0x00, 0x43, 0x00, 0x44}, 3, 43000000, 44000000},
    // data0 and data3 carry the same code: the later index is the model found.
    {"TestDefaultModel", Ini::Test, nullptr, {0x00, 0x40, 0x00, 0x47}, 3, 40000000, 47000000},
    {"TestModel0", Ini::Test, "0", {0x00, 0x40, 0x00, 0x47}, 3, 40000000, 47000000},
    {"TestModel1UpperCaseKey", Ini::Test, "1", {0x60, 0x13, 0x40, 0x17}, 1, 13600000, 17400000},
    // Lower-case hex is hex; the band digits "a" and "b" end the numbers at once.
    {"TestModel2LowerCaseHex", Ini::Test, "2", {0x00, 0xA4, 0x00, 0xB5}, 2, 0, 0},
    {"TestModel3RepeatsModel0", Ini::Test, "3", {0x00, 0x40, 0x00, 0x47}, 3, 40000000, 47000000},
    // "G" is (0x47 - 55) & 15 = 0 as a nibble, and ends the upper band number "52G".
    {"TestModel4NonHexCharacter", Ini::Test, "4", {0x25, 0x13, 0x00, 0x52}, 4, 13200000, 5200000},
    {"TestModel5LongEntry", Ini::Test, "5", {0x00, 0x45, 0x00, 0x46}, 5, 45000000, 46000000},
    // Models 6 and beyond are no entries of the list, which ends at the empty data6: they are
    // refused (CliNewOutsideTheModelList) rather than given the band code FF FF FF FF.
};

void PrintTo(const NewCase& c, std::ostream* os) { *os << c.name; }

class CliNew : public ::testing::TestWithParam<NewCase> {};

TEST_P(CliNew, WritesTheNewDocumentOfTheModelAndListsItBack) {
  const NewCase& c = GetParam();
  TempDir dir;
  std::vector<std::string> prefix;
  if (c.ini == Ini::Test) prefix = {"--ini", dir.Write("test.ini", TestIniText())};
  const std::string out = dir.File("new.dig");

  std::vector<std::string> args = prefix;
  args.insert(args.end(), {"new", "-o", out});
  if (c.model) args.insert(args.end(), {"--model", c.model});
  const ProcessResult r = RunCli(args);
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err, "");

  const std::vector<std::uint8_t> file = ReadBytes(out);
  ASSERT_EQ(file.size(), kFileBytes);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 30), kHeaderText);
  EXPECT_EQ(std::vector<std::uint8_t>(file.begin() + 48 + 0x3D8, file.begin() + 48 + 0x3DC),
            std::vector<std::uint8_t>(c.bandCode.begin(), c.bandCode.end()));
  const ImageBytes want = NewDocumentImage(c.bandCode);
  const std::vector<std::uint8_t> wantImage(want.begin(), want.end());
  const std::vector<std::uint8_t> gotImage(file.begin() + 48, file.end());
  EXPECT_EQ(gotImage, wantImage) << FirstDifferences(DataFile(want), file);

  std::vector<std::string> info = prefix;
  info.insert(info.end(), {"info", out, "--json"});
  const ProcessResult listed = RunCli(info);
  ASSERT_EQ(listed.exitStatus, 0) << Describe(listed);
  const auto listing = ParseListing(listed);
  ASSERT_TRUE(listing);
  const json::Value* model = At(*listing, "model");
  ASSERT_TRUE(model);
  char hex[9];
  std::snprintf(hex, sizeof hex, "%02X%02X%02X%02X", unsigned{c.bandCode[0]},
                unsigned{c.bandCode[1]}, unsigned{c.bandCode[2]}, unsigned{c.bandCode[3]});
  EXPECT_EQ(json::ToText(*model),
            json::ToText(json::Object{{"index", c.foundIndex},
                                      {"bandCode", hex},
                                      {"bandLow", c.bandLow},
                                      {"bandHigh", c.bandHigh}}));
  ExpectListing(listed, ExpectedListing(want, c.ini == Ini::Test ? TestModelValues()
                                                                 : ShippedModelValues()));
}

INSTANTIATE_TEST_SUITE_P(Models, CliNew, ::testing::ValuesIn(kNewCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CliNewFile, ReplacesAnExistingFileAndLeavesNoTemporaryFileBehind) {
  TempDir dir;
  const std::string out = dir.Write("radio.dig", std::string(6000, 'x'));
  dir.Write("keep.txt", "mine");
  for (const char* model : {"1", "0"}) {
    const ProcessResult r = RunCli({"new", "-o", out, "--model", model});
    ASSERT_EQ(r.exitStatus, 0) << Describe(r);
    EXPECT_EQ(Listing(dir.path()), (std::set<std::string>{"keep.txt", "radio.dig"}))
        << "after --model " << model;
  }
  EXPECT_EQ(ReadBytes(out), DataFile(NewDocumentImage({0x00, 0x40, 0x00, 0x47})));
  EXPECT_EQ(ReadText(dir.File("keep.txt")), "mine");
}

// ---------------------------------------------------------------------------------------------
// Exit statuses. In the arguments, "@" stands for the test's folder, which holds test.ini, a
// good data file good.dig, a data file with a wrong header bad.dig and an empty folder sub.

enum class Out { Empty, Something };

struct ExitCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  Out out;
};

const ExitCase kExitCases[] = {
    {"NoArguments", {}, 64, Out::Empty},
    {"OnlyTheIniOption", {"--ini", "@/test.ini"}, 64, Out::Empty},
    {"UnknownCommand", {"frobnicate"}, 64, Out::Empty},
    {"UnknownOption", {"--bogus"}, 64, Out::Empty},
    {"UnknownOptionAfterCommand", {"new", "-o", "@/out.dig", "--bogus"}, 64, Out::Empty},
    {"IniWithoutPath", {"--ini"}, 64, Out::Empty},
    {"NewWithoutOutput", {"new"}, 64, Out::Empty},
    {"NewWithOutputOptionButNoPath", {"new", "-o"}, 64, Out::Empty},
    {"NewWithExtraArgument", {"new", "-o", "@/out.dig", "extra"}, 64, Out::Empty},
    {"NewModelWithoutNumber", {"new", "-o", "@/out.dig", "--model"}, 64, Out::Empty},
    {"NewModel16", {"new", "-o", "@/out.dig", "--model", "16"}, 64, Out::Empty},
    {"NewModelMinus1", {"new", "-o", "@/out.dig", "--model", "-1"}, 64, Out::Empty},
    {"NewModelAbc", {"new", "-o", "@/out.dig", "--model", "abc"}, 64, Out::Empty},
    {"NewModelTrailingText", {"new", "-o", "@/out.dig", "--model", "1x"}, 64, Out::Empty},
    {"NewModelHuge", {"new", "-o", "@/out.dig", "--model", "99999999999"}, 64, Out::Empty},
    {"NewModel4OfTheShippedFourEntries", {"new", "-o", "@/out.dig", "--model", "4"}, 64, Out::Empty},
    {"InfoWithoutFile", {"info", "--json"}, 64, Out::Empty},
    {"InfoWithoutJsonListsReadably", {"info", "@/good.dig"}, 0, Out::Something},
    {"NewModelEmpty", {"new", "-o", "@/out.dig", "--model", ""}, 64, Out::Empty},
    {"InfoWithTwoFiles", {"info", "@/good.dig", "@/good.dig", "--json"}, 64, Out::Empty},
    {"InfoMissingFile", {"info", "@/missing.dig", "--json"}, 66, Out::Empty},
    {"InfoOfAFolder", {"info", "@/sub", "--json"}, 66, Out::Empty},
    {"NewMissingIni", {"--ini", "@/none.ini", "new", "-o", "@/out.dig"}, 66, Out::Empty},
    {"InfoMissingIni", {"--ini", "@/none.ini", "info", "@/good.dig", "--json"}, 66, Out::Empty},
    {"NewIntoMissingFolder", {"new", "-o", "@/nowhere/out.dig"}, 73, Out::Empty},
    {"NewOntoAFolder", {"new", "-o", "@/sub"}, 73, Out::Empty},
    {"NewOntoAFolderWithTestIni", {"--ini", "@/test.ini", "new", "-o", "@/sub"}, 73, Out::Empty},
    {"InfoWrongHeader", {"info", "@/bad.dig", "--json"}, 3, Out::Empty},
    {"InfoWrongHeaderWithTestIni", {"--ini", "@/test.ini", "info", "@/bad.dig", "--json"}, 3,
     Out::Empty},
    {"Help", {"--help"}, 0, Out::Something},
};

void PrintTo(const ExitCase& c, std::ostream* os) { *os << c.name; }

class CliExit : public ::testing::TestWithParam<ExitCase> {};

TEST_P(CliExit, StatusAndStreams) {
  const ExitCase& c = GetParam();
  TempDir dir;
  dir.Write("test.ini", TestIniText());
  dir.WriteBytes("good.dig", DataFile(BlankImage()));
  std::vector<std::uint8_t> bad = DataFile(BlankImage());
  bad[0] = 'Q';
  dir.WriteBytes("bad.dig", bad);
  fs::create_directory(dir.File("sub"));
  const auto before = Listing(dir.path());

  std::vector<std::string> args;
  for (const std::string& a : c.args)
    args.push_back(a.starts_with("@") ? dir.path() + a.substr(1) : a);
  const ProcessResult r = RunCli(args);
  ASSERT_TRUE(r.started) << Describe(r);
  EXPECT_EQ(r.exitStatus, c.status) << Describe(r);
  if (c.out == Out::Empty) {
    EXPECT_EQ(r.out, "") << "nothing belongs on standard output";
  } else {
    EXPECT_NE(r.out, "");
  }
  if (c.status != 0) {
    EXPECT_NE(r.err, "") << "a failure must say why on standard error";
  }
  // A command that fails leaves the folder as it was: no output, no temporary file.
  EXPECT_EQ(Names(Listing(dir.path())), Names(before));
  EXPECT_TRUE(fs::is_empty(dir.File("sub")));
}

INSTANTIATE_TEST_SUITE_P(Lines, CliExit, ::testing::ValuesIn(kExitCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// info on files of every length and header.

// An image with something in the first two channels and the radio-wide block.
ImageBytes SampleImage() {
  ImageBytes image = BlankImage();
  const std::uint8_t ch1[16] = {0x25, 0x06, 0x60, 0x44, 0x50, 0x12, 0x60, 0x44,
                                0x85, 0x08, 0x23, 0x80, 0x5A, 0x11, 0x22, 0x33};
  const std::uint8_t ch2[16] = {0x00, 0x00, 0x00, 0x99, 0x12, 0x34, 0x56, 0x9A,
                                0x54, 0xC7, 0x67, 0x01, 0x04, 0xFF, 0xFF, 0xFF};
  std::copy(std::begin(ch1), std::end(ch1), image.begin() + 0x10);
  std::copy(std::begin(ch2), std::end(ch2), image.begin() + 0x20);
  const std::uint8_t radio[8] = {0x3B, 0x04, 0x02, 0x0A, 0x09, 0x07, 0x02, 0x05};
  std::copy(std::begin(radio), std::end(radio), image.begin() + 0x3C0);
  const std::uint8_t code[4] = {1, 2, 10, 0xFF};
  std::copy(std::begin(code), std::end(code), image.begin() + 0x3A0);
  const std::uint8_t band[4] = {0x60, 0x13, 0x40, 0x17};
  std::copy(std::begin(band), std::end(band), image.begin() + 0x3D8);
  for (int i = 0; i < 7; ++i) image[0x3F0 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(40 + i);
  return image;
}

struct FileCase {
  const char* name;
  std::vector<std::uint8_t> (*bytes)();
  int status;
  bool incomplete = false;  // listed, with a warning on stderr that names the length found
};

std::vector<std::uint8_t> Full() { return DataFile(SampleImage()); }
std::vector<std::uint8_t> Truncated(std::size_t size) {
  std::vector<std::uint8_t> b = Full();
  b.resize(size);
  return b;
}
std::vector<std::uint8_t> WithByte(std::size_t at, std::uint8_t value) {
  std::vector<std::uint8_t> b = Full();
  b[at] = value;
  return b;
}

const FileCase kFileCases[] = {
    {"ZeroLength", [] { return std::vector<std::uint8_t>{}; }, 0},
    {"OnlyTheHeaderText30Bytes", [] { return Truncated(30); }, 0, true},
    {"OnlyTheHeader48Bytes", [] { return Truncated(48); }, 0, true},
    // Too short to hold the compared text: not a data file, even though the blank header
    // would supply the rest.
    {"ElevenBytesOfTheHeaderText", [] { return Truncated(11); }, 3},
    {"OnlyTheLetterP", [] { return std::vector<std::uint8_t>{'P'}; }, 3},
    {"OneWrongByte", [] { return std::vector<std::uint8_t>{'X'}; }, 3},
    {"ImageCutInsideChannel2", [] { return Truncated(48 + 0x20 + 5); }, 0, true},
    {"ImageCutBeforeTheLastByte", [] { return Truncated(kFileBytes - 1); }, 0, true},
    {"Exact", Full, 0},
    {"LongerThanAFile",
     [] {
       std::vector<std::uint8_t> b = Full();
       b.insert(b.end(), 5000, 0x00);
       return b;
     },
     0},
    {"OtherVersionAndReservedBytes",
     [] {
       std::vector<std::uint8_t> b = DataFile(SampleImage(), "Pelto Radio Program data v9.99");
       for (std::size_t i = 30; i < 48; ++i) b[i] = static_cast<std::uint8_t>(i * 7);
       return b;
     },
     0},
    {"FirstByteDiffers", [] { return WithByte(0, 'Q'); }, 3},
    {"LastComparedByteDiffers", [] { return WithByte(23, 'A'); }, 3},
    {"ByteAfterTheComparedTextDiffers", [] { return WithByte(24, '_'); }, 0},
};

void PrintTo(const FileCase& c, std::ostream* os) { *os << c.name; }

class CliInfoFile : public ::testing::TestWithParam<FileCase> {};

TEST_P(CliInfoFile, ListsWhatTheFileHoldsOrRejectsIt) {
  const FileCase& c = GetParam();
  TempDir dir;
  const std::string ini = dir.Write("test.ini", TestIniText());
  const std::vector<std::uint8_t> bytes = c.bytes();
  const std::string file = dir.WriteBytes("in.dig", bytes);
  const ProcessResult r = RunCli({"--ini", ini, "info", file, "--json"});
  ASSERT_TRUE(r.started) << Describe(r);
  if (c.status != 0) {
    EXPECT_EQ(r.exitStatus, c.status) << Describe(r);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err, "");
    return;
  }
  // What a short file leaves out stays blank; what a long one has beyond 4144 bytes is ignored.
  ImageBytes image = BlankImage();
  for (std::size_t i = kHeaderBytes; i < std::min(bytes.size(), kFileBytes); ++i)
    image[i - kHeaderBytes] = bytes[i];
  if (c.incomplete) {
    // Said once, with the length found; the listing itself is as for any file.
    EXPECT_NE(r.err.find(" " + std::to_string(bytes.size()) + " "), std::string::npos) << r.err;
    EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 2) << r.err;
    ProcessResult quiet = r;
    quiet.err.clear();
    ExpectListing(quiet, ExpectedListing(image, TestModelValues()));
    return;
  }
  ExpectListing(r, ExpectedListing(image, TestModelValues()));
}

INSTANTIATE_TEST_SUITE_P(Files, CliInfoFile, ::testing::ValuesIn(kFileCases),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// The worked examples of the byte layout, each on an otherwise blank image.

struct ExampleCase {
  const char* name;
  std::size_t offset;
  std::vector<std::uint8_t> bytes;
  const char* path;
  json::Value expected;
};

const ExampleCase kExamples[] = {
    {"Frequency446", 0x10, {0x25, 0x06, 0x60, 0x44}, "channels[0].rxFreq", "446.00625"},
    {"FrequencyWithoutLeadingZero", 0x10, {0x00, 0x00, 0x00, 0x05}, "channels[0].rxFreq", "50.00000"},
    {"FrequencyZero", 0x24, {0x00, 0x00, 0x00, 0x00}, "channels[1].txFreq", "00.00000"},
    {"Frequency99IsSet", 0x10, {0x00, 0x00, 0x00, 0x99}, "channels[0].rxFreq", "990.00000"},
    {"Frequency9AIsEmpty", 0x10, {0x00, 0x00, 0x00, 0x9A}, "channels[0].rxFreq", ""},
    {"FrequencyOfChannel16", 0x100, {0x75, 0x43, 0x21, 0x01}, "channels[15].rxFreq", "12.14375"},
    {"ToneCtcss", 0x18, {0x85, 0x08}, "channels[0].rxTone", "88.5"},
    {"ToneDcsNormal", 0x1A, {0x23, 0x80}, "channels[0].txTone", "D023N"},
    {"ToneDcsInverted", 0x18, {0x54, 0xC7}, "channels[0].rxTone", "D754I"},
    {"ToneOffWhateverTheLowByte", 0x18, {0x12, 0xFF}, "channels[0].rxTone", nullptr},
    {"ToneOfAnEmptyChannelIsListed", 0x2A, {0x70, 0x06}, "channels[1].txTone", "67.0"},
    {"PriorityStored0IsChannel1", 0x3C6, {0x00}, "settings.priorityChannel", 1},
    {"PriorityStored15IsChannel16", 0x3C6, {0x0F}, "settings.priorityChannel", 16},
    {"PriorityFFIsOff", 0x3C6, {0xFF}, "settings.priorityChannel", 0},
    {"PriorityStored0xFEReadsAs255", 0x3C6, {0xFE}, "settings.priorityChannel", 255},
    {"TxTimeoutFFReads10", 0x3C3, {0xFF}, "settings.txTimeout", 10},
    {"SquelchFFReads9", 0x3C1, {0xFF}, "settings.squelchLevel", 9},
    {"VoicePrompt3Reads2", 0x3C0, {0x0C}, "settings.voicePrompt", 2},
    {"VoxDelay6Stays6", 0x3C7, {0x06}, "settings.voxDelay", 6},
    {"VoxDelay7Reads6", 0x3C7, {0x07}, "settings.voxDelay", 6},
    {"PttIdMode3", 0x3C0, {0x30}, "settings.pttIdMode", 3},
    {"CodeWithLetter", 0x3A0, {0x01, 0x02, 0x0A, 0xFF}, "pttStartCode", "12A"},
    {"CodeStartingWith0E", 0x3E0, {0x0E, 0x01}, "pttEndCode", ""},
    {"CodeOfFifteenDigits", 0x3E0, {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 0}, "pttEndCode",
     "0123456789ABCD0"},
    {"PasswordEndsAt62", 0x3B0, {36, 61, 35, 62, 1, 2}, "readPassword", "azZ"},
    {"PasswordOfSix", 0x3B0, {0, 9, 10, 35, 36, 61}, "readPassword", "09AZaz"},
    {"Calibration", 0x3F0, {0, 1, 2, 3, 4, 255}, "calibration", json::Array{0, 1, 2, 3, 4, 255}},
    {"CalibrationLast", 0x3F6, {5}, "calibrationLast", 5},
    {"Opt5OffIsBit4", 0x1C, {0x10}, "channels[0]", json::Object{
        {"channel", 1}, {"rxFreq", ""}, {"txFreq", ""}, {"rxTone", nullptr}, {"txTone", nullptr},
        {"opt5Off", 1}, {"narrow", 0}, {"highPower", 0}, {"opt8Off", 0}, {"opt9Off", 0},
        {"opt10Off", 0}, {"opt11Off", 0}}},
    {"BandCodeUpperCaseHex", 0x3D8, {0xAB, 0xCD, 0x0E, 0xF1}, "model.bandCode", "ABCD0EF1"},
    {"BandCodeOfARepeatedEntry", 0x3D8, {0x00, 0x40, 0x00, 0x47}, "model.index", 3},
};

void PrintTo(const ExampleCase& c, std::ostream* os) { *os << c.name; }

class CliInfoExample : public ::testing::TestWithParam<ExampleCase> {};

TEST_P(CliInfoExample, ShowsTheValue) {
  const ExampleCase& c = GetParam();
  TempDir dir;
  ImageBytes image = BlankImage();
  std::copy(c.bytes.begin(), c.bytes.end(), image.begin() + static_cast<std::ptrdiff_t>(c.offset));
  const std::string file = dir.WriteBytes("in.dig", DataFile(image));
  const ProcessResult r =
      RunCli({"--ini", dir.Write("test.ini", TestIniText()), "info", file, "--json"});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  const auto listing = ParseListing(r);
  ASSERT_TRUE(listing);
  const json::Value* v = At(*listing, c.path);
  ASSERT_TRUE(v) << c.path << " is missing";
  EXPECT_EQ(json::ToText(*v), json::ToText(c.expected)) << c.path;
}

INSTANTIATE_TEST_SUITE_P(Layout, CliInfoExample, ::testing::ValuesIn(kExamples),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// A settings file with seventeen models: the lookup knows data0 to data15 only.

struct LookupCase {
  const char* name;
  std::array<std::uint8_t, 4> bandCode;
  int index;
  std::int64_t bandLow;
};

const LookupCase kLookupCases[] = {
    {"First", {0x00, 0x10, 0x00, 0x90}, 0, 10000000},
    {"Fifteenth", {0x00, 0x25, 0x00, 0x90}, 15, 25000000},
    // data16 repeats data1's code, but is never read: data1 stays the model.
    {"RepeatedOnlyBeyondTheList", {0x00, 0x11, 0x00, 0x90}, 1, 11000000},
    {"NotListed", {0x00, 0x99, 0x00, 0x99}, 0, 10000000},
};

void PrintTo(const LookupCase& c, std::ostream* os) { *os << c.name; }

class CliInfoLookup : public ::testing::TestWithParam<LookupCase> {};

TEST_P(CliInfoLookup, FindsTheModelAmongTheFirstSixteenEntries) {
  const LookupCase& c = GetParam();
  TempDir dir;
  std::string ini = "[ModelInfo]\n";
  for (int k = 0; k < 16; ++k) {
    char entry[32];
    std::snprintf(entry, sizeof entry, "data%d=00%d0090\n", k, 10 + k);
    ini += entry;
  }
  ini += "data16=00110090\n";
  ImageBytes image = BlankImage();
  std::copy(c.bandCode.begin(), c.bandCode.end(), image.begin() + 0x3D8);
  const ProcessResult r = RunCli({"--ini", dir.Write("many.ini", ini), "info",
                                  dir.WriteBytes("in.dig", DataFile(image)), "--json"});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  const auto listing = ParseListing(r);
  ASSERT_TRUE(listing);
  const json::Value* index = At(*listing, "model.index");
  const json::Value* low = At(*listing, "model.bandLow");
  ASSERT_TRUE(index && index->AsInteger() && low && low->AsInteger());
  EXPECT_EQ(*index->AsInteger(), c.index);
  EXPECT_EQ(*low->AsInteger(), c.bandLow);
}

INSTANTIATE_TEST_SUITE_P(Entries, CliInfoLookup, ::testing::ValuesIn(kLookupCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace rondel::test::cli
