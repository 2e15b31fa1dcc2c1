// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cli/backups_command.h"

#include <algorithm>
#include <array>
#include <ostream>

#include "shell/language.h"
#include "tools/cli/cli_main.h"
#include "tools/cli/image_json.h"
#include "tools/cli/info_listing.h"

namespace rondel::cli {
namespace {

std::string PadRight(const std::string& text, std::size_t width) {
  const std::size_t w = DisplayWidth(text);
  return w >= width ? text : text + std::string(width - w, ' ');
}

// "2026-12-09T13:45:07Z": the instant as JSON readers parse it.
std::string IsoTime(const BackupEntry& e) {
  std::string text = e.when;
  if (text.size() > 10) text[10] = 'T';
  return text + "Z";
}

}  // namespace

std::string BackupsToJson(const std::string& folder, const std::vector<BackupEntry>& backups) {
  std::string out = "{\"format\": \"rondel-backups\", \"version\": " +
                    std::to_string(kBackupsJsonVersion) + ", \"folder\": ";
  AppendJsonString(out, folder);
  out += ", \"backups\": [";
  for (std::size_t i = 0; i < backups.size(); ++i) {
    const BackupEntry& e = backups[i];
    out += i == 0 ? "\n  {\"path\": " : ",\n  {\"path\": ";
    AppendJsonString(out, e.path);
    out += ", \"taken\": ";
    AppendJsonString(out, IsoTime(e));
    out += ", \"bandCode\": ";
    AppendJsonString(out, e.bandCode);
    out += ", \"model\": ";
    AppendJsonString(out, e.model);
    out += ", \"channelsInUse\": " + std::to_string(e.channelsInUse) + "}";
  }
  out += backups.empty() ? "]}\n" : "\n]}\n";
  return out;
}

std::string BackupsListing(const std::string& folder, const std::vector<BackupEntry>& backups) {
  if (backups.empty()) return GetLangString("IDS_CLI_BACKUPS_NONE") + " " + folder + "\n";
  std::vector<std::array<std::string, 4>> rows;
  rows.push_back({GetLangString("IDS_BACKUPS_DATE"), GetLangString("IDS_BACKUPS_MODEL"),
                  GetLangString("IDS_BACKUPS_CHANNELS"), GetLangString("IDS_BACKUPS_FILE")});
  for (const BackupEntry& e : backups)
    rows.push_back({e.when, e.model,
                    std::to_string(e.channelsInUse), e.path});
  std::array<std::size_t, 3> widths{};
  for (const auto& r : rows)
    for (std::size_t c = 0; c < widths.size(); ++c) widths[c] = std::max(widths[c], DisplayWidth(r[c]));
  std::string out;
  for (const auto& r : rows)
    out += PadRight(r[0], widths[0]) + "  " + PadRight(r[1], widths[1]) + "  " +
           PadRight(r[2], widths[2]) + "  " + r[3] + "\n";
  return out;
}

int CmdBackups(const std::vector<std::string>& positional, bool json, const CSettings& settings,
               std::ostream& out, std::ostream& err) {
  if (!positional.empty()) return Usage(err, "IDS_CLI_BADARG", positional[0]);
  const std::string folder = BackupFolder();
  const std::vector<BackupEntry> backups = ListRadioBackups(settings, folder);
  out << (json ? BackupsToJson(folder, backups) : BackupsListing(folder, backups));
  out.flush();
  if (!out) {
    FileError(err, "IDS_CLI_NOOUTPUT", "-", {});
    return kExitCantCreate;
  }
  return kExitOk;
}

}  // namespace rondel::cli
