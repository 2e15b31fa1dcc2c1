// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dialogs/dialog_fit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QVariant>

#include <algorithm>
#include <map>
#include <vector>

#include "platform/dialogs/dialog_builder.h"

namespace rondel {
namespace {

constexpr const char* kTemplateRectProperty = "rondelTemplateRect";

// A button's text as it is drawn: the mnemonic marks are not shown.
QString ShownText(QString text) {
  for (int i = 0; i < text.size(); ++i) {
    if (text[i] == QLatin1Char('&')) text.remove(i, 1);
  }
  return text;
}

QSize LabelOverflow(const QLabel& label) {
  if (label.property(kControlKindProperty).toString() == QLatin1String("icon")) return {};
  const QString text = label.text();
  if (text.isEmpty()) return {};
  const QFontMetrics fm(label.font());
  const QRect box = label.contentsRect();
  const int flags = static_cast<int>(label.alignment()) | (label.wordWrap() ? Qt::TextWordWrap : 0);
  const QRect wrapped = fm.boundingRect(QRect(0, 0, std::max(1, box.width()), 0x3fffffff), flags, text);
  if (wrapped.width() <= box.width() && wrapped.height() <= box.height()) return {};
  // Too tall: the lines it was written with, side by side, if only a wider box helps;
  // otherwise (more lines than the box holds) the height it lacks.
  const QRect lines = fm.boundingRect(QRect(0, 0, 0x3fffffff, 0x3fffffff), static_cast<int>(label.alignment()), text);
  const int dx = std::max(0, (wrapped.height() > box.height() ? lines.width() : wrapped.width()) - box.width());
  return {dx, std::max(0, lines.height() - box.height())};
}

QSize ButtonOverflow(const QAbstractButton& button) {
  const QString text = ShownText(button.text());
  if (text.isEmpty()) return {};
  QStyleOptionButton option;
  option.initFrom(&button);
  option.text = button.text();
  QStyle::SubElement contents = QStyle::SE_PushButtonContents;
  if (qobject_cast<const QCheckBox*>(&button) != nullptr) contents = QStyle::SE_CheckBoxContents;
  if (qobject_cast<const QRadioButton*>(&button) != nullptr) contents = QStyle::SE_RadioButtonContents;
  const QRect room = button.style()->subElementRect(contents, &option, &button);
  const QFontMetrics fm(button.font());
  // A push button keeps some air between its frame and the text.
  const int air = contents == QStyle::SE_PushButtonContents
                      ? button.style()->pixelMetric(QStyle::PM_ButtonMargin, &option, &button)
                      : 0;
  return {std::max(0, fm.horizontalAdvance(text) + air - room.width()),
          std::max(0, fm.height() - room.height())};
}

QSize GroupOverflow(const QGroupBox& group) {
  if (group.title().isEmpty()) return {};
  QStyleOptionGroupBox option;
  option.initFrom(&group);
  option.text = group.title();
  option.subControls = QStyle::SC_GroupBoxLabel | QStyle::SC_GroupBoxFrame;
  const QRect label = group.style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, &group);
  // The title keeps as much room right of it as it has left of it.
  return {std::max(0, label.right() + 1 + label.left() - group.width()), 0};
}

}  // namespace

void KeepTemplateGeometry(QWidget* widget, const QRect& rect) {
  widget->setProperty(kTemplateRectProperty, rect);
}

QRect TemplateGeometry(const QWidget* widget) {
  return widget->property(kTemplateRectProperty).toRect();
}

QSize TextOverflow(const QWidget* control) {
  if (const auto* label = qobject_cast<const QLabel*>(control)) return LabelOverflow(*label);
  if (const auto* button = qobject_cast<const QAbstractButton*>(control)) return ButtonOverflow(*button);
  if (const auto* group = qobject_cast<const QGroupBox*>(control)) return GroupOverflow(*group);
  return {};
}

QSize FitControlsToTexts(QWidget* window) {
  if (window == nullptr) return {};
  std::vector<QWidget*> controls;
  for (QObject* child : window->children()) {
    if (ControlId(child) < 0 || !child->isWidgetType()) continue;
    auto* control = static_cast<QWidget*>(child);
    const QRect rect = TemplateGeometry(control);
    if (rect.isValid()) control->setGeometry(rect);
    controls.push_back(control);
  }
  QSize size = TemplateGeometry(window).size();
  if (!size.isValid()) size = window->size();

  // The widest need of each column edge: every control ending there grows alike.
  std::map<int, int> widen;  // right edge (exclusive) -> pixels
  for (QWidget* control : controls) {
    const QSize need = TextOverflow(control);
    if (need.width() > 0) {
      int& dx = widen[control->geometry().right() + 1];
      dx = std::max(dx, need.width());
    }
    if (need.height() > 0) {
      // Taller about its middle, so its text keeps its line.
      const QRect r = control->geometry();
      control->setGeometry(r.adjusted(0, -(need.height() / 2), 0, need.height() - need.height() / 2));
    }
  }
  // From the right, so an edge already handled is moved with the columns left of it.
  for (auto it = widen.rbegin(); it != widen.rend(); ++it) {
    const int edge = it->first;
    const int dx = it->second;
    for (QWidget* control : controls) {
      const QRect r = control->geometry();
      if (r.left() >= edge) {
        control->move(r.left() + dx, r.top());
      } else if (r.right() + 1 >= edge) {
        control->resize(r.width() + dx, r.height());
      }
    }
    size.rwidth() += dx;
  }
  if (window->minimumSize() == window->maximumSize()) window->setFixedSize(size);
  return size;
}

}  // namespace rondel
