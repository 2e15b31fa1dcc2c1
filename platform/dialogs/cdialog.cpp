#include "platform/dialogs/cdialog.h"

#include <QAbstractButton>

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

QWidget* CDialog::GetDlgItem(int id) const { return FindControl(this, id); }

}  // namespace rondel
