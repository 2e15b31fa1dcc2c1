#include "platform/qt/recent_file_store.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringDecoder>

namespace rondel {
namespace {

const QString kGroup = QStringLiteral("Recent File List");

QString KeyOf(std::size_t n) { return QStringLiteral("File%1").arg(n); }

bool IsUtf8(const std::string& path) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder(QByteArrayView(path.data(), static_cast<qsizetype>(path.size())));
  return !decoder.hasError() && text.toStdString() == path;
}

}  // namespace

CQSettingsRecentFileStore::CQSettingsRecentFileStore(std::size_t capacity) : m_capacity(capacity) {}

std::vector<std::string> CQSettingsRecentFileStore::Load() {
  QSettings settings(QString::fromUtf8(kSettingsOrganisation), QString::fromUtf8(kSettingsApplication));
  settings.beginGroup(kGroup);
  std::vector<std::string> paths;
  for (std::size_t n = 1; n <= m_capacity; ++n) {
    const QVariant value = settings.value(KeyOf(n));
    const std::string path = value.typeId() == QMetaType::QByteArray
                                 ? value.toByteArray().toStdString()
                                 : value.toString().toStdString();
    if (!path.empty()) paths.push_back(path);
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
    // Text as before, so the file stays readable; a name that is not UTF-8 keeps its bytes.
    if (IsUtf8(path)) {
      settings.setValue(KeyOf(n), QString::fromStdString(path));
    } else {
      settings.setValue(KeyOf(n), QByteArray(path.data(), static_cast<qsizetype>(path.size())));
    }
  }
  settings.endGroup();
  settings.sync();
}

}  // namespace rondel
