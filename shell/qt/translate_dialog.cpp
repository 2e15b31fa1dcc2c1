// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt/translate_dialog.h"

#include "platform/dialogs/dialog_translate.h"
#include "shell/language.h"

namespace rondel {

void TranslateDialog(QWidget* window, int number) {
  TranslateWindow(window, number, [](int n) { return GetResourceText(n); });
}

}  // namespace rondel
