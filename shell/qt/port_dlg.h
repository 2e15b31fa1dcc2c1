// CPortDlg (template 130): the COM port of the cable. Ports that cannot be opened are shown
// disabled; OK keeps the choice in [setup] "com" and shows it in the status bar. Each button
// tells, as its tool tip, which device its port number stands for on this machine.
#pragma once

#include "platform/dialogs/cdialog.h"

namespace rondel {

class CRondelApp;

inline constexpr int kPortButtonFirst = 1001;  // COM1; COMn is 1000 + n
inline constexpr int kPortButtonCount = 8;
inline constexpr int kSearchCheckBox = 1012;

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
