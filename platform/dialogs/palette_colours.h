// SPDX-License-Identifier: GPL-3.0-or-later
// Colours derived from the palette, so that an emphasis survives a dark desktop theme: a blend
// of two colours, their contrast as readability is usually measured, and a colour moved as far
// as it takes to stay readable on its background.
#pragma once

#include <QColor>

namespace rondel {

// `percent` of the way from `from` to `to`.
QColor BlendColours(const QColor& from, const QColor& to, int percent);

// The contrast of two colours (relative luminance; 1 for equal colours, 21 for black on white).
double ColourContrast(const QColor& a, const QColor& b);

// `wanted` itself when it reads with a contrast of at least `minimum` on `background`; else
// `wanted` moved toward `towards` in steps of a tenth until it does (`towards` at the last).
QColor ReadableColour(const QColor& wanted, const QColor& background, const QColor& towards, double minimum);

// The emphasis colour of a label (red, as the test mode marks its current slider) on
// `background`: pure red where it reads, a lighter red on a dark background.
QColor EmphasisColour(const QColor& background);

}  // namespace rondel
