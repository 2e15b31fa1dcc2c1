// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dialogs/cdialog.h"

#include <QAbstractButton>
#include <QKeyEvent>
#include <QPushButton>

#include "platform/dialogs/dialog_builder.h"
#include "platform/dialogs/dialog_template.h"
#include "platform/dialogs/modal_run.h"

namespace rondel {

CDialog::CDialog(int templateNumber, QWidget* parent)
    : QDialog(parent), m_templateNumber(templateNumber) {
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  if (const DialogTemplate* tpl = FindDialogTemplate(templateNumber)) BuildDialog(this, *tpl);
  // Not every dialog has both buttons (the about box has neither).
  if (auto* ok = qobject_cast<QAbstractButton*>(GetDlgItem(IDOK)))
    connect(ok, &QAbstractButton::clicked, this, [this] { OnOK(); });
  if (auto* cancel = qobject_cast<QAbstractButton*>(GetDlgItem(IDCANCEL)))
    connect(cancel, &QAbstractButton::clicked, this, [this] { OnCancel(); });
}

int CDialog::DoModal() {
  OnInitDialog();
  return RunModal(*this);
}

void CDialog::keyPressEvent(QKeyEvent* event) {
  // A focused push button has taken Enter itself before it gets here. The toolkit passes over
  // a hidden default button; a dialog whose default button is hidden still has its command.
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  const Qt::KeyboardModifiers mods = event->modifiers() & ~Qt::KeypadModifier;
  if (enter && mods == Qt::NoModifier) {
    QPushButton* hiddenDefault = nullptr;
    for (QPushButton* button : findChildren<QPushButton*>(Qt::FindDirectChildrenOnly)) {
      if (!button->isDefault()) continue;
      if (button->isVisible()) {
        hiddenDefault = nullptr;
        break;
      }
      hiddenDefault = button;
    }
    if (hiddenDefault != nullptr) {
      if (hiddenDefault->isEnabled()) hiddenDefault->click();
      event->accept();
      return;
    }
  }
  QDialog::keyPressEvent(event);
}

QWidget* CDialog::GetDlgItem(int id) const { return FindControl(this, id); }

}  // namespace rondel
