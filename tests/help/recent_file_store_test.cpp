// The per-user recent-file list on QSettings: where it is kept, the "Recent File List" /
// "File1".."File4" layout, and that the list survives from one run (store) to the next.
#include <gtest/gtest.h>

#include <QSettings>
#include <QString>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/docframe.h"
#include "platform/qt/recent_file_store.h"
#include "support/temp_dir.h"

namespace rondel {
namespace {

using Paths = std::vector<std::string>;

QSettings Profile() { return QSettings(QString::fromUtf8(kSettingsOrganisation), QString::fromUtf8(kSettingsApplication)); }

// Each test gets a profile folder of its own; afterwards QSettings looks where it did before.
class RecentFileStoreTest : public testing::Test {
 protected:
  void SetUp() override { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(m_home.path())); }
  void TearDown() override {
    const char* config = std::getenv("XDG_CONFIG_HOME");
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromUtf8(config ? config : ""));
  }
  std::string ProfileFile() const { return m_home.path() + "/Ostra radio program software/Rondel.conf"; }
  test::TempDir m_home;
};

TEST(RecentFileStoreLocation, IsTheUsersConfigurationFolder) {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  ASSERT_NE(config, nullptr);  // the test entry point sets it
  EXPECT_EQ(Profile().fileName().toStdString(),
            std::string(config) + "/Ostra radio program software/Rondel.conf");
}

TEST_F(RecentFileStoreTest, KeepsTheListInOrderUnderFileOneToFour) {
  CQSettingsRecentFileStore store;
  EXPECT_TRUE(store.Load().empty());
  store.Save({"/data/a.dig", "/data/b.dig", "/data/c.dig"});
  EXPECT_EQ(store.Load(), (Paths{"/data/a.dig", "/data/b.dig", "/data/c.dig"}));

  QSettings profile = Profile();
  EXPECT_EQ(profile.value("Recent File List/File1").toString(), QStringLiteral("/data/a.dig"));
  EXPECT_EQ(profile.value("Recent File List/File3").toString(), QStringLiteral("/data/c.dig"));
  EXPECT_FALSE(profile.contains("Recent File List/File4"));
  // Written at once, not when the process ends.
  EXPECT_NE(test::ReadText(ProfileFile()).find("File2=/data/b.dig"), std::string::npos);
}

TEST_F(RecentFileStoreTest, ASaveReplacesTheWholeListAndKeepsAtMostItsCapacity) {
  CQSettingsRecentFileStore store;
  store.Save({"/1.dig", "/2.dig", "/3.dig", "/4.dig", "/5.dig"});
  EXPECT_EQ(store.Load(), (Paths{"/1.dig", "/2.dig", "/3.dig", "/4.dig"}));
  EXPECT_FALSE(Profile().contains("Recent File List/File5"));

  store.Save({"/only.dig"});
  EXPECT_EQ(store.Load(), Paths{"/only.dig"});
  EXPECT_FALSE(Profile().contains("Recent File List/File2"));

  store.Save({});
  EXPECT_TRUE(store.Load().empty());

  CQSettingsRecentFileStore two(2);
  two.Save({"/a.dig", "", "/b.dig", "/c.dig"});  // an empty entry takes no place
  EXPECT_EQ(two.Load(), (Paths{"/a.dig", "/b.dig"}));
}

TEST_F(RecentFileStoreTest, ReadsAProfileWithGapsAndLongerLists) {
  {
    QSettings profile = Profile();
    profile.setValue("Recent File List/File1", "/first.dig");
    profile.setValue("Recent File List/File2", "");
    profile.setValue("Recent File List/File4", "/fourth.dig");
    profile.setValue("Recent File List/File5", "/beyond.dig");
  }
  EXPECT_EQ(CQSettingsRecentFileStore().Load(), (Paths{"/first.dig", "/fourth.dig"}));
  EXPECT_EQ(CQSettingsRecentFileStore(5).Load(), (Paths{"/first.dig", "/fourth.dig", "/beyond.dig"}));
}

TEST_F(RecentFileStoreTest, NamesOutsideAsciiComeBackUnchanged) {
  CQSettingsRecentFileStore store;
  const Paths paths = {"/home/王工/写频 数据/一号机.dig", "/tmp/with=equals;and,commas.dig"};
  store.Save(paths);
  EXPECT_EQ(CQSettingsRecentFileStore().Load(), paths);
}

TEST_F(RecentFileStoreTest, TheFrameworkListSurvivesFromOneRunToTheNext) {
  {
    CQSettingsRecentFileStore store;
    CRecentFileList recent(store);
    recent.Add("/a.dig");
    recent.Add("/b.dig");
    recent.Add("/a.dig");  // back to the front, not twice
  }
  CQSettingsRecentFileStore store;
  CRecentFileList recent(store);
  EXPECT_EQ(recent.Entries(), (Paths{"/a.dig", "/b.dig"}));
  recent.Remove("/b.dig");
  EXPECT_EQ(CQSettingsRecentFileStore().Load(), Paths{"/a.dig"});
}

}  // namespace
}  // namespace rondel
