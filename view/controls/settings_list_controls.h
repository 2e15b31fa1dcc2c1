// SPDX-License-Identifier: GPL-3.0-or-later
// Which controls of the form (template 101) show each settings list: the list and its label.
// Plain C++ and a library of its own, so the command-line listing names a list by the label
// the form gives it without seeing the windows.
#pragma once

#include "resources/control_ids.h"
#include "shell/form/form_texts.h"

namespace rondel {

struct SettingsListControls {
  int controlId;
  int labelId;
};

constexpr SettingsListControls ControlsOfList(SettingsList list) {
  switch (list) {
    case SettingsList::FrequencyRange: return {IDC_FREQ_RANGE, IDC_FREQ_RANGE_LABEL};
    case SettingsList::VoicePrompt: return {IDC_VOICE_PROMPT, IDC_VOICE_PROMPT_LABEL};
    case SettingsList::PttId: return {IDC_PTT_ID, IDC_PTT_ID_LABEL};
    case SettingsList::SquelchLevel: return {IDC_SQUELCH, IDC_SQUELCH_LABEL};
    case SettingsList::SideKey1: return {IDC_SIDE_KEY1, IDC_SIDE_KEY1_LABEL};
    case SettingsList::SideKey2: return {IDC_SIDE_KEY2, IDC_SIDE_KEY2_LABEL};
    case SettingsList::TxTimeout: return {IDC_TX_TIMEOUT, IDC_TX_TIMEOUT_LABEL};
    case SettingsList::VoxLevel: return {IDC_VOX_LEVEL, IDC_VOX_LEVEL_LABEL};
    case SettingsList::ScanMode: return {IDC_SCAN_MODE, IDC_SCAN_MODE_LABEL};
    case SettingsList::VoxDelay: return {IDC_VOX_DELAY, IDC_VOX_DELAY_LABEL};
    case SettingsList::PriorityChannel: return {IDC_PRIORITY, IDC_PRIORITY_LABEL};
  }
  return {0, 0};  // unreachable: every list has its controls
}

}  // namespace rondel
