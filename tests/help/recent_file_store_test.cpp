// SPDX-License-Identifier: GPL-3.0-or-later
// The recent-file list on QSettings: "Recent File List" / "File1".."File4" of
// $XDG_CONFIG_HOME/rondel/recent-files.conf, and the list of an earlier release taken over.
#include <gtest/gtest.h>

#include <QSettings>
#include <QString>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "platform/docframe.h"
#include "platform/qt/recent_file_store.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

using Paths = std::vector<std::string>;

// Each test gets a configuration folder of its own ($XDG_CONFIG_HOME) and a folder where
// QSettings finds the earlier releases' profile; afterwards both are as before.
class RecentFileStoreTest : public testing::Test {
 protected:
  void SetUp() override {
    if (const char* old = std::getenv("XDG_CONFIG_HOME")) m_savedConfig = old;
    ::setenv("XDG_CONFIG_HOME", m_home.File("config").c_str(), 1);
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(m_home.File("old")));
  }
  void TearDown() override {
    if (m_savedConfig) {
      ::setenv("XDG_CONFIG_HOME", m_savedConfig->c_str(), 1);
    } else {
      ::unsetenv("XDG_CONFIG_HOME");
    }
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, qEnvironmentVariable("XDG_CONFIG_HOME"));
  }
  std::string ProfileFile() const { return m_home.path() + "/config/rondel/recent-files.conf"; }
  std::string OldProfileFile() const { return m_home.path() + "/old/Ostra radio program software/Rondel.conf"; }
  QSettings Profile() const { return QSettings(QString::fromStdString(ProfileFile()), QSettings::IniFormat); }
  QSettings OldProfile() const {
    return QSettings(QString::fromUtf8(kSettingsOrganisation), QString::fromUtf8(kSettingsApplication));
  }
  test::TempDir m_home;
  std::optional<std::string> m_savedConfig;
};

TEST_F(RecentFileStoreTest, KeepsTheListUnderFileOneToFourAndSkipsGaps) {
  CQSettingsRecentFileStore store;
  EXPECT_EQ(RecentFilesPath(), ProfileFile());
  EXPECT_TRUE(store.Load().empty());
  EXPECT_FALSE(std::filesystem::exists(ProfileFile())) << "nothing to keep yet";
  const Paths paths = {"/home/王工/写频 数据/一号机.dig", "/tmp/with=equals;and,commas.dig", "/3.dig", "/\xFF.dig", "/5.dig"};
  store.Save(paths);
  EXPECT_EQ(store.Load(), Paths(paths.begin(), paths.begin() + 4));
  EXPECT_NE(test::ReadText(ProfileFile()).find("File3=/3.dig"), std::string::npos) << "written at once";
  EXPECT_FALSE(Profile().contains("Recent File List/File5"));
  store.Save({"/only.dig", "", "/b.dig"});  // an empty entry takes no place
  EXPECT_EQ(store.Load(), (Paths{"/only.dig", "/b.dig"}));
  EXPECT_FALSE(Profile().contains("Recent File List/File3"));
  Profile().setValue("Recent File List/File4", "/fourth.dig");
  Profile().setValue("Recent File List/File5", "/beyond.dig");
  EXPECT_EQ(CQSettingsRecentFileStore().Load(), (Paths{"/only.dig", "/b.dig", "/fourth.dig"}));
  EXPECT_EQ(CQSettingsRecentFileStore(5).Load(), (Paths{"/only.dig", "/b.dig", "/fourth.dig", "/beyond.dig"}));
}

// The list an earlier release kept is taken over at the first load, once; its file is left
// as it was, and what changes there later is no longer looked at.
TEST_F(RecentFileStoreTest, TakesOverTheListOfAnEarlierReleaseOnce) {
  {
    QSettings old = OldProfile();
    old.setValue("Recent File List/File1", "/old/a.dig");
    old.setValue("Recent File List/File2", "/old/b.dig");
    old.sync();
  }
  const std::string oldText = test::ReadText(OldProfileFile());
  ASSERT_FALSE(oldText.empty());
  EXPECT_EQ(CQSettingsRecentFileStore().Load(), (Paths{"/old/a.dig", "/old/b.dig"}));
  EXPECT_NE(test::ReadText(ProfileFile()).find("File2=/old/b.dig"), std::string::npos);
  struct stat st {};
  ASSERT_EQ(::stat((m_home.path() + "/config/rondel").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  EXPECT_EQ(test::ReadText(OldProfileFile()), oldText);

  CQSettingsRecentFileStore().Save({"/new.dig"});
  {
    QSettings old = OldProfile();
    old.setValue("Recent File List/File1", "/old/changed.dig");
    old.sync();
  }
  EXPECT_EQ(CQSettingsRecentFileStore().Load(), (Paths{"/new.dig"}));
  EXPECT_EQ(OldProfile().value("Recent File List/File1").toString().toStdString(), "/old/changed.dig");
}

}  // namespace
}  // namespace rondel
