// SPDX-License-Identifier: GPL-3.0-or-later
// What the main frame and the application need of the form view: the two updates and the
// print cycle. The view itself (view/) builds on the shell, so the shell knows it only
// through this base and the factory the program registers with the application.
#pragma once

#include <QScrollArea>

#include "platform/dialogs/print_cycle.h"

namespace rondel {

class CFormViewBase : public QScrollArea {
 public:
  explicit CFormViewBase(QWidget* parent) : QScrollArea(parent) {}

  // After each new or opened document: the first update and what goes with it.
  virtual void OnInitialUpdate() = 0;
  // Every other refresh from the document (a read, a language switch, an edit elsewhere).
  virtual void OnUpdate() = 0;
  virtual CPrintCycle& PrintCycle() = 0;
  // Commits what the focused field holds, as its focus loss would, before a command, a drop
  // or closing acts on the document.
  virtual void CommitPendingEdit() {}
};

}  // namespace rondel
