// SPDX-License-Identifier: GPL-3.0-or-later
// CTestPasswordDlg (template 139): the gate of the test mode. OK compares the entry with the
// settings file's test password; a right one reads the radio's whole memory into the document
// and opens the test mode on top. The dialog stays open until Cancel, so OK can start over.
// The read runs on a worker while the dialog shows how far it has come; Cancel meanwhile waits
// for its end and then closes the dialog, the document untouched.
#pragma once

#include "link/qt/test_mode_exchange.h"
#include "link/qt/test_mode_host.h"
#include "platform/dialogs/cdialog.h"

class QLineEdit;

namespace rondel {

inline constexpr int kTestPasswordEdit = 1171;
inline constexpr int kTestPasswordProgress = 1174;

class CTestPasswordDlg : public CDialog {
  Q_OBJECT
 public:
  CTestPasswordDlg(ByteLink& port, const LinkSettings& settings, TestModeHost& host,
                   QWidget* parent);

  bool OnInitDialog() override;
  QLineEdit* PasswordEdit() const;
  // The entry read is running.
  bool ExchangeRunning() const { return m_runner.Busy(); }
  QString ProgressLine() const { return m_runner.Line(); }

 protected:
  void OnOK() override;
  void OnCancel() override;

 private:
  void OnEntryRead(const CTestModeSession& session);

  ByteLink& m_port;
  const LinkSettings& m_settings;
  TestModeHost& m_host;
  CTestModeRunner m_runner;
  bool m_cancelPending = false;
};

}  // namespace rondel
