// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cli/edit_command.h"

#include <charconv>
#include <ostream>

#include "core/data_file.h"
#include "core/field_catalogue.h"
#include "shell/form/channel_columns.h"
#include "shell/language.h"
#include "tools/cli/cli_main.h"

namespace rondel::cli {
namespace {

// A whole decimal number, nothing before or after it.
std::optional<int> Number(std::string_view text) {
  int value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (ec != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

std::optional<int> Bit(std::string_view text) {
  if (text == "0") return 0;
  if (text == "1") return 1;
  return std::nullopt;
}

ParsedAssignment Edit(FormEdit edit) { return {std::move(edit), EditRefusal::None}; }
ParsedAssignment Refused(EditRefusal why) { return {std::nullopt, why}; }

// "ch<n>.<field>": the grid cell of channel n in the column of that field.
ParsedAssignment ChannelAssignment(std::string_view name, std::string_view text) {
  const std::optional<ChannelFieldName> split = SplitChannelFieldName(name);
  if (!split) return Refused(EditRefusal::NotAControl);
  const int row = split->channel;
  const std::string_view field = split->field;
  for (const ChannelColumnInfo& c : kChannelColumnTable) {
    if (c.field != field) continue;
    const int column = ColumnIndex(c.column);
    switch (c.editor) {
      case CellEditor::Frequency: return Edit(FrequencyEdit{row, column, std::string(text)});
      case CellEditor::Tone: {
        // The tone editor's item of that text; "off" and an empty text are its off item.
        const std::vector<std::string> items = ToneListItems();
        int item = FindToneItem(items, text);
        if (text.empty() || EqualNoCase(text, "off")) item = 0;
        if (item < 0) return Refused(EditRefusal::NotInToneList);
        return Edit(ToneEdit{row, column, items[static_cast<std::size_t>(item)]});
      }
      case CellEditor::Choice: {
        const std::optional<int> bit = Bit(text);
        if (!bit) return Refused(EditRefusal::NotABit);
        return Edit(OptionEdit{row, column, *bit});
      }
      case CellEditor::None: break;
    }
  }
  return Refused(EditRefusal::NotAControl);
}

}  // namespace

ParsedAssignment ParseAssignment(std::string_view name, std::string_view text,
                                 const CRondelDoc& doc, const CSettings& settings) {
  if (name.starts_with(field_names::kChannelPrefix)) return ChannelAssignment(name, text);

  if (name == field_names::kModel) {
    const std::optional<int> k = Number(text);
    if (!k) return Refused(EditRefusal::NotAnEntry);
    return Edit(ListEdit{SettingsList::FrequencyRange, *k});
  }
  if (name == SettingName(Setting::PriorityChannel)) {
    // The channel's entry of the priority list, as the user picks it; 0 is the off entry.
    const std::optional<int> channel = Number(text);
    if (!channel) return Refused(EditRefusal::NotAnEntry);
    if (*channel == 0) return Edit(ListEdit{SettingsList::PriorityChannel, 0});
    const auto entries = SettingsListEntries(SettingsList::PriorityChannel, doc, settings);
    for (std::size_t i = 1; i < entries.size(); ++i)
      if (entries[i] == text) return Edit(ListEdit{SettingsList::PriorityChannel, static_cast<int>(i)});
    return Refused(EditRefusal::NotAnEntry);
  }
  for (const SettingsList list : kSettingsLists) {
    if (list == SettingsList::FrequencyRange || list == SettingsList::PriorityChannel ||
        name != SettingName(SettingOfList(list)))
      continue;
    const std::optional<int> index = Number(text);
    if (!index) return Refused(EditRefusal::NotAnEntry);
    return Edit(ListEdit{list, *index});
  }
  for (const Setting box : {Setting::FmRadio, Setting::BatterySaver}) {
    if (name != SettingName(box)) continue;
    const std::optional<int> bit = Bit(text);
    if (!bit) return Refused(EditRefusal::NotABit);
    return Edit(CheckEdit{box, *bit == 1});
  }
  for (const PttCode code : {PttCode::Start, PttCode::End})
    if (name == PttCodeField(code).name) return Edit(CodeEdit{code, std::string(text)});
  if (name == FieldOfKind(FieldKind::ReadPassword).name) return Edit(PasswordEdit{std::string(text)});
  return Refused(EditRefusal::NotAControl);
}

namespace {

const char* RefusalKey(EditRefusal why) {
  switch (why) {
    case EditRefusal::RowOutside: return "IDS_CLI_EDIT_ROW";
    case EditRefusal::ReadOnlyCell: return "IDS_CLI_EDIT_READONLY";
    case EditRefusal::TextRefused: return "IDS_CLI_EDIT_TEXT";
    case EditRefusal::NotInToneList: return "IDS_CLI_EDIT_TONE";
    case EditRefusal::NotAnEntry: return "IDS_CLI_EDIT_ENTRY";
    case EditRefusal::NotABit: return "IDS_CLI_EDIT_BIT";
    case EditRefusal::NotAControl:
    case EditRefusal::None: break;
  }
  return "IDS_CLI_EDIT_NAME";
}

}  // namespace

int CmdEdit(const std::vector<std::string>& operands, const std::optional<std::string>& output,
            const CSettings& settings, std::ostream& stdOut, std::ostream& err) {
  if (operands.empty()) return Usage(err, "IDS_CLI_MISSING", "edit FILE");
  if (operands.size() < 2) return Usage(err, "IDS_CLI_MISSING", "edit FILE NAME=VALUE");
  for (std::size_t i = 1; i < operands.size(); ++i)
    if (operands[i].find('=') == std::string::npos) return Usage(err, "IDS_CLI_BADARG", operands[i]);

  const std::string& file = operands[0];
  const std::string& out = output ? *output : file;
  Rewrite rewrite;
  if (const int status = BeginRewrite(file, out, rewrite, err); status != kExitOk) return status;
  CRondelDoc doc;
  if (const int status = StartingDocument(doc, file, settings, false, err, &rewrite.opened);
      status != kExitOk)
    return status;

  for (std::size_t i = 1; i < operands.size(); ++i) {
    const std::string& assignment = operands[i];
    const std::size_t eq = assignment.find('=');
    const std::string_view whole(assignment);
    ParsedAssignment parsed =
        ParseAssignment(whole.substr(0, eq), whole.substr(eq + 1), doc, settings);
    // The command line answers the range question itself: it was asked for the change.
    EditRefusal why = parsed.refused;
    if (parsed.edit) why = ApplyFormEdit(doc, settings, *parsed.edit).refused;
    if (why != EditRefusal::None) {
      err << "rondel-cli: " << GetLangString(RefusalKey(why)) << " " << assignment << "\n";
      return kExitDataErr;
    }
  }

  return SaveDocument(doc, out, settings, stdOut, err, rewrite.SaveOver());
}

}  // namespace rondel::cli
