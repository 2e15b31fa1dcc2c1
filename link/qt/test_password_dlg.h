// CTestPasswordDlg (template 139): the gate of the test mode. OK compares the entry with the
// settings file's test password; a right one reads the radio's whole memory into the document
// and opens the test mode on top. The dialog stays open until Cancel, so OK can start over.
#pragma once

#include "link/qt/test_mode_host.h"
#include "platform/dialogs/cdialog.h"

class QLineEdit;

namespace rondel {

inline constexpr int kTestPasswordEdit = 1171;

class CTestPasswordDlg : public CDialog {
  Q_OBJECT
 public:
  CTestPasswordDlg(CSerialLink& port, const LinkSettings& settings, TestModeHost& host,
                   QWidget* parent);

  bool OnInitDialog() override;
  QLineEdit* PasswordEdit() const;

 protected:
  void OnOK() override;

 private:
  CSerialLink& m_port;
  const LinkSettings& m_settings;
  TestModeHost& m_host;
};

}  // namespace rondel
