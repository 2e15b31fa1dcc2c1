// SPDX-License-Identifier: GPL-3.0-or-later
// The channel grid shows each row as the form's rules have it: every cell's text and whether
// the user may edit it equal ChannelRow, for each state a channel can be in, whether the form
// was refilled or one edit refreshed a row or a cell.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "core/image_layout.h"
#include "grid/grid_ctrl.h"
#include "gui_support.h"
#include "shell/form/channel_columns.h"
#include "shell/form/form_edits.h"
#include "shell/form/form_texts.h"
#include "shell/qt/main_frame.h"
#include "view/rondel_view.h"

namespace rondel {
namespace {

using Bytes = std::vector<std::uint8_t>;

void Put(CRondelDoc& doc, int n, std::size_t field, const Bytes& bytes) {
  const auto at = static_cast<std::ptrdiff_t>(layout::ChannelOffset(n) + field);
  std::copy(bytes.begin(), bytes.end(), doc.image().begin() + at);
}
void Frequencies(CRondelDoc& doc, int n, const char* rx, const char* tx) {
  doc.SetFrequencyText(n, Direction::Receive, rx);
  doc.SetFrequencyText(n, Direction::Transmit, tx);
}
void Tones(CRondelDoc& doc, int n, const char* rx, const char* tx) {
  doc.SetToneText(n, Direction::Receive, rx);
  doc.SetToneText(n, Direction::Transmit, tx);
}
// Every option column's bit: set in `ones`, cleared in the others.
void Options(CRondelDoc& doc, int n, std::initializer_list<ChannelColumn> ones) {
  for (int c = 0; c < kChannelColumns; ++c) {
    if (ColumnInfo(c).editor != CellEditor::Choice) continue;
    const bool one = std::find(ones.begin(), ones.end(), static_cast<ChannelColumn>(c)) != ones.end();
    doc.SetChannelOption(n, OptionOfColumn(c), one ? 1 : 0);
  }
}

struct ChannelState {
  const char* name;
  std::function<void(CRondelDoc& doc, int n)> write;  // into the image, then the form refilled
  // Then, when there is one, an edit of channel n through the document.
  std::function<FormEdit(int n)> edit = {};
};

class ChannelGridRows : public test::ProgramTest {
 protected:
  CGridCtrl& Grid() { return *static_cast<CRondelView*>(Frame().View())->Grid(); }

  // Every cell of row n against the rules: the text, whether an edit can open on it, and the
  // read-only look exactly on the cells that are not editable.
  void ExpectRowAsTheRulesHaveIt(int n) {
    const ChannelRowTexts rules = ChannelRow(Doc(), n);
    for (int c = 0; c < kChannelColumns; ++c) {
      SCOPED_TRACE(testing::Message() << "row " << n << " column " << c);
      const auto i = static_cast<std::size_t>(c);
      GV_ITEM cell;
      cell.row = n;
      cell.col = c;
      cell.mask = GVIF_TEXT | GVIF_STATE | GVIF_BKCLR;
      ASSERT_TRUE(Grid().GetCell(cell));
      EXPECT_EQ(cell.text.toStdString(), rules.text[i]);
      const bool editable = !Grid().IsCellFixed(n, c) && (cell.state & GVIS_READONLY) == 0;
      EXPECT_EQ(editable, rules.editable[i]);
      if (c > 0) { EXPECT_EQ(IsGridDefaultColour(cell.bkColour), rules.editable[i]); }
    }
  }
};

TEST_F(ChannelGridRows, EveryCellShowsTheTextAndEditabilityTheRulesGiveItsChannel) {
  const ChannelState states[] = {
      {"empty", [](CRondelDoc& d, int n) { Put(d, n, layout::kRxFreq, {0xFF, 0xFF, 0xFF, 0xFF}); }},
      {"transmit frequency only: no channel",
       [](CRondelDoc& d, int n) {
         Frequencies(d, n, "", "446.00625");
         Tones(d, n, "88.5", "D023N");
       }},
      {"receive only, tones off", [](CRondelDoc& d, int n) { Frequencies(d, n, "446.00625", ""); }},
      {"receive only, a transmit tone the row does not show",
       [](CRondelDoc& d, int n) {
         Frequencies(d, n, "446.00625", "");
         Tones(d, n, "67.0", "254.1");
       }},
      {"receive and transmit the same", [](CRondelDoc& d, int n) { Frequencies(d, n, "145.50000", "145.50000"); }},
      {"CTCSS both sides", [](CRondelDoc& d, int n) {
         Frequencies(d, n, "438.50000", "430.90000");
         Tones(d, n, "67.0", "254.1");
       }},
      {"DCS both sides, normal and inverted", [](CRondelDoc& d, int n) {
         Frequencies(d, n, "438.50000", "430.90000");
         Tones(d, n, "D023N", "D754I");
       }},
      {"CTCSS receive, DCS transmit", [](CRondelDoc& d, int n) {
         Frequencies(d, n, "462.56250", "467.56250");
         Tones(d, n, "123.0", "D411I");
       }},
      {"every option cleared", [](CRondelDoc& d, int n) {
         Frequencies(d, n, "446.00625", "446.00625");
         Options(d, n, {});
       }},
      {"every option set", [](CRondelDoc& d, int n) {
         Frequencies(d, n, "446.00625", "446.00625");
         Options(d, n, {ChannelColumn::Opt5Off, ChannelColumn::Narrow, ChannelColumn::HighPower, ChannelColumn::Opt8Off,
                        ChannelColumn::Opt9Off, ChannelColumn::Opt10Off, ChannelColumn::Opt11Off});
       }},
      {"narrow, low power", [](CRondelDoc& d, int n) {
         Frequencies(d, n, "446.00625", "446.00625");
         Options(d, n, {ChannelColumn::Narrow});
       }},
      {"wide, high power", [](CRondelDoc& d, int n) {
         Frequencies(d, n, "446.00625", "446.00625");
         Options(d, n, {ChannelColumn::HighPower});
       }},
      {"option 5 alone", [](CRondelDoc& d, int n) {
         Frequencies(d, n, "446.00625", "");
         Options(d, n, {ChannelColumn::Opt5Off});
       }},
      {"option 8 alone", [](CRondelDoc& d, int n) {
         Frequencies(d, n, "446.00625", "");
         Options(d, n, {ChannelColumn::Opt8Off});
       }},
      {"options 9 and 11", [](CRondelDoc& d, int n) {
         Frequencies(d, n, "446.00625", "446.00625");
         Options(d, n, {ChannelColumn::Opt9Off, ChannelColumn::Opt11Off});
       }},
      {"option 10 alone", [](CRondelDoc& d, int n) {
         Frequencies(d, n, "446.00625", "446.00625");
         Options(d, n, {ChannelColumn::Opt10Off});
       }},
      {"outside every band", [](CRondelDoc& d, int n) { Frequencies(d, n, "999.99999", "000.00000"); }},
      {"damaged digits and the last byte still a frequency",
       [](CRondelDoc& d, int n) {
         Put(d, n, layout::kRxFreq, {0x25, 0x06, 0xA0, 0x99});
         Put(d, n, layout::kTxFreq, {0x00, 0x00, 0x00, 0x9A});  // one past: not set
       }},
      {"tones of odd bytes", [](CRondelDoc& d, int n) {
         Frequencies(d, n, "446.00625", "446.00625");
         Put(d, n, layout::kRxTone, {0xB5, 0x0C});
         Put(d, n, layout::kTxTone, {0x99, 0xAF});
       }},
      // The same rules after an edit has refreshed only a row or a cell.
      {"an option chosen in its editor", [](CRondelDoc& d, int n) { Frequencies(d, n, "446.00625", "446.00625"); },
       [](int n) -> FormEdit { return OptionEdit{n, ColumnIndex(ChannelColumn::Narrow), 1}; }},
      {"a transmit frequency cleared", [](CRondelDoc& d, int n) {
         Frequencies(d, n, "446.00625", "446.10625");
         Tones(d, n, "88.5", "D023N");
       },
       [](int n) -> FormEdit { return FrequencyEdit{n, ColumnIndex(ChannelColumn::TxFreq), ""}; }},
      {"a channel deleted", [](CRondelDoc& d, int n) {
         Frequencies(d, n, "446.00625", "446.10625");
         Options(d, n, {ChannelColumn::Narrow});
       },
       [](int n) -> FormEdit { return FrequencyEdit{n, ColumnIndex(ChannelColumn::RxFreq), ""}; }},
      {"a channel made", [](CRondelDoc& d, int n) { Frequencies(d, n, "", ""); },
       [](int n) -> FormEdit { return FrequencyEdit{n, ColumnIndex(ChannelColumn::RxFreq), "446.00625"}; }},
      {"a tone chosen", [](CRondelDoc& d, int n) { Frequencies(d, n, "446.00625", "446.00625"); },
       [](int n) -> FormEdit { return ToneEdit{n, ColumnIndex(ChannelColumn::TxTone), "D754I"}; }},
  };
  ASSERT_TRUE(Start());
  const int rows = Grid().GetRowCount();
  ASSERT_EQ(rows, layout::kChannelCount + 1);
  int n = 0;
  for (const ChannelState& s : states) {
    SCOPED_TRACE(s.name);
    // Each state on the next channel, the others keeping theirs: every row is checked each time.
    n = n % layout::kChannelCount + 1;
    s.write(Doc(), n);
    App().Document().UpdateAllViews();
    if (s.edit) { ASSERT_TRUE(App().Document().ApplyEdit(s.edit(n)).Applied()); }
    for (int r = 1; r < rows; ++r) ExpectRowAsTheRulesHaveIt(r);
  }
}

}  // namespace
}  // namespace rondel
