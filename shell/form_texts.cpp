#include "shell/form_texts.h"

#include <cstdio>

namespace rondel {
namespace {

struct OptionColumn {
  int column;
  ChannelOption option;
  const char* bitClear;
  const char* bitSet;
};

constexpr OptionColumn kOptionColumns[] = {
    {5, ChannelOption::Opt5Off, "IDS_YES", "IDS_NO"},
    {6, ChannelOption::Narrow, "IDS_WIDE", "IDS_NARROW"},
    {7, ChannelOption::HighPower, "IDS_LOW", "IDS_HIGH"},
    {8, ChannelOption::Opt8Off, "IDS_YES", "IDS_NO"},
    {9, ChannelOption::Opt9Off, "IDS_YES", "IDS_NO"},
    {10, ChannelOption::Opt10Off, "IDS_YES", "IDS_NO"},
    {11, ChannelOption::Opt11Off, "IDS_YES", "IDS_NO"},
};

const OptionColumn& ColumnInfo(int column) {
  for (const auto& c : kOptionColumns)
    if (c.column == column) return c;
  return kOptionColumns[0];
}

Setting SettingOf(SettingsList list) {
  switch (list) {
    case SettingsList::VoicePrompt: return Setting::VoicePrompt;
    case SettingsList::PttId: return Setting::PttIdMode;
    case SettingsList::SquelchLevel: return Setting::SquelchLevel;
    case SettingsList::SideKey1: return Setting::SideKey1;
    case SettingsList::SideKey2: return Setting::SideKey2;
    case SettingsList::TxTimeout: return Setting::TxTimeout;
    case SettingsList::VoxLevel: return Setting::VoxLevel;
    case SettingsList::ScanMode: return Setting::ScanMode;
    case SettingsList::VoxDelay: return Setting::VoxDelay;
    case SettingsList::PriorityChannel: return Setting::PriorityChannel;
    case SettingsList::FrequencyRange: break;
  }
  return Setting::SquelchLevel;
}

std::vector<std::string> Numbers(int from, int to, int step) {
  std::vector<std::string> out;
  for (int v = from; v <= to; v += step) out.push_back(std::to_string(v));
  return out;
}

}  // namespace

const std::array<SettingsListInfo, 11> kSettingsLists = {{
    {SettingsList::FrequencyRange, 1022, 1021},
    {SettingsList::VoicePrompt, 1026, 1025},
    {SettingsList::PttId, 1030, 1029},
    {SettingsList::SquelchLevel, 1032, 1031},
    {SettingsList::SideKey1, 1034, 1033},
    {SettingsList::SideKey2, 1044, 1043},
    {SettingsList::TxTimeout, 1036, 1035},
    {SettingsList::VoxLevel, 1038, 1037},
    {SettingsList::ScanMode, 1048, 1047},
    {SettingsList::VoxDelay, 1050, 1049},
    {SettingsList::PriorityChannel, 1046, 1045},
}};

ChannelOption OptionOfColumn(int column) { return ColumnInfo(column).option; }

std::array<std::string, 2> OptionChoices(int column) {
  const OptionColumn& c = ColumnInfo(column);
  return {GetLangString(c.bitClear), GetLangString(c.bitSet)};
}

ChannelRowTexts ChannelRow(const CRondelDoc& doc, int n) {
  ChannelRowTexts row;
  row.text[0] = std::to_string(n);
  row.editable[1] = true;
  if (doc.IsChannelEmpty(n)) return row;

  const std::string off = GetLangString("IDS_OFF");
  const bool hasTx = !doc.LacksFrequency(n);
  row.text[1] = doc.GetFrequencyText(n, Direction::Receive);
  row.text[2] = doc.GetToneText(n, Direction::Receive, off);
  row.text[3] = doc.GetFrequencyText(n, Direction::Transmit);
  if (hasTx) row.text[4] = doc.GetToneText(n, Direction::Transmit, off);
  for (const auto& c : kOptionColumns)
    row.text[static_cast<std::size_t>(c.column)] =
        GetLangString(doc.GetChannelOption(n, c.option) ? c.bitSet : c.bitClear);
  for (int col = 2; col < kChannelColumns; ++col) row.editable[static_cast<std::size_t>(col)] = true;
  row.editable[4] = hasTx;
  return row;
}

std::vector<std::string> SettingsListEntries(SettingsList list, const CRondelDoc& doc,
                                             const CSettings& settings) {
  switch (list) {
    case SettingsList::FrequencyRange: return settings.ModelNames();
    case SettingsList::VoicePrompt: return GetNumberedList(NumberedList::VoiceAnnunciation);
    case SettingsList::PttId: return GetNumberedList(NumberedList::PttId);
    case SettingsList::SideKey1:
    case SettingsList::SideKey2: return GetNumberedList(NumberedList::MonitorKey);
    case SettingsList::ScanMode: return GetNumberedList(NumberedList::ScanMode);
    case SettingsList::SquelchLevel: return Numbers(0, 9, 1);
    case SettingsList::TxTimeout: {
      auto entries = Numbers(30, 300, 30);
      entries.insert(entries.begin(), GetLangString("IDS_OFF"));
      return entries;
    }
    case SettingsList::VoxLevel: {
      auto entries = Numbers(1, 9, 1);
      entries.insert(entries.begin(), GetLangString("IDS_OFF"));
      return entries;
    }
    case SettingsList::VoxDelay: {
      std::vector<std::string> entries;
      for (int tenths = 5; tenths <= 30; tenths += 5) {
        char text[16];
        std::snprintf(text, sizeof text, "%d.%d", tenths / 10, tenths % 10);
        entries.emplace_back(text);
      }
      return entries;
    }
    case SettingsList::PriorityChannel: {
      std::vector<std::string> entries{GetLangString("IDS_OFF")};
      const int count = settings.ChannelCount();
      for (int n = 1; n <= count; ++n)
        if (!doc.IsChannelEmpty(n)) entries.push_back(std::to_string(n));
      return entries;
    }
  }
  return {};
}

int SettingsListSelection(SettingsList list, const CRondelDoc& doc, const CSettings& settings) {
  const auto entries = SettingsListEntries(list, doc, settings);
  int index = 0;
  if (list == SettingsList::FrequencyRange) {
    index = doc.FindModel(settings);
  } else if (list == SettingsList::PriorityChannel) {
    const int p = doc.GetSetting(Setting::PriorityChannel);
    if (p == 0) return entries.empty() ? -1 : 0;
    // The list's prefix search: the first entry that begins with the number.
    const std::string prefix = std::to_string(p);
    for (std::size_t i = 0; i < entries.size(); ++i)
      if (entries[i].compare(0, prefix.size(), prefix) == 0) return static_cast<int>(i);
    return -1;
  } else {
    index = doc.GetSetting(SettingOf(list));
  }
  return index >= 0 && static_cast<std::size_t>(index) < entries.size() ? index : -1;
}

}  // namespace rondel
