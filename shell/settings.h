// SPDX-License-Identifier: GPL-3.0-or-later
// Access to "setting.ini": each key read at the moment of use with its default and buffer
// size, and the three keys the program writes. A change to the file is seen at the next read.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/model_info.h"
#include "link/link_settings.h"

namespace rondel {

inline constexpr const char* kSettingsFileName = "setting.ini";
inline constexpr int kDefaultBackupDays = 365;
inline constexpr int kDefaultBackupFiles = 1000;
// The one text the programs carry themselves: without the settings file no language file is
// known to word it.
inline constexpr const char* kNoSettingsMessage = "Can not find the file setting.ini!";

// The keys the program writes itself (the language, port and port search chosen): the
// user's own values, which an update of the shipped file leaves as they are. Every other key
// is only read.
struct SettingsKey {
  const char* section;
  const char* key;
};
inline constexpr SettingsKey kWrittenSettings[] = {
    {"setup", "language"}, {"setup", "com"}, {"setup", "searchcom"}};
// Whether `key` of `section` (matched without case) is one of kWrittenSettings.
bool IsWrittenSetting(std::string_view section, std::string_view key);

class CSettings : public ModelDataSource, public LinkSettings {
 public:
  explicit CSettings(std::string iniPath) : m_path(std::move(iniPath)) {}
  const std::string& Path() const { return m_path; }

  // [setup]
  std::string Language() const;              // empty when not set
  bool WriteLanguage(const std::string& name) const;
  int Com() const override;                  // default 1
  bool WriteCom(int port) const override;    // "%d"
  std::string SearchComText() const;         // handshake's view, default "1"
  bool SearchEnabled() const override;       // search unless the text starts with "0"
  int SearchComValue() const;                // port dialog's view, default 1
  bool WriteSearchCom(bool on) const;        // "0" or "1"
  std::string Communication() const override;  // handshake word, at most 14 characters
  std::string TestPassword() const override;  // at most 19 characters
  bool PasswordEnabled() const override;     // "password" starts with "1" (default "1")
  // [write] "backup" and "verify": a write first reads the radio into a backup, and reads the
  // written blocks back after; each on unless its text starts with "0".
  bool BackupBeforeWrite() const;
  bool VerifyAfterWrite() const;
  int ChannelCount() const;                  // 0 to 16; larger values are limited to 16

  // [backups]: how long and how many of the radio backups are kept. A value that is missing,
  // not a whole number, or outside 1 to 1,000,000 gives the default.
  int BackupDays() const;                    // "days", default 365
  int BackupFiles() const;                   // "files", default 1000

  // [ports] "com<n>": the device of COM port n, at most 259 bytes, read at each call;
  // /dev/ttyUSB<n-1> without that key.
  std::string PortDevice(int n) const override;
  bool PortNamed(int n) const override;
  // Names the device of COM port n in [ports]: for devices the default does not reach, such as
  // /dev/ttyACM0.
  bool WritePortDevice(int n, const std::string& device) const;

  // [ModelInfo]
  std::string ModelData(int k, std::size_t bufSize) const override;
  std::string ModelName(int k) const;        // "Freq%d", at most 29 characters
  // "Freq%d" for k = 0.. up to 15, ending at the first missing or empty entry.
  std::vector<std::string> ModelNames() const;

 private:
  std::string m_path;
};

}  // namespace rondel
