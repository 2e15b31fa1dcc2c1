// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt/accelerator_filter.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QWidget>

#include "shell/qt/frame_resources.h"
#include "shell/qt/main_frame.h"

namespace rondel {
namespace {

// The lock state X11 reports with every key (Mod2 is Num Lock on every common layout).
constexpr quint32 kX11NumLockMask = 0x10;

}  // namespace

CAcceleratorFilter::CAcceleratorFilter(CMainFrame& frame) : m_frame(frame) {
  qApp->installEventFilter(this);
}

CAcceleratorFilter::~CAcceleratorFilter() { qApp->removeEventFilter(this); }

bool CAcceleratorFilter::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride) return false;
  // Key events reach the window object first and then the focused widget; only widgets of
  // the main window itself count: a dialog or an open menu keeps its keys.
  if (!watched->isWidgetType() || static_cast<QWidget*>(watched)->window() != &m_frame)
    return false;
  auto* key = static_cast<QKeyEvent*>(event);
  if (type == QEvent::KeyPress && QGuiApplication::platformName() == QLatin1String("xcb"))
    m_frame.SetNumLockIndicator((key->nativeModifiers() & kX11NumLockMask) != 0);
  const Qt::KeyboardModifiers mods = key->modifiers();
  const int command = AcceleratorCommand(key->key(), mods.testFlag(Qt::ControlModifier),
                                         mods.testFlag(Qt::ShiftModifier),
                                         mods.testFlag(Qt::AltModifier));
  if (command == 0) return false;
  if (type == QEvent::ShortcutOverride) {
    // Claimed, so no shortcut of a widget (a field's own Ctrl+C) takes it; the key press
    // that follows runs the command.
    key->accept();
    return true;
  }
  m_frame.OnCommand(command);
  return true;
}

}  // namespace rondel
