// SPDX-License-Identifier: GPL-3.0-or-later
// The settings keys on the private-profile layer.
#include "shell/settings.h"

#include <cstdio>
#include <cstdlib>

#include "core/image_layout.h"
#include "platform/ascii.h"
#include "platform/profile.h"

namespace rondel {
namespace {

constexpr const char* kSetup = "setup";
constexpr const char* kModelInfo = "ModelInfo";
constexpr const char* kPorts = "ports";
constexpr const char* kBackups = "backups";

std::string Indexed(const char* stem, int k) {
  char key[32];
  std::snprintf(key, sizeof key, "%s%d", stem, k);
  return key;
}

// A limit of the backups: digits only (blanks around them allowed), 1 to 1,000,000. Anything
// else is a slip of the hand, and the default keeps the backups rather than pruning them all.
int BackupLimit(const std::string& path, const char* key, int fallback) {
  const std::string text = profile::GetString(path, kBackups, key, "", 20);
  std::size_t i = 0, end = text.size();
  while (i < end && (text[i] == ' ' || text[i] == '\t')) ++i;
  while (end > i && (text[end - 1] == ' ' || text[end - 1] == '\t')) --end;
  if (i == end) return fallback;
  long value = 0;
  for (; i < end; ++i) {
    if (text[i] < '0' || text[i] > '9') return fallback;
    value = value * 10 + (text[i] - '0');
    if (value > 1000000) return fallback;
  }
  return value >= 1 ? static_cast<int>(value) : fallback;
}

}  // namespace

bool IsWrittenSetting(std::string_view section, std::string_view key) {
  for (const SettingsKey& k : kWrittenSettings)
    if (EqualNoCase(section, k.section) && EqualNoCase(key, k.key)) return true;
  return false;
}

std::string CSettings::Language() const {
  return profile::GetString(m_path, kSetup, "language", "", 260);
}

bool CSettings::WriteLanguage(const std::string& name) const {
  return profile::WriteString(m_path, kWrittenSettings[0].section, kWrittenSettings[0].key, name);
}

int CSettings::Com() const { return profile::GetInt(m_path, kSetup, "com", 1); }

bool CSettings::WriteCom(int port) const {
  return profile::WriteString(m_path, kWrittenSettings[1].section, kWrittenSettings[1].key,
                              std::to_string(port));
}

std::string CSettings::SearchComText() const {
  return profile::GetString(m_path, kSetup, "searchcom", "1", 8);
}

bool CSettings::SearchEnabled() const {
  const std::string text = SearchComText();
  return text.empty() || text[0] != '0';
}

int CSettings::SearchComValue() const { return profile::GetInt(m_path, kSetup, "searchcom", 1); }

bool CSettings::WriteSearchCom(bool on) const {
  return profile::WriteString(m_path, kWrittenSettings[2].section, kWrittenSettings[2].key,
                              on ? "1" : "0");
}

std::string CSettings::Communication() const {
  return profile::GetString(m_path, kSetup, "communication", "", 15);
}

std::string CSettings::TestPassword() const {
  return profile::GetString(m_path, kSetup, "testpw", "", 20);
}

bool CSettings::BackupBeforeWrite() const {
  const std::string text = profile::GetString(m_path, "write", "backup", "1", 8);
  return text.empty() || text[0] != '0';
}

bool CSettings::VerifyAfterWrite() const {
  const std::string text = profile::GetString(m_path, "write", "verify", "1", 8);
  return text.empty() || text[0] != '0';
}

bool CSettings::PasswordEnabled() const {
  const std::string text = profile::GetString(m_path, kSetup, "password", "1", 8);
  return !text.empty() && text[0] == '1';
}

int CSettings::ChannelCount() const {
  const std::string text = profile::GetString(m_path, kSetup, "channel", "", 20);
  // Decimal like atoi, but never beyond the 16 records the image holds.
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  int count = 0;
  for (; i < text.size() && IsDigit(text[i]); ++i) {
    count = count * 10 + (text[i] - '0');
    if (count >= layout::kChannelCount) return layout::kChannelCount;
  }
  return count;
}

int CSettings::BackupDays() const { return BackupLimit(m_path, "days", kDefaultBackupDays); }

int CSettings::BackupFiles() const { return BackupLimit(m_path, "files", kDefaultBackupFiles); }

std::string CSettings::PortDevice(int n) const {
  const std::string fallback = DefaultPortDevice(n);
  if (fallback.empty()) return fallback;
  return profile::GetString(m_path, kPorts, Indexed("com", n), fallback, 260);
}

bool CSettings::PortNamed(int n) const {
  if (DefaultPortDevice(n).empty()) return false;
  const std::string key = Indexed("com", n);
  for (const std::string& k : profile::GetKeys(m_path, kPorts))
    if (EqualNoCase(k, key)) return true;
  return false;
}

bool CSettings::WritePortDevice(int n, const std::string& device) const {
  if (DefaultPortDevice(n).empty() || device.empty()) return false;
  return profile::WriteString(m_path, kPorts, Indexed("com", n), device);
}

std::string CSettings::ModelData(int k, std::size_t bufSize) const {
  return profile::GetString(m_path, kModelInfo, Indexed("data", k), "", bufSize);
}

std::string CSettings::ModelName(int k) const {
  return profile::GetString(m_path, kModelInfo, Indexed("Freq", k), "", 30);
}

std::vector<std::string> CSettings::ModelNames() const {
  std::vector<std::string> names;
  for (int k = 0; k < kMaxModels; ++k) {
    std::string name = ModelName(k);
    if (name.empty()) break;
    names.push_back(std::move(name));
  }
  return names;
}

}  // namespace rondel
