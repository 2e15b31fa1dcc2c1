// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt/about_dlg.h"

#include <QLabel>

#include "platform/dialogs/dialog_builder.h"
#include "platform/dialogs/dialog_template.h"
#include "platform/qt/icons.h"
#include "resources/control_ids.h"
#include "shell/qt/translate_dialog.h"

namespace rondel {

CAboutDlg::CAboutDlg(QWidget* parent) : CDialog(IDD_ABOUT, parent) {
  // The icon holder is the template's icon control naming resource 128.
  for (QObject* child : children()) {
    auto* holder = qobject_cast<QLabel*>(child);
    if (holder != nullptr && holder->property(kControlKindProperty).toString() == QLatin1String("icon")) {
      const QSize size = holder->size();
      holder->setPixmap(RondelAppIcon().pixmap(std::min(size.width(), size.height())));
    }
  }
}

bool CAboutDlg::OnInitDialog() {
  TranslateDialog(this, TemplateNumber());
  return true;
}

}  // namespace rondel
