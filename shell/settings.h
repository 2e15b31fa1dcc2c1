// Access to "setting.ini": each key read at the moment of use with its default and buffer
// size, and the three keys the program writes. Nothing is cached.
#pragma once

#include <string>
#include <vector>

#include "core/model_info.h"

namespace rondel {

inline constexpr const char* kSettingsFileName = "setting.ini";

class CSettings : public ModelDataSource {
 public:
  explicit CSettings(std::string iniPath) : m_path(std::move(iniPath)) {}
  const std::string& path() const { return m_path; }

  // [setup]
  std::string Language() const;              // empty when not set
  bool WriteLanguage(const std::string& name) const;
  int Com() const;                           // default 1
  bool WriteCom(int port) const;             // "%d"
  std::string SearchComText() const;         // handshake's view, default "1"
  bool SearchEnabled() const;                // search unless the text starts with "0"
  int SearchComValue() const;                // port dialog's view, default 1
  bool WriteSearchCom(bool on) const;        // "0" or "1"
  std::string Communication() const;         // handshake word, at most 14 characters
  std::string TestPassword() const;          // at most 19 characters
  bool PasswordEnabled() const;              // "password" starts with "1" (default "1")
  int ChannelCount() const;                  // 0 to 16; larger values are limited to 16

  // [ModelInfo]
  std::string ModelData(int k, std::size_t bufSize) const override;
  std::string ModelName(int k) const;        // "Freq%d", at most 29 characters
  // "Freq%d" for k = 0.. up to 15, ending at the first missing or empty entry.
  std::vector<std::string> ModelNames() const;

 private:
  std::string m_path;
};

}  // namespace rondel
