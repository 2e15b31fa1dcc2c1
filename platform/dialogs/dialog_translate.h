// SPDX-License-Identifier: GPL-3.0-or-later
// The walk that puts a language's texts on a built dialog: the window's caption from its
// number, then every direct child control, in template order, from the child's number.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace rondel {

// The text of a dialog or control number; empty when there is none.
using ResourceTextLookup = std::function<std::string(int number)>;

// A found text replaces the caption or the control's text; an empty one leaves it as it is,
// so a text is never cleared. Any kind of control takes its entry (see SetControlText).
// Then every control is sized to its text (FitControlsToTexts).
void TranslateWindow(QWidget* window, int number, const ResourceTextLookup& lookup);

}  // namespace rondel
