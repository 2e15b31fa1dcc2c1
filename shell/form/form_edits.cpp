// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/form/form_edits.h"

#include <algorithm>
#include <cstdlib>

#include "core/frequency_codec.h"
#include "core/tone_codec.h"
#include "core/tone_lists.h"
#include "platform/ascii.h"
#include "platform/prompt.h"
#include "shell/form/channel_columns.h"
#include "shell/language.h"

namespace rondel {
namespace {

template <class Accept>
bool AllAccepted(std::string_view text, std::size_t maxChars, Accept accept) {
  return text.size() <= maxChars && std::all_of(text.begin(), text.end(), accept);
}

// The number the priority list shows now, as the grid reads it: the selected entry's text as
// a decimal number; 0 for the off entry or no selection.
int PriorityShown(const CRondelDoc& doc, const CSettings& settings) {
  const SettingsListFill list = FillSettingsList(SettingsList::PriorityChannel, doc, settings);
  if (list.selection <= 0) return 0;
  return std::atoi(list.entries[static_cast<std::size_t>(list.selection)].c_str());
}

// The common checks of a grid edit: a row of the grid, a cell of the expected editor, and
// editable for the channel's state.
EditRefusal CheckCell(const CRondelDoc& doc, const CSettings& settings, int row, int column,
                      CellEditor editor) {
  if (row < 1 || row > settings.ChannelCount()) return EditRefusal::RowOutside;
  if (ColumnInfo(column).editor != editor || !IsCellEditable(doc, row, column))
    return EditRefusal::ReadOnlyCell;
  return EditRefusal::None;
}

EditOutcome Refused(EditRefusal why) {
  EditOutcome o;
  o.refused = why;
  return o;
}

EditOutcome CommitFrequency(CRondelDoc& doc, const CSettings& settings, const FrequencyEdit& e) {
  if (const auto why = CheckCell(doc, settings, e.row, e.column, CellEditor::Frequency);
      why != EditRefusal::None)
    return Refused(why);
  if (!FrequencyEditAccepts(e.text)) return Refused(EditRefusal::TextRefused);

  const int n = e.row;
  const Direction d = ColumnInfo(e.column).direction;
  // Both noted before anything is written: the list shows what the image held until now.
  const bool wereEqual = doc.TxEqualsRx(n);
  const int priorityShown = PriorityShown(doc, settings);

  // Outside the band the nearer edge is taken, without a word.
  std::string t = e.text;
  if (const int side = BandCheck(t, doc.bandLow, doc.bandHigh); side != 0)
    t = BandEdgeText(side, doc.bandLow, doc.bandHigh);

  EditOutcome o;
  o.row = n;
  o.column = e.column;
  o.refresh = EditRefresh::Row;
  o.modified = !EqualNoCase(t, doc.GetFrequencyText(n, d));
  // Stored even when unchanged, so a frequency off the raster is snapped by merely opening
  // and leaving its cell.
  doc.SetFrequencyText(n, d, t);

  if (t.empty()) {
    doc.SetToneText(n, Direction::Transmit, "");
    if (d == Direction::Receive) {
      // The channel is deleted: what is left of it goes back to a new channel's state.
      doc.SetToneText(n, Direction::Receive, "");
      doc.SetFrequencyText(n, Direction::Transmit, "");
      doc.WriteChannelDefaults(n);
      if (priorityShown == n) doc.SetSetting(Setting::PriorityChannel, 0);
    }
  } else if (d == Direction::Receive && wereEqual) {
    doc.SetFrequencyText(n, Direction::Transmit, doc.GetFrequencyText(n, Direction::Receive));
  }
  return o;
}

EditOutcome CommitTone(CRondelDoc& doc, const CSettings& settings, const ToneEdit& e) {
  if (const auto why = CheckCell(doc, settings, e.row, e.column, CellEditor::Tone);
      why != EditRefusal::None)
    return Refused(why);

  EditOutcome o;
  o.row = e.row;
  o.column = e.column;
  o.refresh = EditRefresh::Row;
  // Leaving the editor without a chosen item (a stored tone that is in none of the lists)
  // keeps the stored tone: nothing was chosen, so nothing is lost.
  if (!e.item) return o;
  const std::vector<std::string> items = ToneListItems();
  if (FindToneItem(items, *e.item) < 0 && !(e.anyHeldTone && HeldToneText(*e.item)))
    return Refused(EditRefusal::NotInToneList);

  const int n = e.row;
  const Direction d = ColumnInfo(e.column).direction;
  const bool wereEqual = doc.TonesEqual(n);
  const std::string& t = *e.item;
  o.modified = !EqualNoCase(t, doc.GetToneText(n, d, GetLangString("IDS_OFF")));
  doc.SetToneText(n, d, t);
  if (d == Direction::Receive && wereEqual) doc.SetToneText(n, Direction::Transmit, t);
  return o;
}

EditOutcome CommitOption(CRondelDoc& doc, const CSettings& settings, const OptionEdit& e) {
  if (const auto why = CheckCell(doc, settings, e.row, e.column, CellEditor::Choice);
      why != EditRefusal::None)
    return Refused(why);
  if (e.index != 0 && e.index != 1) return Refused(EditRefusal::NotABit);
  // An option bit is applied at once, and a change of it is a change of the document like
  // any other: closing the window must not lose it without a question.
  const ChannelOption option = ColumnInfo(e.column).option;
  EditOutcome o;
  o.row = e.row;
  o.column = e.column;
  o.refresh = EditRefresh::Cell;
  o.modified = doc.GetChannelOption(e.row, option) != e.index;
  doc.SetChannelOption(e.row, option, e.index);
  return o;
}

EditOutcome ChangeFrequencyRange(CRondelDoc& doc, const CSettings& settings, int k,
                                 const ConfirmRangeChange& confirm) {
  const std::vector<std::string> names = settings.ModelNames();
  if (k < 0 || static_cast<std::size_t>(k) >= names.size()) return Refused(EditRefusal::NotAnEntry);
  EditOutcome o;
  if (k == doc.FindModel(settings)) return o;
  if (confirm && !confirm()) {
    o.declined = true;
    o.refresh = EditRefresh::Settings;
    return o;
  }
  doc.Blank();
  doc.SelectModel(k, settings);
  o.modified = true;
  o.refresh = EditRefresh::Form;
  return o;
}

EditOutcome SelectListEntry(CRondelDoc& doc, const CSettings& settings, const ListEdit& e,
                            const ConfirmRangeChange& confirm) {
  if (e.list == SettingsList::FrequencyRange)
    return ChangeFrequencyRange(doc, settings, e.index, confirm);
  const std::vector<std::string> entries = SettingsListEntries(e.list, doc, settings);
  if (e.index < 0 || static_cast<std::size_t>(e.index) >= entries.size())
    return Refused(EditRefusal::NotAnEntry);
  int value = e.index;
  // The priority list names channels: the chosen entry's number is stored, the first entry
  // (off) as 0.
  if (e.list == SettingsList::PriorityChannel)
    value = e.index == 0 ? 0 : std::atoi(entries[static_cast<std::size_t>(e.index)].c_str());
  if (!doc.SetSetting(SettingOfList(e.list), value)) return Refused(EditRefusal::NotAnEntry);
  EditOutcome o;
  o.modified = true;
  return o;
}

EditOutcome CheckBox(CRondelDoc& doc, const CheckEdit& e) {
  if (e.setting != Setting::FmRadio && e.setting != Setting::BatterySaver)
    return Refused(EditRefusal::NotAControl);
  doc.SetSetting(e.setting, e.checked ? 1 : 0);
  EditOutcome o;
  o.modified = true;
  return o;
}

// Codes and password are compared as the bytes they become: retyping the same code in
// lower case, or leaving the field untouched, is no change.
EditOutcome CommitCode(CRondelDoc& doc, const CodeEdit& e) {
  if (!PttCodeEditAccepts(e.text)) return Refused(EditRefusal::TextRefused);
  const PttCodeBytes bytes = EncodePttCode(e.text);
  EditOutcome o;
  if (bytes == doc.GetPttCode(e.which)) return o;
  doc.SetPttCode(e.which, bytes);
  o.modified = true;
  return o;
}

EditOutcome CommitPassword(CRondelDoc& doc, const PasswordEdit& e) {
  if (!PasswordEditAccepts(e.text)) return Refused(EditRefusal::TextRefused);
  const PasswordBytes bytes = EncodePassword(e.text);
  EditOutcome o;
  if (bytes == doc.GetReadPassword()) return o;
  doc.SetReadPassword(bytes);
  o.modified = true;
  return o;
}

}  // namespace

EditOutcome ApplyFormEdit(CRondelDoc& doc, const CSettings& settings, const FormEdit& edit,
                          const ConfirmRangeChange& confirm) {
  struct Visitor {
    CRondelDoc& doc;
    const CSettings& settings;
    const ConfirmRangeChange& confirm;
    EditOutcome operator()(const FrequencyEdit& e) { return CommitFrequency(doc, settings, e); }
    EditOutcome operator()(const ToneEdit& e) { return CommitTone(doc, settings, e); }
    EditOutcome operator()(const OptionEdit& e) { return CommitOption(doc, settings, e); }
    EditOutcome operator()(const ListEdit& e) { return SelectListEntry(doc, settings, e, confirm); }
    EditOutcome operator()(const CheckEdit& e) { return CheckBox(doc, e); }
    EditOutcome operator()(const CodeEdit& e) { return CommitCode(doc, e); }
    EditOutcome operator()(const PasswordEdit& e) { return CommitPassword(doc, e); }
  };
  return std::visit(Visitor{doc, settings, confirm}, edit);
}

bool AskFrequencyRangeChange() {
  return ShowPrompt(GetLangString("IDS_CONFIRM_FREQ"), GetLangString("IDS_CONFIRM"),
                    PromptIcon::Warning, PromptButtons::OkCancel) == PromptAnswer::Ok;
}

bool FrequencyEditAccepts(std::string_view text) {
  return AllAccepted(text, kFreqEditMaxChars, [](char c) { return IsDigit(c) || c == '.'; }) &&
         std::count(text.begin(), text.end(), '.') <= 1;
}

bool PttCodeEditAccepts(std::string_view text) {
  return AllAccepted(text, layout::kPttCodeSize, [](char c) {
    return IsDigit(c) || (c >= 'A' && c <= 'D') || (c >= 'a' && c <= 'd');
  });
}

bool PasswordEditAccepts(std::string_view text) { return IsPasswordText(text); }

std::vector<std::string> ToneListItems() { return ToneChoices(GetLangString("IDS_OFF")); }

int ToneItemForCell(const std::vector<std::string>& items, std::string_view cellText) {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (items[i].size() >= cellText.size() &&
        EqualNoCase(std::string_view(items[i]).substr(0, cellText.size()), cellText))
      return static_cast<int>(i);
  return -1;
}

int FindToneItem(const std::vector<std::string>& items, std::string_view text) {
  for (std::size_t i = 0; i < items.size(); ++i)
    if (EqualNoCase(items[i], text)) return static_cast<int>(i);
  return -1;
}

}  // namespace rondel
