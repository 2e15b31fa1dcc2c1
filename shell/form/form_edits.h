// SPDX-License-Identifier: GPL-3.0-or-later
// The edit rules of the form: what each change a user makes in the settings panel or the
// channel grid writes into the image, whether the document then counts as modified, and which
// changes the form's controls would never let through. The desktop form and `rondel-cli edit`
// both make their edits here. Plain C++.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "core/rondel_doc.h"
#include "platform/ascii.h"  // EqualNoCase: the form matches the texts it is given by it
#include "shell/form/form_texts.h"
#include "shell/settings.h"

namespace rondel {

// Grid edits: `row` is the channel, `column` the grid column (see channel_columns.h).
struct FrequencyEdit {  // columns 1 and 3: the frequency editor's text when it closes
  int row;
  int column;
  std::string text;
};
struct ToneEdit {  // columns 2 and 4: the text of the chosen item; none when none is chosen
  int row;
  int column;
  std::optional<std::string> item;
  // A channel list may carry any tone the radio can hold, also one the lists lack (a radio
  // may hold one); the editor itself offers only the listed ones.
  bool anyHeldTone = false;
};
struct OptionEdit {  // columns 5 to 11: item 0 or 1 of the choice editor
  int row;
  int column;
  int index;
};
// Settings panel edits.
struct ListEdit {  // an entry of a settings list; for the frequency range, a model change
  SettingsList list;
  int index;
};
struct CheckEdit {  // the FM radio or battery saver check box
  Setting setting;
  bool checked;
};
struct CodeEdit {  // a PTT code edit's text when it loses the focus
  PttCode which;
  std::string text;
};
struct PasswordEdit {  // the read password's text when it loses the focus
  std::string text;
};

using FormEdit =
    std::variant<FrequencyEdit, ToneEdit, OptionEdit, ListEdit, CheckEdit, CodeEdit, PasswordEdit>;

// Why an edit was not made: each names something the form's controls would not allow.
enum class EditRefusal {
  None,
  RowOutside,     // a channel outside rows 1..N of the grid
  ReadOnlyCell,   // the cell is read-only for the channel's state, or not a cell of that kind
  TextRefused,    // text the editor's character filter or length limit refuses
  NotInToneList,  // a tone the tone editor does not offer (or, for anyHeldTone, the radio
                  // cannot hold)
  NotAnEntry,     // an index that is not an entry of the list
  NotABit,        // an option item other than 0 or 1
  NotAControl,    // a setting the form has no check box for
};

// What the form shows again after an edit.
enum class EditRefresh {
  None,      // the control already shows what was stored
  Cell,      // the edited cell (the option editor stays open)
  Row,       // the edited row and the priority-channel list
  Settings,  // the settings panel (a declined range change puts the old entry back)
  Form,      // everything: a range change erased the channels
};

struct EditOutcome {
  EditRefusal refused = EditRefusal::None;
  bool declined = false;   // the range change's question was not answered OK
  bool modified = false;   // the rule counts the edit as a change of the document
  EditRefresh refresh = EditRefresh::None;
  int row = 0;
  int column = 0;
  bool Applied() const { return refused == EditRefusal::None && !declined; }
};

// Asked before a frequency-range change erases the channels; true goes on. Without one the
// change goes on unasked.
using ConfirmRangeChange = std::function<bool()>;

// Applies one edit to the image. The modified flag itself is the caller's to set from the
// outcome (the document's ApplyEdit does that and refreshes the views).
EditOutcome ApplyFormEdit(CRondelDoc& doc, const CSettings& settings, const FormEdit& edit,
                          const ConfirmRangeChange& confirm = {});

// The form's question before a range change ("IDS_CONFIRM_FREQ", OK and Cancel, warning).
bool AskFrequencyRangeChange();

// What the editors let a user type: the frequency editor at most 9 characters of digits and
// one "."; the PTT codes 0-9, A-D, a-d and the read password 0-9, A-Z, a-z, one character
// for each byte of their fields (layout::kPttCodeSize, layout::kReadPasswordSize). Empty text
// is always accepted.
inline constexpr std::size_t kFreqEditMaxChars = 9;
bool FrequencyEditAccepts(std::string_view text);
bool PttCodeEditAccepts(std::string_view text);
bool PasswordEditAccepts(std::string_view text);

// The tone editor's items: the localised "IDS_OFF", then the 258 tones of lists 136, 135, 134.
std::vector<std::string> ToneListItems();
// The item the tone editor opens on for a cell's text: the first that begins with it, without
// regard to case; -1 when none does.
int ToneItemForCell(const std::vector<std::string>& items, std::string_view cellText);
// The item whose text is `text` without regard to case; -1 when there is none.
int FindToneItem(const std::vector<std::string>& items, std::string_view text);

}  // namespace rondel
