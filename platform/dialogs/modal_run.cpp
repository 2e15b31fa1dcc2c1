// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dialogs/modal_run.h"

#include <QDialog>

namespace rondel {
namespace {

ModalRunner& Runner() {
  static ModalRunner runner;
  return runner;
}

}  // namespace

void SetModalRunner(ModalRunner runner) { Runner() = std::move(runner); }

int RunModal(QDialog& dialog) {
  // Copied, so a runner that installs another one while it works stays alive to the end.
  const ModalRunner runner = Runner();
  if (runner) return runner(dialog);
  return dialog.exec();
}

}  // namespace rondel
