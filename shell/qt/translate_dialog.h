// SPDX-License-Identifier: GPL-3.0-or-later
// TranslateDialog: the current language file's "Resource" texts on a dialog built from a
// template: its caption from the dialog's number, each control's text from the control's.
#pragma once

class QWidget;

namespace rondel {

void TranslateDialog(QWidget* window, int number);

}  // namespace rondel
