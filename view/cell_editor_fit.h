// SPDX-License-Identifier: GPL-3.0-or-later
// How wide a cell editor must be to show a text whole: the field's or the list's frame, its
// inner margins and (for a list) its arrow, at the editor's own font and style.
#pragma once

#include <QStringList>

class QWidget;

namespace rondel {

// The width `editor` (a line edit or a drop-down list) needs for the widest of `texts`.
int CellEditorWidth(const QWidget* editor, const QStringList& texts);

}  // namespace rondel
