// The user's hands in the GUI tests: clicks, drags, keys and typing on the program's widgets.
// Under the offscreen platform these are Qt Test's events. Under a real X server (the xcb
// platform, as scripts/xvfb-check.sh runs the tests) they are real input sent through the
// server's XTEST extension, so the pointer, the focus and the key repeat the program sees
// are the server's own. Each call returns once the program has received what it caused.
#pragma once

#include <QPoint>
#include <QString>
#include <QStyle>

class QScrollBar;
class QWidget;

namespace rondel::test {

// True when the input goes through a real X server.
bool RealInput();

// Shows the window on top with the keyboard focus, as a user finds a window that has opened.
void Activate(QWidget* window);

void MousePress(QWidget* widget, QPoint at);
void MouseRelease(QWidget* widget, QPoint at);
void MouseMove(QWidget* widget, QPoint to);  // with the button held, if it is
void MouseClick(QWidget* widget, QPoint at);
void MouseClick(QWidget* widget);  // in its middle

// Keys go where the focus is, as a user's do; `window` is the window that has it.
void KeyPress(QWidget* window, Qt::Key key);
void KeyRelease(QWidget* window, Qt::Key key);
void KeyClick(QWidget* window, Qt::Key key);
// Holds the key until it has repeated at least `repeats` times, then lets it go; returns the
// number of key-downs the program received (the first and the repeats).
int HoldKey(QWidget* window, Qt::Key key, int repeats);
// Types the text into the widget that has the focus.
void Type(QWidget* window, const QString& text);

// The middle of a part of a scroll bar (an arrow, the trough beside the thumb, the thumb).
QPoint ScrollBarPart(const QScrollBar* bar, QStyle::SubControl part);

}  // namespace rondel::test
