// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/qt/recent_file_store.h"

#include <QByteArray>
#include <QSettings>
#include <QString>
#include <QStringDecoder>

#include <sys/stat.h>

#include "platform/user_folders.h"

namespace rondel {
namespace {

const QString kGroup = QStringLiteral("Recent File List");

QString KeyOf(std::size_t n) { return QStringLiteral("File%1").arg(n); }

bool IsUtf8(const std::string& path) {
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder(QByteArrayView(path.data(), static_cast<qsizetype>(path.size())));
  return !decoder.hasError() && text.toStdString() == path;
}

std::vector<std::string> ReadList(QSettings& settings, std::size_t capacity) {
  settings.beginGroup(kGroup);
  std::vector<std::string> paths;
  for (std::size_t n = 1; n <= capacity; ++n) {
    const QVariant value = settings.value(KeyOf(n));
    const std::string path = value.typeId() == QMetaType::QByteArray
                                 ? value.toByteArray().toStdString()
                                 : value.toString().toStdString();
    if (!path.empty()) paths.push_back(path);
  }
  settings.endGroup();
  return paths;
}

bool Exists(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

}  // namespace

std::string RecentFilesPath() {
  const std::string folder = UserConfigFolder();
  return folder.empty() ? std::string() : folder + "/" + kRecentFilesName;
}

CQSettingsRecentFileStore::CQSettingsRecentFileStore(std::size_t capacity, std::string file)
    : m_capacity(capacity), m_file(std::move(file)) {}

std::vector<std::string> CQSettingsRecentFileStore::Load() {
  if (m_file.empty()) return {};
  if (!Exists(m_file)) {
    // The list of an earlier release, taken over once; its file stays as it is.
    QSettings old(QString::fromUtf8(kSettingsOrganisation), QString::fromUtf8(kSettingsApplication));
    std::vector<std::string> paths = ReadList(old, m_capacity);
    if (!paths.empty()) Save(paths);
    return paths;
  }
  QSettings settings(QString::fromStdString(m_file), QSettings::IniFormat);
  return ReadList(settings, m_capacity);
}

void CQSettingsRecentFileStore::Save(const std::vector<std::string>& paths) {
  if (m_file.empty()) return;
  MakePrivateFolders(m_file.substr(0, m_file.rfind('/')));
  QSettings settings(QString::fromStdString(m_file), QSettings::IniFormat);
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
