// The recent-file list on QSettings: "Recent File List" / "File1".."File4" of the user's profile.
#include <gtest/gtest.h>

#include <QSettings>
#include <QString>

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
  void TearDown() override { QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, qEnvironmentVariable("XDG_CONFIG_HOME")); }
  std::string ProfileFile() const { return m_home.path() + "/Ostra radio program software/Rondel.conf"; }
  test::TempDir m_home;
};

TEST_F(RecentFileStoreTest, KeepsTheListUnderFileOneToFourAndSkipsGaps) {
  CQSettingsRecentFileStore store;
  EXPECT_TRUE(store.Load().empty());
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

}  // namespace
}  // namespace rondel
