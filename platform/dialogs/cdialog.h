// SPDX-License-Identifier: GPL-3.0-or-later
// A modal dialog made from one of the program's templates: its controls are built at
// construction, OnInitDialog runs when the modal run begins, buttons 1 and 2 are OK and
// Cancel, Escape or the close box are Cancel too, and Enter outside a push button is the
// default button, hidden or not.
#pragma once

#include <QDialog>

#include "platform/dialogs/dialog_builder.h"

namespace rondel {

inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;

class CDialog : public QDialog {
  Q_OBJECT
 public:
  CDialog(int templateNumber, QWidget* parent);

  // OnInitDialog, then the modal run (RunModal); returns what EndDialog was given.
  int DoModal();
  void EndDialog(int result) { done(result); }

  int TemplateNumber() const { return m_templateNumber; }
  // The control with this number, nullptr when the template has none.
  QWidget* GetDlgItem(int id) const;
  // The control as a T; a missing one is reported (FindControlAs).
  template <class T>
  T* Item(int id) const {
    return FindControlAs<T>(this, id);
  }

  virtual bool OnInitDialog() { return true; }

 protected:
  virtual void OnOK() { EndDialog(IDOK); }
  virtual void OnCancel() { EndDialog(IDCANCEL); }
  // Escape and the caption's close box.
  void reject() override { OnCancel(); }
  // Enter presses the default button even when it is hidden, as dialogs always did.
  void keyPressEvent(QKeyEvent* event) override;

 private:
  int m_templateNumber;
};

}  // namespace rondel
