// SPDX-License-Identifier: GPL-3.0-or-later
// What the form shows, as texts, without any widget: the channel grid's cells and their
// editability, and the entries and selection of every settings list. The form, the printout
// and the command-line listing all take their texts from here.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/rondel_doc.h"
#include "shell/language.h"
#include "shell/settings.h"

namespace rondel {

struct ChannelRowTexts {
  std::array<std::string, kChannelColumns> text;
  std::array<bool, kChannelColumns> editable{};
};

// Row n of the channel grid (n = 1..16): texts from the image, localised, and which cells the
// user may edit. A channel without receive frequency shows only its number.
ChannelRowTexts ChannelRow(const CRondelDoc& doc, int n);

// The option shown in grid column `column` (5..11), and the two texts of its choice list in
// list order: index = stored bit value.
ChannelOption OptionOfColumn(int column);
std::array<std::string, 2> OptionChoices(int column);

// The model's name when the settings' list holds exactly the image's band code, else the code
// itself in hex: a radio of another band must not pass for model 0.
std::string ModelNameOf(const CRondelDoc& doc, const CSettings& settings);

enum class SettingsList {
  FrequencyRange,
  VoicePrompt,
  PttId,
  SquelchLevel,
  SideKey1,
  SideKey2,
  TxTimeout,
  VoxLevel,
  ScanMode,
  VoxDelay,
  PriorityChannel,
};

// The settings lists in the order the form fills them (their controls: view/).
extern const std::array<SettingsList, 11> kSettingsLists;

std::vector<std::string> SettingsListEntries(SettingsList list, const CRondelDoc& doc,
                                             const CSettings& settings);
// The entry the form selects for the image's value; -1 when none fits.
int SettingsListSelection(SettingsList list, const CRondelDoc& doc, const CSettings& settings);

// A list's entries and its selection, as the form fills it.
struct SettingsListFill {
  std::vector<std::string> entries;
  int selection = -1;
};
SettingsListFill FillSettingsList(SettingsList list, const CRondelDoc& doc,
                                  const CSettings& settings);

// The radio-wide setting a list writes its index into (none for the frequency range, which
// selects a model).
Setting SettingOfList(SettingsList list);

}  // namespace rondel
