#include "user_input.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace rondel::test {
namespace {

constexpr int kDeliveryMs = 3000;

// ---- the X server's XTEST extension, loaded when the tests run on the xcb platform ----------

using Display = struct _XDisplay;
using KeySym = unsigned long;

struct XTest {
  Display* (*openDisplay)(const char*) = nullptr;
  int (*closeDisplay)(Display*) = nullptr;
  int (*sync)(Display*, int) = nullptr;
  unsigned char (*keysymToKeycode)(Display*, KeySym) = nullptr;
  KeySym (*keycodeToKeysym)(Display*, unsigned char, int) = nullptr;
  int (*fakeKey)(Display*, unsigned, int, unsigned long) = nullptr;
  int (*fakeButton)(Display*, unsigned, int, unsigned long) = nullptr;
  int (*fakeMotion)(Display*, int, int, int, unsigned long) = nullptr;
  Display* display = nullptr;

  bool Load() {
    void* x11 = ::dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    void* xtst = ::dlopen("libXtst.so.6", RTLD_NOW | RTLD_LOCAL);
    if (x11 == nullptr || xtst == nullptr) return false;
    Bind(x11, "XOpenDisplay", openDisplay);
    Bind(x11, "XCloseDisplay", closeDisplay);
    Bind(x11, "XSync", sync);
    Bind(x11, "XKeysymToKeycode", keysymToKeycode);
    Bind(x11, "XKeycodeToKeysym", keycodeToKeysym);
    Bind(xtst, "XTestFakeKeyEvent", fakeKey);
    Bind(xtst, "XTestFakeButtonEvent", fakeButton);
    Bind(xtst, "XTestFakeMotionEvent", fakeMotion);
    if (!openDisplay || !sync || !keysymToKeycode || !keycodeToKeysym || !fakeKey ||
        !fakeButton || !fakeMotion)
      return false;
    display = openDisplay(nullptr);
    return display != nullptr;
  }
  template <class F>
  static void Bind(void* lib, const char* name, F& f) {
    f = reinterpret_cast<F>(::dlsym(lib, name));
  }
  void Flush() { sync(display, 0); }
};

XTest* Server() {
  static const std::unique_ptr<XTest> server = []() -> std::unique_ptr<XTest> {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) return nullptr;
    auto x = std::make_unique<XTest>();
    if (!x->Load()) {
      ADD_FAILURE() << "the xcb platform without the XTEST extension: no real input to test with";
      return nullptr;
    }
    return x;
  }();
  return server.get();
}

constexpr KeySym kShiftL = 0xffe1;

KeySym KeySymOf(Qt::Key key) {
  switch (key) {
    case Qt::Key_Left: return 0xff51;
    case Qt::Key_Up: return 0xff52;
    case Qt::Key_Right: return 0xff53;
    case Qt::Key_Down: return 0xff54;
    case Qt::Key_Return: return 0xff0d;
    case Qt::Key_Enter: return 0xff8d;
    case Qt::Key_Escape: return 0xff1b;
    case Qt::Key_Tab: return 0xff09;
    case Qt::Key_Home: return 0xff50;
    case Qt::Key_End: return 0xff57;
    case Qt::Key_PageUp: return 0xff55;
    case Qt::Key_PageDown: return 0xff56;
    case Qt::Key_Space: return 0x20;
    default: break;
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<KeySym>('a' + (key - Qt::Key_A));
  if (key >= Qt::Key_0 && key <= Qt::Key_9) return static_cast<KeySym>(key);
  return 0;
}

// Counts what reaches the widgets of one window, to know when injected input has arrived.
class Arrivals : public QObject {
 public:
  Arrivals(QWidget* window, QEvent::Type type) : m_window(window->window()), m_type(type) {
    qApp->installEventFilter(this);
  }
  ~Arrivals() override { qApp->removeEventFilter(this); }
  int count = 0;
  int repeats = 0;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    // A second press soon after a click at the same place comes as a double click.
    const QEvent::Type type =
        event->type() == QEvent::MouseButtonDblClick ? QEvent::MouseButtonPress : event->type();
    if (type != m_type || !watched->isWidgetType()) return false;
    auto* widget = static_cast<QWidget*>(watched);
    // Each event once: on its way to a widget of the window, not again as it propagates to the
    // widget's parents (a later event may well sit at the same address).
    const bool propagating = event == m_last && m_lastWidget && widget != m_lastWidget &&
                             widget->isAncestorOf(m_lastWidget);
    if (!propagating && widget->window() == m_window) {
      m_last = event;
      m_lastWidget = widget;
      ++count;
      if ((m_type == QEvent::KeyPress || m_type == QEvent::KeyRelease) &&
          static_cast<QKeyEvent*>(event)->isAutoRepeat())
        ++repeats;
    }
    return false;
  }

 private:
  QWidget* m_window;
  QEvent::Type m_type;
  const QEvent* m_last = nullptr;
  QPointer<QWidget> m_lastWidget;
};

void Await(Arrivals& a, int count, const char* what, const QWidget* window) {
  // A window that closed on the press gets no release: the input went elsewhere.
  if (!QTest::qWaitFor([&] { return a.count >= count || !window->isVisible(); }, kDeliveryMs))
    ADD_FAILURE() << what << " did not reach the program";
}

void Pointer(QWidget* widget, QPoint at) {
  const QPoint global = widget->mapToGlobal(at);
  Server()->fakeMotion(Server()->display, -1, global.x(), global.y(), 0);
}

void RealKey(QWidget* window, KeySym sym, bool down) {
  XTest* x = Server();
  const unsigned char code = x->keysymToKeycode(x->display, sym);
  if (code == 0) {
    ADD_FAILURE() << "no key for keysym " << sym;
    return;
  }
  const bool shifted = sym < 0x100 && x->keycodeToKeysym(x->display, code, 0) != sym;
  Arrivals a(window, down ? QEvent::KeyPress : QEvent::KeyRelease);
  if (shifted && down) x->fakeKey(x->display, x->keysymToKeycode(x->display, kShiftL), 1, 0);
  x->fakeKey(x->display, code, down ? 1 : 0, 0);
  if (shifted && !down) x->fakeKey(x->display, x->keysymToKeycode(x->display, kShiftL), 0, 0);
  x->Flush();
  Await(a, 1, down ? "a key press" : "a key release", window->window());
}

QWidget* FocusOf(QWidget* window) {
  QWidget* focus = QApplication::focusWidget();
  return focus != nullptr && focus->window() == window->window() ? focus : window;
}

}  // namespace

bool RealInput() { return Server() != nullptr; }

void Activate(QWidget* window) {
  window->show();
  window->raise();
  window->activateWindow();
  if (!QTest::qWaitForWindowExposed(window)) ADD_FAILURE() << "the window was not shown";
  if (!QTest::qWaitForWindowActive(window)) ADD_FAILURE() << "the window did not get the focus";
}

void MousePress(QWidget* widget, QPoint at) {
  if (!RealInput()) {
    QTest::mousePress(widget, Qt::LeftButton, Qt::NoModifier, at);
    return;
  }
  Arrivals a(widget, QEvent::MouseButtonPress);
  Pointer(widget, at);
  Server()->fakeButton(Server()->display, 1, 1, 0);
  Server()->Flush();
  Await(a, 1, "a mouse press", widget->window());
}

void MouseRelease(QWidget* widget, QPoint at) {
  if (!RealInput()) {
    QTest::mouseRelease(widget, Qt::LeftButton, Qt::NoModifier, at);
    return;
  }
  Arrivals a(widget, QEvent::MouseButtonRelease);
  Pointer(widget, at);
  Server()->fakeButton(Server()->display, 1, 0, 0);
  Server()->Flush();
  Await(a, 1, "a mouse release", widget->window());
}

void MouseMove(QWidget* widget, QPoint to) {
  if (!RealInput()) {
    QTest::mouseMove(widget, to);
    return;
  }
  Arrivals a(widget, QEvent::MouseMove);
  Pointer(widget, to);
  Server()->Flush();
  Await(a, 1, "a mouse move", widget->window());
}

void MouseClick(QWidget* widget, QPoint at) {
  MousePress(widget, at);
  MouseRelease(widget, at);
}

void MouseClick(QWidget* widget) { MouseClick(widget, widget->rect().center()); }

void KeyPress(QWidget* window, Qt::Key key) {
  if (!RealInput()) {
    QTest::keyPress(FocusOf(window), key);
    return;
  }
  RealKey(window, KeySymOf(key), true);
}

void KeyRelease(QWidget* window, Qt::Key key) {
  if (!RealInput()) {
    QTest::keyRelease(FocusOf(window), key);
    return;
  }
  RealKey(window, KeySymOf(key), false);
}

void KeyClick(QWidget* window, Qt::Key key) {
  KeyPress(window, key);
  KeyRelease(window, key);
}

int HoldKey(QWidget* window, Qt::Key key, int repeats) {
  if (!RealInput()) {
    // As the toolkit reports a held key on X11: each repeat a release and a press, both
    // marked as repeats, and one real release at the end.
    QWidget* target = FocusOf(window);
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(target, &down);
    for (int i = 0; i < repeats; ++i) {
      QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, QString(), true);
      QApplication::sendEvent(target, &up);
      QKeyEvent again(QEvent::KeyPress, key, Qt::NoModifier, QString(), true);
      QApplication::sendEvent(target, &again);
    }
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier);
    QApplication::sendEvent(target, &up);
    return repeats + 1;
  }
  XTest* x = Server();
  const unsigned char code = x->keysymToKeycode(x->display, KeySymOf(key));
  Arrivals presses(window, QEvent::KeyPress);
  x->fakeKey(x->display, code, 1, 0);
  x->Flush();
  // The server repeats a held key after its delay (660 ms unless set otherwise).
  if (!QTest::qWaitFor([&] { return presses.repeats >= repeats; }, 10000))
    ADD_FAILURE() << "the held key repeated " << presses.repeats << " times, not " << repeats;
  Arrivals releases(window, QEvent::KeyRelease);
  x->fakeKey(x->display, code, 0, 0);
  x->Flush();
  if (!QTest::qWaitFor([&] { return releases.count > releases.repeats; }, kDeliveryMs))
    ADD_FAILURE() << "the release of the held key did not reach the program";
  return presses.count;
}

void Type(QWidget* window, const QString& text) {
  if (!RealInput()) {
    QTest::keyClicks(FocusOf(window), text);
    return;
  }
  for (const QChar c : text) {
    const KeySym sym = c.unicode();
    RealKey(window, sym, true);
    RealKey(window, sym, false);
  }
}

QPoint ScrollBarPart(const QScrollBar* bar, QStyle::SubControl part) {
  QStyleOptionSlider option;
  option.initFrom(bar);
  option.subControls = QStyle::SC_All;
  option.orientation = bar->orientation();
  if (bar->orientation() == Qt::Horizontal) option.state |= QStyle::State_Horizontal;
  option.minimum = bar->minimum();
  option.maximum = bar->maximum();
  option.sliderPosition = bar->sliderPosition();
  option.sliderValue = bar->value();
  option.singleStep = bar->singleStep();
  option.pageStep = bar->pageStep();
  option.upsideDown = bar->invertedAppearance();
  const QRect r = bar->style()->subControlRect(QStyle::CC_ScrollBar, &option, part, bar);
  if (part == QStyle::SC_ScrollBarAddPage) return QPoint(r.right() - 2, r.center().y());
  if (part == QStyle::SC_ScrollBarSubPage) return QPoint(r.left() + 2, r.center().y());
  return r.center();
}

}  // namespace rondel::test
