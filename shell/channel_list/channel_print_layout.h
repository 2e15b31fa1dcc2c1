// SPDX-License-Identifier: GPL-3.0-or-later
// The printed channel list's arithmetic, free of any window: how many pages, which channels go
// on a page, how wide and high the page is in grid units, and the date line's text.
#pragma once

#include <array>
#include <ctime>
#include <string>
#include <vector>

namespace rondel {

inline constexpr int kChannelsPerPage = 35;
// Channels 1..96 are looked at; a grid with fewer rows simply has no more.
inline constexpr int kLastPrintableChannel = 96;
// Left and right margins, in average character widths of the measuring font.
inline constexpr int kPrintMargin = 4;
// The letters whose width, divided by their number, is the average character width.
inline constexpr const char* kMeasureLetters = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
inline constexpr int kMeasureLetterCount = 52;
// Character heights of the two printer fonts, in the units of the context they are used on.
inline constexpr int kMeasuringFontHeight = 9;
inline constexpr int kPageFontHeight = 11;
inline constexpr const char* kPrinterFontFace = "Times New Roman";

// Pages for `existing` channels: one up to a page's worth (also for none), else as many
// 35-channel pages as they need.
int PrintPageCount(int existing);

// The channels of page `page` (1-based), taken from the ascending list of existing channels:
// the ones with ordinals 35 × (page − 1) + 1 to 35 × page. Empty for a page beyond them.
std::vector<int> ChannelsOnPage(const std::vector<int>& existing, int page);

// a × b ÷ c through a 64-bit product, rounded to the nearest integer (halves away from zero).
// −1 when c is 0 or the result does not fit, as the platform's multiply-divide has it.
int MulDiv(int a, int b, int c);

// The page in grid units and where it lies on the paper.
struct PrintPageGeometry {
  int charWidth = 0;      // average character width of the measuring font, device pixels
  int leftMargin = 0;     // in character widths
  int rightMargin = 0;
  int paperWidth = 0;     // printable area, device pixels
  int paperHeight = 0;
  int logicalWidth = 0;   // the page in grid units
  int logicalHeight = 0;

  // Window origin x: the left margin lies left of the grid's x = 0.
  int OriginX() const { return -leftMargin * charWidth; }
  // Width of the drawing rectangle: the page between the margins.
  int DrawWidth() const { return logicalWidth - (leftMargin + rightMargin) * charWidth; }
  // A page with no printable area, or a mapping that would fold it, is not drawn on.
  bool Drawable() const {
    return paperWidth > 0 && paperHeight > 0 && logicalWidth > 0 && logicalHeight > 0;
  }
};

// `gridWidth`: the sum of the grid's column widths; `measuredLetters`: the width of
// kMeasureLetters in the measuring font on the printer. The page is as wide as the grid and
// both margins, and as high as the printable area's aspect ratio makes it.
PrintPageGeometry ComputePrintGeometry(int gridWidth, int measuredLetters, int paperWidth,
                                       int paperHeight, int leftMargin = kPrintMargin,
                                       int rightMargin = kPrintMargin);

// The names a date line is written with, in the program's language: the weekdays from Sunday
// and the months from January.
struct PrintDateNames {
  std::array<std::string, 7> weekdays;
  std::array<std::string, 12> months;
};

// The date line: `pattern` with %Y (year), %m (month 01-12), %d (day 01-31), %H (hour 00-23),
// %M (minute), %A (weekday name), %B (month name) and %% (a "%") filled in from `time`; any
// other "%" sequence is kept as it stands. A field out of its range gives an empty name.
std::string FormatPrintDate(const std::tm& time, const std::string& pattern, const PrintDateNames& names);

// The names and the pattern of the current language file (IDS_PRINT_WEEKDAY0..6,
// IDS_PRINT_MONTH1..12, IDS_PRINT_DATE), whatever locale the program runs in.
PrintDateNames LanguageDateNames();
std::string LanguageDateLine(const std::tm& time);

// The footer's page text: the first "%d" of `pattern` is the page, the second the page count.
std::string FormatPageOf(const std::string& pattern, int page, int pages);

}  // namespace rondel
