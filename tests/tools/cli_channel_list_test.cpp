// rondel-cli export and import as a user runs them: the list on standard output or in a file,
// a list imported in place or into another file, the round trip that gives a data file back
// byte for byte, the warnings on standard error, and every exit status with nothing written.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"
#include "tools/cli_harness.h"

namespace rondel::test::cli {
namespace {

namespace fs = std::filesystem;

const char* const kHeader =
    "channel,rxFreq,rxTone,txFreq,txTone,opt5Off,narrow,highPower,opt8Off,opt9Off,opt10Off,"
    "opt11Off\r\n";

void PutChannel(ImageBytes& image, int n, std::initializer_list<std::uint8_t> record) {
  std::copy(record.begin(), record.end(), image.begin() + 0x10 * n);
}

// Channel 1 on the raster with CTCSS, channel 2 off the raster with a tone in no list and
// no transmit frequency, channel 3 empty with leftovers; the band is 400-470 MHz.
ImageBytes RadioImage() {
  ImageBytes image = BlankImage();
  const std::uint8_t band[] = {0x00, 0x40, 0x00, 0x47};
  std::copy(std::begin(band), std::end(band), image.begin() + 0x3D8);
  PutChannel(image, 1, {0x25, 0x06, 0x60, 0x44, 0x25, 0x06, 0x60, 0x44, 0x85, 0x08, 0x85, 0x08, 0xEB});
  PutChannel(image, 2, {0x00, 0x03, 0x60, 0x44, 0xFF, 0xFF, 0xFF, 0xFF, 0x86, 0x08, 0x23, 0x80, 0x42});
  PutChannel(image, 3, {0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0x61, 0x44, 0x54, 0xC7, 0xFF, 0xFF, 0x00});
  return image;
}

class CliChannelList : public testing::Test {
 protected:
  // Runs rondel-cli with our settings file (16 channels) and the shipped English texts.
  ProcessResult Run(std::vector<std::string> args) {
    args.insert(args.begin(), {"--ini", m_ini, "--lang", BinDir() + "/english.lang"});
    return RunCli(args);
  }
  std::string WriteRadio(const char* name) { return m_dir.WriteBytes(name, DataFile(RadioImage())); }

  TempDir m_dir;
  std::string m_ini = m_dir.Write("test.ini", TestIniText());
};

TEST_F(CliChannelList, ExportWritesTheListToStandardOutputOrToTheFileNamed) {
  const std::string file = WriteRadio("radio.dig");
  std::string want = kHeader;
  want += "1,446.00625,88.5,446.00625,88.5,0,0,1,1,1,1,1\r\n";
  want += "2,446.00300,88.6,,,0,0,0,0,0,1,0\r\n";
  for (int n = 3; n <= 16; ++n) want += std::to_string(n) + ",,,,,,,,,,,\r\n";

  const ProcessResult r = Run({"export", file});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.out, want);
  EXPECT_EQ(r.err, "");

  const std::string list = m_dir.File("radio.csv");
  const ProcessResult toFile = Run({"export", file, "-o", list});
  ASSERT_EQ(toFile.exitStatus, 0) << Describe(toFile);
  EXPECT_EQ(toFile.out, "");
  EXPECT_EQ(ReadText(list), want);
}

TEST_F(CliChannelList, ImportingTheExportIntoTheSameFileGivesItBackByteForByte) {
  const std::string file = WriteRadio("radio.dig");
  const std::vector<std::uint8_t> before = ReadBytes(file);
  const std::string list = m_dir.File("radio.csv");
  ASSERT_EQ(Run({"export", file, "-o", list}).exitStatus, 0);
  const ProcessResult r = Run({"import", file, list});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.err, "") << "nothing was adjusted";
  EXPECT_EQ(ReadBytes(file), before);
}

TEST_F(CliChannelList, ImportWritesTheFileItselfOrTheOutputNamed) {
  const std::string file = WriteRadio("radio.dig");
  const std::vector<std::uint8_t> before = ReadBytes(file);
  const std::string list = m_dir.Write("plan.csv", "channel,rxFreq,txTone\n3,446.1,D023N\n");
  ImageBytes want = RadioImage();
  PutChannel(want, 3, {0x00, 0x00, 0x61, 0x44, 0x00, 0x00, 0x61, 0x44, 0x54, 0xC7, 0x23, 0x80, 0x00});

  const std::string out = m_dir.File("out.dig");
  const ProcessResult other = Run({"import", file, list, "-o", out});
  ASSERT_EQ(other.exitStatus, 0) << Describe(other);
  EXPECT_EQ(ReadBytes(out), DataFile(want));
  EXPECT_EQ(ReadBytes(file), before) << "-o leaves FILE as it was";

  const ProcessResult inPlace = Run({"import", file, list});
  ASSERT_EQ(inPlace.exitStatus, 0) << Describe(inPlace);
  EXPECT_EQ(ReadBytes(file), DataFile(want));
}

TEST_F(CliChannelList, AdjustedValuesAreNamedOnStandardErrorWithLineAndColumn) {
  const std::string file = WriteRadio("radio.dig");
  const std::string list =
      m_dir.Write("plan.csv", "channel,rxFreq,rxTone\r\n4,446.003,\r\n5,480,88.6\r\n");
  const ProcessResult r = Run({"import", file, list});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.err,
            "rondel-cli: " + list + ": Line 2, column rxFreq: off the channel raster, stored as \"446.00500\"\n"
            "rondel-cli: " + list + ": Line 3, column rxFreq: outside the band, stored as the band edge \"470.00000\"\n"
            "rondel-cli: " + list + ": Line 3, column rxTone: not in the tone lists, stored as written \"88.6\"\n");
}

TEST_F(CliChannelList, TheCommonChannelListImportsThroughTheSameRules) {
  const std::string file = WriteRadio("radio.dig");
  const std::string list = m_dir.Write(
      "common.csv",
      "Location,Name,Frequency,Duplex,Offset,Tone,rToneFreq,cToneFreq,DtcsCode,DtcsPolarity,"
      "Mode,TStep,Skip,Power,Comment\n"
      "4,Repeater,439.975000,-,7.600000,Tone,88.5,88.5,023,NN,FM,12.50,S,5.0W,\n"
      "5,Simplex,446.006250,,0.000000,DTCS,88.5,88.5,25,NR,NFM,6.25,,0.5W,quiet\n");
  const ProcessResult r = Run({"import", file, list});
  ASSERT_EQ(r.exitStatus, 0) << Describe(r);
  EXPECT_EQ(r.err, "");
  const ProcessResult listed = Run({"export", file});
  EXPECT_NE(listed.out.find("\r\n4,439.97500,,432.37500,88.5,1,0,1,1,1,1,1\r\n"), std::string::npos)
      << listed.out;
  EXPECT_NE(listed.out.find("\r\n5,446.00625,D025I,446.00625,D025N,0,1,0,1,1,1,1\r\n"),
            std::string::npos)
      << listed.out;
}

// In the arguments "@" stands for the test's folder, which holds radio.dig, bad.dig (not a
// data file), good.csv, bad.csv (refused in its third line) and an empty folder sub.
struct ExitCase {
  const char* name;
  std::vector<std::string> args;
  int status;
  const char* err;  // a text standard error must hold
};

TEST_F(CliChannelList, EveryFailureHasItsExitStatusAndWritesNothing) {
  WriteRadio("radio.dig");
  m_dir.Write("bad.dig", "not a radio program data file");
  m_dir.Write("good.csv", "channel,rxFreq\n4,446.1\n");
  m_dir.Write("bad.csv", "channel,rxFreq,narrow\n4,446.1,1\n5,446.2,2\n");
  fs::create_directory(m_dir.File("sub"));
  const ExitCase cases[] = {
      {"export without a file", {"export"}, 64, "export"},
      {"export with two files", {"export", "@/radio.dig", "@/good.csv"}, 64, "export"},
      {"export of an empty path", {"export", ""}, 64, "export"},
      {"import without a list", {"import", "@/radio.dig"}, 64, "import"},
      {"import of an empty path", {"import", "", "@/good.csv"}, 64, "import"},
      {"import with -o but no path", {"import", "@/radio.dig", "@/good.csv", "-o"}, 64, "-o"},
      {"a refused list", {"import", "@/radio.dig", "@/bad.csv"}, 65, "Line 3, column narrow: not 0 or 1: \"2\""},
      {"a refused list with -o", {"import", "@/radio.dig", "@/bad.csv", "-o", "@/out.dig"}, 65, "Line 3"},
      {"export of a missing file", {"export", "@/none.dig"}, 66, "none.dig"},
      {"import into a missing file", {"import", "@/none.dig", "@/good.csv"}, 66, "none.dig"},
      {"import of a missing list", {"import", "@/radio.dig", "@/none.csv"}, 66, "none.csv"},
      {"import of a folder as list", {"import", "@/radio.dig", "@/sub"}, 66, "sub"},
      {"export of a file that is no data file", {"export", "@/bad.dig"}, 3, "not a radio"},
      {"import into a file that is no data file", {"import", "@/bad.dig", "@/good.csv"}, 3, "not a radio"},
      {"export into a missing folder", {"export", "@/radio.dig", "-o", "@/no/list.csv"}, 73, "list.csv"},
      {"import into a missing folder", {"import", "@/radio.dig", "@/good.csv", "-o", "@/no/out.dig"}, 73, "out.dig"},
  };
  const auto names = [&] {
    std::vector<std::string> all;
    for (const auto& e : fs::directory_iterator(m_dir.path())) all.push_back(e.path().filename());
    std::sort(all.begin(), all.end());
    return all;
  };
  const std::vector<std::string> filesBefore = names();
  const std::vector<std::uint8_t> radioBefore = ReadBytes(m_dir.File("radio.dig"));
  for (const ExitCase& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<std::string> args;
    for (std::string a : c.args) {
      if (!a.empty() && a[0] == '@') a = m_dir.path() + a.substr(1);
      args.push_back(a);
    }
    const ProcessResult r = Run(args);
    EXPECT_EQ(r.exitStatus, c.status) << Describe(r);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
    EXPECT_EQ(names(), filesBefore) << "a failed command left a file behind";
    EXPECT_EQ(ReadBytes(m_dir.File("radio.dig")), radioBefore);
  }
}

}  // namespace
}  // namespace rondel::test::cli
