// CPortDlg (template 130): the COM port of the cable. Ports that cannot be opened are shown
// disabled; OK keeps the choice in [setup] "com" and shows it in the status bar. Each button
// tells, as its tool tip, which device its port number stands for on this machine.
#pragma once

#include "platform/dialogs/cdialog.h"
#include "resources/control_ids.h"

namespace rondel {

class CRondelApp;

// COMn's button is IDC_COM1 - 1 + n.
inline constexpr int kPortButtonCount = 8;

class CPortDlg : public CDialog {
  Q_OBJECT
 public:
  CPortDlg(CRondelApp& app, QWidget* parent);
  bool OnInitDialog() override;

 protected:
  void OnOK() override;

 private:
  void OnSearchClicked(bool checked);

  CRondelApp& m_app;
};

}  // namespace rondel
