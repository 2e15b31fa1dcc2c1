// SPDX-License-Identifier: GPL-3.0-or-later
// CLanguageDlg (template 131): the language files beside the program by their display names;
// OK makes the chosen one current, keeps it in [setup] "language" and refreshes the window.
#pragma once

#include "platform/dialogs/cdialog.h"
#include "resources/control_ids.h"

class QComboBox;

namespace rondel {

class CRondelApp;

class CLanguageDlg : public CDialog {
  Q_OBJECT
 public:
  CLanguageDlg(CRondelApp& app, QWidget* parent);
  bool OnInitDialog() override;
  QComboBox* List() const { return m_list; }

 protected:
  void OnOK() override;

 private:
  CRondelApp& m_app;
  QComboBox* m_list = nullptr;
};

}  // namespace rondel
