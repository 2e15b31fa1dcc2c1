// SPDX-License-Identifier: GPL-3.0-or-later
// Every modal dialog of the program runs through here, so tests can take the part of the
// user: a test installs a runner that works the dialog it is handed (clicks, keys) and
// returns its result, where the program would wait in the dialog's own event loop.
#pragma once

#include <functional>

class QDialog;

namespace rondel {

using ModalRunner = std::function<int(QDialog& dialog)>;

// Installs `runner` for every later modal run; an empty one restores the dialog's own loop.
void SetModalRunner(ModalRunner runner);
// The dialog's result: exec() unless a runner is installed.
int RunModal(QDialog& dialog);

}  // namespace rondel
