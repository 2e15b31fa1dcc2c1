// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/form/form_texts.h"

#include <cstdio>

#include "core/model_info.h"
#include "shell/form/channel_columns.h"

namespace rondel {

Setting SettingOfList(SettingsList list) {
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
  return Setting::SquelchLevel;  // unreachable for the lists that write a setting
}

namespace {

std::vector<std::string> Numbers(int from, int to, int step) {
  std::vector<std::string> out;
  for (int v = from; v <= to; v += step) out.push_back(std::to_string(v));
  return out;
}

}  // namespace

const std::array<SettingsList, 11> kSettingsLists = {
    SettingsList::FrequencyRange, SettingsList::VoicePrompt, SettingsList::PttId,
    SettingsList::SquelchLevel,   SettingsList::SideKey1,    SettingsList::SideKey2,
    SettingsList::TxTimeout,      SettingsList::VoxLevel,    SettingsList::ScanMode,
    SettingsList::VoxDelay,       SettingsList::PriorityChannel,
};

ChannelOption OptionOfColumn(int column) { return ColumnInfo(column).option; }

std::array<std::string, 2> OptionChoices(int column) {
  const ChannelColumnInfo& c = ColumnInfo(column);
  if (c.editor != CellEditor::Choice) return {};
  return {GetLangString(c.choiceKeys[0]), GetLangString(c.choiceKeys[1])};
}

ChannelRowTexts ChannelRow(const CRondelDoc& doc, int n) {
  ChannelRowTexts row;
  row.text[0] = std::to_string(n);
  for (int col = 1; col < kChannelColumns; ++col)
    row.editable[static_cast<std::size_t>(col)] = IsCellEditable(doc, n, col);
  if (doc.IsChannelEmpty(n)) return row;

  const std::string off = GetLangString("IDS_OFF");
  const bool hasTx = !doc.LacksFrequency(n);
  for (const ChannelColumnInfo& c : kChannelColumnTable) {
    std::string& text = row.text[static_cast<std::size_t>(c.column)];
    switch (c.editor) {
      case CellEditor::Frequency: text = doc.GetFrequencyText(n, c.direction); break;
      case CellEditor::Tone:
        // A channel without transmit frequency has no transmit tone to show.
        if (c.direction == Direction::Receive || hasTx) text = doc.GetToneText(n, c.direction, off);
        break;
      case CellEditor::Choice:
        text = GetLangString(c.choiceKeys[doc.GetChannelOption(n, c.option) ? 1 : 0]);
        break;
      case CellEditor::None: break;
    }
  }
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

SettingsListFill FillSettingsList(SettingsList list, const CRondelDoc& doc,
                                  const CSettings& settings) {
  SettingsListFill fill{SettingsListEntries(list, doc, settings), -1};
  const auto& entries = fill.entries;
  int index = 0;
  if (list == SettingsList::FrequencyRange) {
    index = doc.FindModel(settings);
  } else if (list == SettingsList::PriorityChannel) {
    const int p = doc.GetSetting(Setting::PriorityChannel);
    if (p == 0) {
      fill.selection = entries.empty() ? -1 : 0;
      return fill;
    }
    // The list's prefix search: the first entry that begins with the number.
    const std::string prefix = std::to_string(p);
    for (std::size_t i = 0; i < entries.size(); ++i) {
      if (entries[i].compare(0, prefix.size(), prefix) == 0) {
        fill.selection = static_cast<int>(i);
        break;
      }
    }
    return fill;
  } else {
    index = doc.GetSetting(SettingOfList(list));
  }
  if (index >= 0 && static_cast<std::size_t>(index) < entries.size()) fill.selection = index;
  return fill;
}

int SettingsListSelection(SettingsList list, const CRondelDoc& doc, const CSettings& settings) {
  return FillSettingsList(list, doc, settings).selection;
}

std::string ModelNameOf(const CRondelDoc& doc, const CSettings& settings) {
  const int k = doc.FindModel(settings);
  const std::vector<std::string> names = settings.ModelNames();
  const std::string entry = settings.ModelData(k, kModelDataLookupBuffer);
  if (!entry.empty() && BandCodeFromEntry(entry) == doc.GetBandCode() &&
      static_cast<std::size_t>(k) < names.size())
    return names[static_cast<std::size_t>(k)];
  return BandCodeHex(doc.GetBandCode());
}

}  // namespace rondel
