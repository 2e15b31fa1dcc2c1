#include "platform/qt/recent_file_store.h"

#include <QSettings>
#include <QString>

namespace rondel {
namespace {

const QString kGroup = QStringLiteral("Recent File List");

QString KeyOf(std::size_t n) { return QStringLiteral("File%1").arg(n); }

}  // namespace

CQSettingsRecentFileStore::CQSettingsRecentFileStore(std::size_t capacity) : m_capacity(capacity) {}

std::vector<std::string> CQSettingsRecentFileStore::Load() {
  QSettings settings(QString::fromUtf8(kSettingsOrganisation), QString::fromUtf8(kSettingsApplication));
  settings.beginGroup(kGroup);
  std::vector<std::string> paths;
  for (std::size_t n = 1; n <= m_capacity; ++n) {
    const QString path = settings.value(KeyOf(n)).toString();
    if (!path.isEmpty()) paths.push_back(path.toStdString());
  }
  return paths;
}

void CQSettingsRecentFileStore::Save(const std::vector<std::string>& paths) {
  QSettings settings(QString::fromUtf8(kSettingsOrganisation), QString::fromUtf8(kSettingsApplication));
  settings.remove(kGroup);
  settings.beginGroup(kGroup);
  std::size_t n = 0;
  for (const std::string& path : paths) {
    if (path.empty()) continue;
    if (++n > m_capacity) break;
    settings.setValue(KeyOf(n), QString::fromStdString(path));
  }
  settings.endGroup();
  settings.sync();
}

}  // namespace rondel
