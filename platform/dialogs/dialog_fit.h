// SPDX-License-Identifier: GPL-3.0-or-later
// Controls sized from their texts: a template's box was drawn for one language and one font,
// and a longer translation or a larger desktop font must not cut a text off. After every
// translation the window goes back to the template's geometry and then gives each control
// whose text does not fit the room it lacks: the columns right of it move over (so the
// controls of one column stay aligned), boxes that span the spot grow, and so does the window.
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

namespace rondel {

// Remembers a built control's rectangle and a window's size as the template made them.
void KeepTemplateGeometry(QWidget* widget, const QRect& rect);
// The rectangle (or, for a window, the size) the template gave; invalid when none.
QRect TemplateGeometry(const QWidget* widget);

// How much wider and taller a control must be for its whole text to show in its box at its
// font; (0, 0) when it fits. Controls without a text of their own need nothing.
QSize TextOverflow(const QWidget* control);

// Back to the template's geometry, then every direct child control of `window` grown until
// its text fits (see above). Returns the size the window needs for them; a window of fixed
// size is given it, any other is left to its owner's layout.
QSize FitControlsToTexts(QWidget* window);

}  // namespace rondel
