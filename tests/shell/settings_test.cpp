// The settings keys: defaults, buffer sizes, the three written keys, and no caching.
#include <gtest/gtest.h>

#include "shell/settings.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

using test::ReadText;
using test::TempDir;

TEST(Settings, MissingKeysTakeTheirDefaults) {
  TempDir dir;
  const CSettings s(dir.Write("setting.ini", "[setup]\n[ModelInfo]\n"));
  EXPECT_EQ(s.Language(), "");
  EXPECT_EQ(s.Com(), 1);
  EXPECT_EQ(s.SearchComText(), "1");
  EXPECT_TRUE(s.SearchEnabled());
  EXPECT_EQ(s.SearchComValue(), 1);
  EXPECT_EQ(s.Communication(), "");
  EXPECT_EQ(s.TestPassword(), "");
  EXPECT_TRUE(s.PasswordEnabled());
  EXPECT_EQ(s.ChannelCount(), 0);
  EXPECT_EQ(s.ModelData(0, 32), "");
  EXPECT_TRUE(s.ModelNames().empty());
}

TEST(Settings, MissingFileReadsAsDefaults) {
  TempDir dir;
  const CSettings s(dir.File("nothing-here.ini"));
  EXPECT_EQ(s.Com(), 1);
  EXPECT_TRUE(s.PasswordEnabled());
  EXPECT_EQ(s.ChannelCount(), 0);
}

struct ValueCase {
  const char* key;
  const char* value;
  int com;
  bool searchEnabled;
  int searchValue;
  bool passwordEnabled;
  int channels;
};

// Each line sets one key; the other columns are what the readers make of the whole file.
TEST(Settings, ValuesAreReadTheWayTheirUsersReadThem) {
  const ValueCase cases[] = {
      {"com", "COM3", 0, true, 1, true, 0},
      {"com", "12", 12, true, 1, true, 0},
      {"searchcom", "no", 1, true, 0, true, 0},
      {"searchcom", "0", 1, false, 0, true, 0},
      {"searchcom", "0x", 1, false, 0, true, 0},
      {"password", "0", 1, true, 1, false, 0},
      {"password", "yes", 1, true, 1, false, 0},
      {"password", "1", 1, true, 1, true, 0},
      {"password", "10", 1, true, 1, true, 0},
      {"channel", "8", 1, true, 1, true, 8},
      {"channel", "16", 1, true, 1, true, 16},
      {"channel", "17", 1, true, 1, true, 16},
      {"channel", "99999999999999", 1, true, 1, true, 16},
      {"channel", "-3", 1, true, 1, true, 0},
      {"channel", "abc", 1, true, 1, true, 0},
      {"channel", "12ch", 1, true, 1, true, 12},
  };
  for (const ValueCase& c : cases) {
    TempDir dir;
    const CSettings s(dir.Write("setting.ini", std::string("[setup]\n") + c.key + "=" + c.value + "\n"));
    SCOPED_TRACE(std::string(c.key) + "=" + c.value);
    EXPECT_EQ(s.Com(), c.com);
    EXPECT_EQ(s.SearchEnabled(), c.searchEnabled);
    EXPECT_EQ(s.SearchComValue(), c.searchValue);
    EXPECT_EQ(s.PasswordEnabled(), c.passwordEnabled);
    EXPECT_EQ(s.ChannelCount(), c.channels);
  }
}

TEST(Settings, TextValuesAreCutToTheirBuffers) {
  TempDir dir;
  const std::string longText(300, 'x');
  const CSettings s(dir.Write("setting.ini", "[setup]\ncommunication=" + longText +
                                                 "\ntestpw=" + longText + "\nlanguage=" + longText +
                                                 "\n[ModelInfo]\nFreq0=" + longText + "\ndata0=" +
                                                 longText + "\n"));
  EXPECT_EQ(s.Communication().size(), 14u);
  EXPECT_EQ(s.TestPassword().size(), 19u);
  EXPECT_EQ(s.Language().size(), 259u);
  EXPECT_EQ(s.ModelName(0).size(), 29u);
  EXPECT_EQ(s.ModelData(0, 32).size(), 31u);
  EXPECT_EQ(s.ModelData(0, 60).size(), 59u);
}

TEST(Settings, ModelNamesEndAtTheFirstGap) {
  TempDir dir;
  const CSettings s(dir.Write("setting.ini",
                              "[ModelInfo]\nFreq0=A\nFreq1=B\nFreq2=\nFreq3=D\n"));
  EXPECT_EQ(s.ModelNames(), (std::vector<std::string>{"A", "B"}));
  std::string many = "[ModelInfo]\n";
  for (int k = 0; k < 20; ++k) many += "Freq" + std::to_string(k) + "=m" + std::to_string(k) + "\n";
  const CSettings t(dir.Write("many.ini", many));
  EXPECT_EQ(t.ModelNames().size(), 16u);
}

TEST(Settings, WritesGoToTheFileAtOnceAndAreSeenAtTheNextRead) {
  TempDir dir;
  const std::string path = dir.Write("setting.ini",
                                     "; keep me\n[setup]\ncom=1\nsearchcom=1\n\n[ModelInfo]\ndata0=00400047\n");
  const CSettings s(path);
  ASSERT_TRUE(s.WriteCom(7));
  EXPECT_EQ(s.Com(), 7);
  ASSERT_TRUE(s.WriteSearchCom(false));
  EXPECT_EQ(s.SearchComText(), "0");
  EXPECT_FALSE(s.SearchEnabled());
  ASSERT_TRUE(s.WriteLanguage("chinese"));
  EXPECT_EQ(s.Language(), "chinese");
  const std::string text = ReadText(path);
  EXPECT_NE(text.find("; keep me\n"), std::string::npos);
  EXPECT_NE(text.find("com=7\n"), std::string::npos);
  EXPECT_NE(text.find("searchcom=0\n"), std::string::npos);
  EXPECT_NE(text.find("language=chinese"), std::string::npos);
  EXPECT_NE(text.find("data0=00400047"), std::string::npos);
  // A change made by hand is seen at the next read: nothing is cached.
  dir.Write("setting.ini", "[setup]\ncom=4\n");
  EXPECT_EQ(s.Com(), 4);
}

TEST(Settings, ShippedFileIsComplete) {
  const char* bin = std::getenv("RONDEL_BIN_DIR");
  ASSERT_NE(bin, nullptr);
  const CSettings s(std::string(bin) + "/setting.ini");
  EXPECT_EQ(s.Language(), "") << "the locale decides the language of a new installation";
  EXPECT_GE(s.Communication().size(), 7u);
  EXPECT_FALSE(s.TestPassword().empty());
  EXPECT_EQ(s.ChannelCount(), 16);
  EXPECT_GE(s.ModelNames().size(), 4u);
  for (int k = 0; k < 4; ++k) EXPECT_GE(s.ModelData(k, 32).size(), 8u) << k;
}

}  // namespace
}  // namespace rondel
