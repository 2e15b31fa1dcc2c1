// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/qt/test_password_dlg.h"

#include <QLabel>
#include <QLineEdit>

#include "core/rondel_doc.h"
#include "link/qt/test_mode_dlg.h"
#include "platform/prompt.h"

namespace rondel {

CTestPasswordDlg::CTestPasswordDlg(ByteLink& port, const LinkSettings& settings,
                                   TestModeHost& host, QWidget* parent)
    : CDialog(139, parent),
      m_port(port),
      m_settings(settings),
      m_host(host),
      m_runner(port, settings, host, *this, Item<QLabel>(kTestPasswordProgress)) {}

QLineEdit* CTestPasswordDlg::PasswordEdit() const { return Item<QLineEdit>(kTestPasswordEdit); }

bool CTestPasswordDlg::OnInitDialog() {
  m_host.TranslateDialog(this, TemplateNumber());
  return true;
}

void CTestPasswordDlg::OnOK() {
  if (m_runner.Busy()) return;
  const QLineEdit* edit = PasswordEdit();
  const std::string entered = edit ? edit->text().toStdString() : std::string();
  if (!IsTestPassword(entered, m_settings)) {
    ShowPrompt(m_host.Text("IDS_ERROR_PASSWORD"), m_host.Text("IDS_ERROR"), PromptIcon::Error,
               PromptButtons::Ok);
    return;
  }
  // The entry read replaces the document: asked before a byte goes to the radio.
  if (!m_host.MayReplaceDocument()) return;
  m_cancelPending = false;
  m_runner.Run(TestModeExchange::Entry, m_host.Doc().image(),
               [this](const CTestModeSession& session) { OnEntryRead(session); });
}

void CTestPasswordDlg::OnEntryRead(const CTestModeSession& session) {
  if (m_cancelPending) {
    // Cancelled while reading: the read has ended, and what it brought is not wanted.
    EndDialog(IDCANCEL);
    return;
  }
  // The blocks read before a failure are the document's too; the form shows them rather than
  // values the radio no longer holds.
  if (session.BlocksStored() > 0) m_host.ReplaceImage(session.Image());
  if (session.Result() != TestModeResult::Done) {
    ShowTestModeMessage(m_host, session.Result(), false);
    return;
  }
  m_host.BackUpRadioImage(session.Image());
  CTestModeDlg dialog(m_port, m_settings, m_host, this);
  dialog.DoModal();
  // The password dialog stays: OK starts over, Cancel leaves.
}

void CTestPasswordDlg::OnCancel() {
  // The read is not cut short: the radio gets every frame it would have.
  if (m_runner.Busy()) {
    m_cancelPending = true;
    return;
  }
  EndDialog(IDCANCEL);
}

}  // namespace rondel
