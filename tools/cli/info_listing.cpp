// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cli/info_listing.h"

#include <algorithm>
#include <string>

#include "core/frequency_codec.h"
#include "shell/form/form_texts.h"
#include "shell/language.h"
#include "view/controls/settings_list_controls.h"

namespace rondel {
namespace {

bool IsWide(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
         (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
         (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

std::string PadRight(const std::string& text, std::size_t width) {
  const std::size_t w = DisplayWidth(text);
  return w >= width ? text : text + std::string(width - w, ' ');
}

// A form label for the listing: its "Resource" text, without a trailing colon.
std::string Label(int id) {
  std::string text = GetResourceText(id);
  while (!text.empty() && (text.back() == ':' || text.back() == ' ')) text.pop_back();
  if (text.size() >= 3 && text.compare(text.size() - 3, 3, "\xEF\xBC\x9A") == 0)  // "："
    text.resize(text.size() - 3);
  return text.empty() ? std::to_string(id) : text;
}

}  // namespace

std::size_t DisplayWidth(const std::string& utf8) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < utf8.size();) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    char32_t c = b;
    std::size_t len = 1;
    if (b >= 0xF0 && i + 3 < utf8.size()) {
      c = ((b & 0x07u) << 18) | ((utf8[i + 1] & 0x3Fu) << 12) | ((utf8[i + 2] & 0x3Fu) << 6) |
          (utf8[i + 3] & 0x3Fu);
      len = 4;
    } else if (b >= 0xE0 && i + 2 < utf8.size()) {
      c = ((b & 0x0Fu) << 12) | ((utf8[i + 1] & 0x3Fu) << 6) | (utf8[i + 2] & 0x3Fu);
      len = 3;
    } else if (b >= 0xC0 && i + 1 < utf8.size()) {
      c = ((b & 0x1Fu) << 6) | (utf8[i + 1] & 0x3Fu);
      len = 2;
    }
    width += IsWide(c) ? 2 : 1;
    i += len;
  }
  return width;
}

std::string DocumentListing(const CRondelDoc& doc, const CSettings& settings) {
  struct Line {
    std::string label;
    std::string value;
  };
  std::vector<Line> lines;

  std::string out;
  const std::string yes = GetLangString("IDS_YES");
  const std::string no = GetLangString("IDS_NO");

  // Model.
  {
    const int k = doc.FindModel(settings);
    const auto names = settings.ModelNames();
    std::string name = static_cast<std::size_t>(k) < names.size() ? names[static_cast<std::size_t>(k)] : "";
    const std::string band = BandEdgeText(-1, doc.bandLow, doc.bandHigh) + " - " +
                             BandEdgeText(1, doc.bandLow, doc.bandHigh) + " MHz";
    lines.push_back({GetLangString("IDS_CLI_MODEL"), (name.empty() ? "" : name + "  ") + band});
  }

  std::vector<Line> settingsLines;
  for (const SettingsList list : kSettingsLists) {
    if (list == SettingsList::FrequencyRange) continue;
    const auto entries = SettingsListEntries(list, doc, settings);
    const int sel = SettingsListSelection(list, doc, settings);
    std::string value = sel >= 0 ? entries[static_cast<std::size_t>(sel)] : "-";
    settingsLines.push_back({Label(ControlsOfList(list).labelId), value});
  }
  settingsLines.push_back({Label(1024), doc.GetSetting(Setting::BatterySaver) ? yes : no});
  settingsLines.push_back({Label(1023), doc.GetSetting(Setting::FmRadio) ? yes : no});
  settingsLines.push_back({GetLangString("IDS_CLI_PTTSTART"), doc.GetPttCodeText(PttCode::Start)});
  settingsLines.push_back({GetLangString("IDS_CLI_PTTEND"), doc.GetPttCodeText(PttCode::End)});
  if (settings.PasswordEnabled())
    settingsLines.push_back({GetLangString("IDS_CLI_PASSWORD"), doc.GetReadPasswordText()});

  std::size_t labelWidth = 0;
  for (const auto& l : lines) labelWidth = std::max(labelWidth, DisplayWidth(l.label));
  for (const auto& l : settingsLines) labelWidth = std::max(labelWidth, DisplayWidth(l.label));

  const auto emitLine = [&out](std::string line) {
    while (!line.empty() && line.back() == ' ') line.pop_back();
    out += line + "\n";
  };
  for (const auto& l : lines) emitLine(PadRight(l.label, labelWidth) + "  " + l.value);
  // Appended piece by piece: "text" + a temporary string draws GCC 12's false -Wrestrict at -O3.
  out.append("\n").append(GetLangString("IDS_CLI_SETTINGS")).append("\n");
  for (const auto& l : settingsLines) emitLine("  " + PadRight(l.label, labelWidth) + "  " + l.value);

  // Channel table: the grid's headings and cell texts, one row per channel on the form.
  out.append("\n").append(GetLangString("IDS_CLI_CHANNELS")).append("\n");
  const auto headings = GetChannelHeadings();
  std::vector<std::array<std::string, kChannelColumns>> rows;
  for (int n = 1; n <= settings.ChannelCount(); ++n) rows.push_back(ChannelRow(doc, n).text);
  std::array<std::size_t, kChannelColumns> widths{};
  for (int c = 0; c < kChannelColumns; ++c) {
    const auto col = static_cast<std::size_t>(c);
    widths[col] = DisplayWidth(headings[col]);
    for (const auto& r : rows) widths[col] = std::max(widths[col], DisplayWidth(r[col]));
  }
  const auto emit = [&](const std::array<std::string, kChannelColumns>& cells) {
    std::string line = " ";
    for (std::size_t c = 0; c < cells.size(); ++c)
      line.append(" ").append(PadRight(cells[c], widths[c]));
    emitLine(line);
  };
  std::array<std::string, kChannelColumns> head;
  std::copy(headings.begin(), headings.end(), head.begin());
  emit(head);
  for (const auto& r : rows) emit(r);
  return out;
}

}  // namespace rondel
