// SPDX-License-Identifier: GPL-3.0-or-later
// CAboutDlg (template 100): the program's icon, name and version. Closed with the caption's
// close box or Escape; it has no button.
#pragma once

#include "platform/dialogs/cdialog.h"

namespace rondel {

class CAboutDlg : public CDialog {
  Q_OBJECT
 public:
  explicit CAboutDlg(QWidget* parent);
  bool OnInitDialog() override;
};

}  // namespace rondel
