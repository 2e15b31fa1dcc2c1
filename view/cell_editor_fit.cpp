// SPDX-License-Identifier: GPL-3.0-or-later
#include "view/cell_editor_fit.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

#include <algorithm>

namespace rondel {

int CellEditorWidth(const QWidget* editor, const QStringList& texts) {
  if (editor == nullptr) return 0;
  if (qobject_cast<const QComboBox*>(editor) != nullptr) {
    // The list measured as the toolkit measures one sized to its contents.
    QComboBox probe;
    probe.setFont(editor->font());
    probe.setStyle(editor->style());
    probe.setSizeAdjustPolicy(QComboBox::AdjustToContents);
    probe.addItems(texts);
    return probe.sizeHint().width();
  }
  if (const auto* edit = qobject_cast<const QLineEdit*>(editor)) {
    const QFontMetrics fm(edit->font());
    int widest = 0;
    for (const QString& text : texts) widest = std::max(widest, fm.horizontalAdvance(text));
    // The line edit's own two pixels of air each side, its text margins, then its frame.
    const QMargins margins = edit->textMargins();
    QStyleOptionFrame option;
    option.initFrom(edit);
    option.lineWidth = edit->hasFrame() ? edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, edit) : 0;
    const QSize contents(widest + 4 + margins.left() + margins.right() + 1, fm.height());
    return edit->style()->sizeFromContents(QStyle::CT_LineEdit, &option, contents, edit).width();
  }
  return 0;
}

}  // namespace rondel
