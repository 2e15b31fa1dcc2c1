// SPDX-License-Identifier: GPL-3.0-or-later
// The cell's right column and bottom row belong to the grid line drawn after it, so borders,
// frames and text keep inside the rest.
#include "grid/grid_cell_draw.h"

#include "grid/grid_ctrl.h"

#include <QPainter>

#include <algorithm>

namespace rondel {

int TextFlagsForFormat(unsigned format) {
  int flags = 0;
  if (format & GV_FMT_CENTER) {
    flags |= Qt::AlignHCenter;
  } else if (format & GV_FMT_RIGHT) {
    flags |= Qt::AlignRight;
  } else {
    flags |= Qt::AlignLeft;
  }
  // Vertical centring only ever applied to single-line text, so wrapped headings stay at the top.
  const bool single = (format & GV_FMT_SINGLELINE) != 0;
  flags |= (single && (format & GV_FMT_VCENTER)) ? Qt::AlignVCenter : Qt::AlignTop;
  if (single) {
    flags |= Qt::TextSingleLine;
  } else if (format & GV_FMT_WORDBREAK) {
    flags |= Qt::TextWordWrap;
  }
  return flags;
}

namespace {

void HLine(QPainter& p, int x1, int x2, int y, const QColor& c) {
  p.setPen(c);
  p.drawLine(x1, y, x2, y);
}

void VLine(QPainter& p, int x, int y1, int y2, const QColor& c) {
  p.setPen(c);
  p.drawLine(x, y1, x, y2);
}

}  // namespace

QRect CellTextRect(const QRect& rect, int margin, int inset) {
  return QRect(QPoint(rect.left() + margin + inset, rect.top() + inset),
               QPoint(rect.right() - 1 - margin - inset, rect.bottom() - 1 - inset));
}

void DrawGridCell(QPainter& painter, const QRect& rect, const CellLook& look, const QPalette& palette) {
  if (rect.width() <= 0 || rect.height() <= 0) return;
  painter.save();
  if (look.fill.isValid()) painter.fillRect(rect, look.fill);

  // Inner box: the cell without its grid-line column and row.
  const int left = rect.left();
  const int top = rect.top();
  const int right = rect.right() - 1;
  const int bottom = rect.bottom() - 1;
  int inset = 0;
  if (right >= left && bottom >= top) {
    switch (look.border) {
      case CellBorder::None:
        break;
      case CellBorder::Simple:
        HLine(painter, left, right, top, palette.color(QPalette::Light));
        VLine(painter, left, top, bottom, palette.color(QPalette::Light));
        HLine(painter, left, right, bottom, palette.color(QPalette::Shadow));
        VLine(painter, right, top, bottom, palette.color(QPalette::Shadow));
        inset = 1;
        break;
      case CellBorder::Raised:
        HLine(painter, left, right, top, palette.color(QPalette::Midlight));
        VLine(painter, left, top, bottom, palette.color(QPalette::Midlight));
        HLine(painter, left, right, bottom, palette.color(QPalette::Shadow));
        VLine(painter, right, top, bottom, palette.color(QPalette::Shadow));
        if (right - left >= 2 && bottom - top >= 2) {
          HLine(painter, left + 1, right - 1, top + 1, palette.color(QPalette::Light));
          VLine(painter, left + 1, top + 1, bottom - 1, palette.color(QPalette::Light));
          HLine(painter, left + 1, right - 1, bottom - 1, palette.color(QPalette::Dark));
          VLine(painter, right - 1, top + 1, bottom - 1, palette.color(QPalette::Dark));
        }
        inset = 2;
        break;
    }
    if (look.focusFrame) {
      painter.setPen(palette.color(QPalette::Text));
      painter.setBrush(Qt::NoBrush);
      painter.drawRect(QRect(QPoint(left, top), QPoint(right, bottom)).adjusted(0, 0, -1, -1));
      inset = std::max(inset, 1);
    }
  }

  if (!look.text.isEmpty()) {
    const QRect textRect = CellTextRect(rect, look.margin, inset);
    if (textRect.width() > 0 && textRect.height() > 0) {
      painter.setFont(look.font);
      painter.setPen(look.textColour);
      painter.setBackgroundMode(Qt::TransparentMode);
      painter.drawText(textRect, TextFlagsForFormat(look.format), look.text);
    }
  }
  painter.restore();
}

}  // namespace rondel
