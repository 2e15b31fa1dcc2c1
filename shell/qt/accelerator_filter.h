// SPDX-License-Identifier: GPL-3.0-or-later
// The accelerator table applied before the focused widget sees the key: a key of the table
// pressed anywhere inside the main window runs its command (or, for the clipboard commands
// without a handler, nothing) and never reaches the field that has the focus.
#pragma once

#include <QObject>

namespace rondel {

class CMainFrame;

class CAcceleratorFilter : public QObject {
  Q_OBJECT
 public:
  // Watches every key event of the application for `frame`'s window.
  explicit CAcceleratorFilter(CMainFrame& frame);
  ~CAcceleratorFilter() override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  CMainFrame& m_frame;
};

}  // namespace rondel
