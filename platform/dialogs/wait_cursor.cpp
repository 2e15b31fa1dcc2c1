// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dialogs/wait_cursor.h"

#include <QCursor>
#include <QGuiApplication>

namespace rondel {

CWaitCursor::CWaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

CWaitCursor::~CWaitCursor() { QGuiApplication::restoreOverrideCursor(); }

}  // namespace rondel
