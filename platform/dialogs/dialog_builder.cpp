// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dialogs/dialog_builder.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFontMetrics>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QVariant>

#include "platform/dialogs/dialog_fit.h"
#include "platform/dialogs/dialog_template.h"
#include "platform/dialogs/scroll_bar.h"

namespace rondel {
namespace {

int MulDiv4(int value, int base) {
  // Rounded to the nearest pixel; the coordinates are never negative.
  return (value * base + 2) / 4;
}
int MulDiv8(int value, int base) { return (value * base + 4) / 8; }

QString Text(const ControlTemplate& c) { return QString::fromStdString(c.text); }

Qt::Alignment LabelAlignment(ControlKind kind) {
  switch (kind) {
    case ControlKind::RText:
      return Qt::AlignRight | Qt::AlignTop;
    case ControlKind::CText:
      return Qt::AlignHCenter | Qt::AlignTop;
    default:
      return Qt::AlignLeft | Qt::AlignTop;
  }
}

QWidget* MakeWidget(QWidget* parent, const ControlTemplate& c) {
  switch (c.kind) {
    case ControlKind::LText:
    case ControlKind::RText:
    case ControlKind::CText: {
      auto* label = new QLabel(Text(c), parent);
      // Language texts are plain text, never markup.
      label->setTextFormat(Qt::PlainText);
      label->setAlignment(LabelAlignment(c.kind));
      label->setWordWrap(true);
      return label;
    }
    case ControlKind::GroupBox:
      return new QGroupBox(Text(c), parent);
    case ControlKind::PushButton:
    case ControlKind::DefPushButton: {
      auto* button = new QPushButton(Text(c), parent);
      button->setDefault(c.kind == ControlKind::DefPushButton);
      return button;
    }
    case ControlKind::RadioButton:
      // Automatic radio buttons of one parent exclude each other, as the eight port buttons
      // of the one group the program has must.
      return new QRadioButton(Text(c), parent);
    case ControlKind::CheckBox:
      return new QCheckBox(Text(c), parent);
    case ControlKind::ComboBox:
      return new QComboBox(parent);
    case ControlKind::Edit:
      return new QLineEdit(parent);
    case ControlKind::Progress: {
      auto* bar = new QProgressBar(parent);
      bar->setTextVisible(false);
      return bar;
    }
    case ControlKind::Icon: {
      auto* holder = new QLabel(parent);
      holder->setProperty("rondelIconResource", Text(c));
      holder->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      return holder;
    }
    case ControlKind::Slider: {
      auto* slider =
          new QSlider(c.HasStyle("vertical") ? Qt::Vertical : Qt::Horizontal, parent);
      if (c.HasStyle("autoticks")) slider->setTickPosition(QSlider::TicksBothSides);
      return slider;
    }
    case ControlKind::ScrollBar:
      return new CScrollBar(c.HasStyle("vertical") ? Qt::Vertical : Qt::Horizontal, parent);
    case ControlKind::Custom: {
      // Stands in the layout until the program puts its own control of that class there.
      auto* frame = new QFrame(parent);
      frame->setFrameShape(c.HasStyle("border") ? QFrame::StyledPanel : QFrame::NoFrame);
      return frame;
    }
  }
  return new QWidget(parent);
}

// The template's styles of lists and edit fields, on the builder's widgets and a factory's alike.
void ApplyFieldStyles(QWidget* w, const ControlTemplate& c, const QRect& rect) {
  if (auto* list = qobject_cast<QComboBox*>(w)) {
    list->setEditable(!c.HasStyle("dropdownlist"));
    list->setProperty("rondelSorted", c.HasStyle("sorted"));
    // The template's height is that of the opened list; the closed field has its own.
    const int field = list->sizeHint().height();
    const int item = std::max(1, QFontMetrics(w->parentWidget()->font()).height() + 2);
    list->setMaxVisibleItems(std::max(1, (rect.height() - field) / item));
  } else if (auto* edit = qobject_cast<QLineEdit*>(w)) {
    if (c.HasStyle("password")) edit->setEchoMode(QLineEdit::Password);
    edit->setReadOnly(c.HasStyle("readonly"));
  }
}

}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics fm(font);
  const int width = fm.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(width / 26 + 1) / 2, fm.height()};
}

QRect MapDialogRect(const QRect& du, DialogBaseUnits units) {
  const int left = MulDiv4(du.x(), units.x);
  const int right = MulDiv4(du.x() + du.width(), units.x);
  const int top = MulDiv8(du.y(), units.y);
  const int bottom = MulDiv8(du.y() + du.height(), units.y);
  return QRect(left, top, right - left, bottom - top);
}

QFont DialogFont(const DialogTemplate& tpl) {
  QFont font = QApplication::font();
  font.setPointSize(tpl.fontPoints);
  return font;
}

QWidget* CreateControl(QWidget* parent, const ControlTemplate& c, DialogBaseUnits units,
                       const ControlFactory& factory) {
  const QRect rect = MapDialogRect(QRect(c.x, c.y, c.width, c.height), units);
  QWidget* w = factory ? factory(parent, c) : nullptr;
  if (w == nullptr) w = MakeWidget(parent, c);
  if (w->parentWidget() != parent) w->setParent(parent);
  ApplyFieldStyles(w, c, rect);
  if (c.kind == ControlKind::Custom)
    w->setProperty(kControlClassProperty, QString::fromStdString(c.StyleValue("class")));
  w->setObjectName(QStringLiteral("ctl%1").arg(c.id));
  w->setProperty(kControlIdProperty, c.id);
  w->setProperty(kControlKindProperty, QString::fromLatin1(ControlKindName(c.kind)));
  QRect geometry = rect;
  if (c.kind == ControlKind::ComboBox) geometry.setHeight(std::min(rect.height(), w->sizeHint().height()));
  w->setGeometry(geometry);
  KeepTemplateGeometry(w, geometry);
  if (c.HasStyle("tabstop")) {
    w->setFocusPolicy(Qt::StrongFocus);
  } else if (w->focusPolicy() & Qt::TabFocus) {
    w->setFocusPolicy(Qt::ClickFocus);
  }
  if (c.HasStyle("disabled")) w->setEnabled(false);
  // Before the window is shown, so the control stays hidden when it is.
  if (c.HasStyle("hidden")) w->setHidden(true);
  return w;
}

DialogBaseUnits BuildDialog(QWidget* window, const DialogTemplate& tpl,
                            const ControlFactory& factory) {
  window->setFont(DialogFont(tpl));
  const DialogBaseUnits units = BaseUnitsOf(window->font());
  window->setProperty(kDialogNumberProperty, tpl.number);
  window->setWindowTitle(QString::fromStdString(tpl.caption));
  const QRect client = MapDialogRect(QRect(0, 0, tpl.width, tpl.height), units);
  window->setFixedSize(client.size());
  KeepTemplateGeometry(window, QRect(QPoint(0, 0), client.size()));
  for (const ControlTemplate& c : tpl.controls) CreateControl(window, c, units, factory);
  return units;
}

int ControlId(const QObject* object) {
  if (object == nullptr) return -1;
  const QVariant id = object->property(kControlIdProperty);
  return id.isValid() ? id.toInt() : -1;
}

QWidget* FindControl(const QWidget* parent, int id) {
  if (parent == nullptr) return nullptr;
  for (QObject* child : parent->children()) {
    if (ControlId(child) == id && child->isWidgetType()) return static_cast<QWidget*>(child);
  }
  return nullptr;
}

namespace {

void ReportOnStderr(const QWidget* window, int id, const char* wantedClass) {
  const QVariant number = window != nullptr ? window->property(kDialogNumberProperty) : QVariant();
  qWarning("dialog %d has no control %d of class %s", number.isValid() ? number.toInt() : -1, id,
           wantedClass);
}

MissingControlReporter g_missingControlReporter = ReportOnStderr;

}  // namespace

void SetMissingControlReporter(MissingControlReporter reporter) {
  g_missingControlReporter = reporter != nullptr ? reporter : ReportOnStderr;
}

void ReportMissingControl(const QWidget* window, int id, const char* wantedClass) {
  g_missingControlReporter(window, id, wantedClass);
}

void SetControlText(QWidget* control, const QString& text) {
  if (control->property(kControlKindProperty).toString() == QLatin1String("icon")) return;
  if (auto* label = qobject_cast<QLabel*>(control)) {
    label->setText(text);
  } else if (auto* button = qobject_cast<QAbstractButton*>(control)) {
    button->setText(text);
  } else if (auto* group = qobject_cast<QGroupBox*>(control)) {
    group->setTitle(text);
  } else if (auto* edit = qobject_cast<QLineEdit*>(control)) {
    edit->setText(text);
  } else if (auto* list = qobject_cast<QComboBox*>(control)) {
    if (list->isEditable()) list->setEditText(text);
  }
}

QString ControlText(const QWidget* control) {
  if (auto* label = qobject_cast<const QLabel*>(control)) return label->text();
  if (auto* button = qobject_cast<const QAbstractButton*>(control)) return button->text();
  if (auto* group = qobject_cast<const QGroupBox*>(control)) return group->title();
  if (auto* edit = qobject_cast<const QLineEdit*>(control)) return edit->text();
  if (auto* list = qobject_cast<const QComboBox*>(control))
    return list->isEditable() ? list->currentText() : QString();
  return {};
}

int AddListEntry(QComboBox* list, const QString& text) {
  int index = list->count();
  if (list->property("rondelSorted").toBool()) {
    for (int i = 0; i < list->count(); ++i) {
      if (QString::compare(list->itemText(i), text, Qt::CaseInsensitive) > 0) {
        index = i;
        break;
      }
    }
  }
  list->insertItem(index, text);
  return index;
}

}  // namespace rondel
