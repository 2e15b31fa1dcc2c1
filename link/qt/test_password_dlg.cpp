#include "link/qt/test_password_dlg.h"

#include <QLineEdit>

#include "core/rondel_doc.h"
#include "link/qt/test_mode_dlg.h"
#include "platform/dialogs/wait_cursor.h"
#include "platform/prompt.h"

namespace rondel {

CTestPasswordDlg::CTestPasswordDlg(CSerialLink& port, const LinkSettings& settings,
                                   TestModeHost& host, QWidget* parent)
    : CDialog(139, parent), m_port(port), m_settings(settings), m_host(host) {}

QLineEdit* CTestPasswordDlg::PasswordEdit() const { return Item<QLineEdit>(kTestPasswordEdit); }

bool CTestPasswordDlg::OnInitDialog() {
  m_host.TranslateDialog(this, TemplateNumber());
  return true;
}

void CTestPasswordDlg::OnOK() {
  const QLineEdit* edit = PasswordEdit();
  const std::string entered = edit ? edit->text().toStdString() : std::string();
  if (!IsTestPassword(entered, m_settings)) {
    ShowPrompt(m_host.Text("IDS_ERROR_PASSWORD"), m_host.Text("IDS_ERROR"), PromptIcon::Error,
               PromptButtons::Ok);
    return;
  }
  // The entry read replaces the document: asked before a byte goes to the radio.
  if (!m_host.MayReplaceDocument()) return;
  TestModeResult result;
  std::size_t stored = 0;
  RadioImage image = m_host.Document().image();
  {
    CWaitCursor wait;
    result = EnterTestMode(m_port, m_settings, image, &stored);
  }
  // The blocks read before a failure are the document's too; the form shows them rather than
  // values the radio no longer holds.
  if (stored > 0) m_host.ReplaceImage(image);
  if (result != TestModeResult::Done) {
    ShowTestModeMessage(m_host, result, false);
    return;
  }
  m_host.BackUpRadioImage(image);
  CTestModeDlg dialog(m_port, m_settings, m_host, this);
  dialog.DoModal();
  // The password dialog stays: OK starts over, Cancel leaves.
}

}  // namespace rondel
