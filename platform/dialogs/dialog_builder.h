// SPDX-License-Identifier: GPL-3.0-or-later
// Turns a dialog template into Qt widgets: one widget per control, created in template order
// and placed by the dialog font's base units, each carrying its number, so translation walks
// the children in template order and code finds a control by its number.
#pragma once

#include <functional>

#include <QObject>
#include <QRect>

class QComboBox;
class QFont;
class QObject;
class QString;
class QWidget;

namespace rondel {

struct ControlTemplate;
struct DialogTemplate;

// Dynamic properties every built control carries (its object name is "ctl<number>").
inline constexpr const char* kControlIdProperty = "rondelControlId";
inline constexpr const char* kControlKindProperty = "rondelControlKind";  // ControlKindName
inline constexpr const char* kControlClassProperty = "rondelControlClass";  // custom controls
inline constexpr const char* kDialogNumberProperty = "rondelDialogNumber";

// One dialog unit across is a quarter of `x`, one down an eighth of `y`, in pixels.
struct DialogBaseUnits {
  int x = 0;
  int y = 0;
};

// x: the font's average width of the 52 letters A..Z a..z, rounded; y: the font's height.
DialogBaseUnits BaseUnitsOf(const QFont& font);
// Each edge mapped on its own and rounded, as dialog rectangles always have been.
QRect MapDialogRect(const QRect& dialogUnits, DialogBaseUnits units);
// The desktop's interface font at the template's size (the template's face is a name only).
QFont DialogFont(const DialogTemplate& tpl);

// Lets a window put its own control classes in place of the standard ones (a custom control,
// an edit field with its own key handling). Returns nullptr for a control it leaves to the
// builder. A drop-down list or edit field it makes must still be a QComboBox or QLineEdit, so
// the template's styles apply to it as to a standard one.
using ControlFactory = std::function<QWidget*(QWidget* parent, const ControlTemplate& control)>;

// Gives `window` the template's font, size, caption and number and creates its controls as
// direct children, in template order. Returns the base units the layout was made with.
DialogBaseUnits BuildDialog(QWidget* window, const DialogTemplate& tpl,
                            const ControlFactory& factory = {});
QWidget* CreateControl(QWidget* parent, const ControlTemplate& control, DialogBaseUnits units,
                       const ControlFactory& factory = {});

// The number a built control carries; -1 for anything else.
int ControlId(const QObject* object);
// The first direct child of `parent` with that number, in template order; nullptr if none.
QWidget* FindControl(const QWidget* parent, int id);

// A control the code asks for that the window lacks, or has of another kind, means the
// template and the code are out of step. The program says so on stderr; tests install a
// reporter that fails the test.
using MissingControlReporter = void (*)(const QWidget* window, int id, const char* wantedClass);
void SetMissingControlReporter(MissingControlReporter reporter);
void ReportMissingControl(const QWidget* window, int id, const char* wantedClass);

// The control with that number as a T; reported and nullptr when there is none of that kind.
template <class T>
T* FindControlAs(const QWidget* parent, int id) {
  T* control = qobject_cast<T*>(FindControl(parent, id));
  if (control == nullptr) ReportMissingControl(parent, id, T::staticMetaObject.className());
  return control;
}

// The text of a control as the original window text was: a label's or button's text, a group
// box's title, an edit field's contents. Controls that show no text of their own (icons,
// drop-down lists without an edit field, progress bars, sliders, scroll bars, custom controls)
// ignore it.
void SetControlText(QWidget* control, const QString& text);
QString ControlText(const QWidget* control);

// Adds an entry to a drop-down list; a list built "sorted" keeps its entries in order, case
// ignored, a new entry going after the equal ones. Returns the entry's index.
int AddListEntry(QComboBox* list, const QString& text);

}  // namespace rondel
