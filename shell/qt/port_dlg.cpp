#include "shell/qt/port_dlg.h"

#include <QAbstractButton>
#include <QCheckBox>

#include "link/radio_protocol.h"
#include "shell/qt/main_frame.h"
#include "shell/qt/rondel_app.h"
#include "shell/qt/translate_dialog.h"

namespace rondel {

CPortDlg::CPortDlg(CRondelApp& app, QWidget* parent) : CDialog(IDD_PORT, parent), m_app(app) {
  if (auto* search = Item<QAbstractButton>(IDC_SEARCH_PORT))
    connect(search, &QAbstractButton::clicked, this, &CPortDlg::OnSearchClicked);
}

bool CPortDlg::OnInitDialog() {
  TranslateDialog(this, TemplateNumber());
  const int configured = m_app.Settings().Com();
  // The dialog tries every port itself, and a port the test mode left open would be in use.
  m_app.m_serialPort.Close();
  for (int n = 1; n <= kPortButtonCount; ++n) {
    auto* button = Item<QAbstractButton>(IDC_COM1 - 1 + n);
    if (button == nullptr) continue;
    if (n == configured) button->setChecked(true);
    button->setToolTip(QString::fromStdString(m_app.m_serialPort.PortDevice(n)));
    if (m_app.m_serialPort.Open(n, protocol::kBaud)) {
      m_app.m_serialPort.Close();
      button->setChecked(n == configured);
    } else {
      // Missing or held by another program; a configured port stays selected all the same.
      button->setEnabled(false);
    }
  }
  if (auto* search = Item<QAbstractButton>(IDC_SEARCH_PORT))
    search->setChecked(m_app.Settings().SearchComValue() != 0);
  return true;
}

void CPortDlg::OnSearchClicked(bool checked) {
  // Written at once: OK or Cancel do not matter for this key.
  m_app.Settings().WriteSearchCom(checked);
}

void CPortDlg::OnOK() {
  int chosen = 0;
  for (int n = 1; n <= kPortButtonCount && chosen == 0; ++n) {
    auto* button = Item<QAbstractButton>(IDC_COM1 - 1 + n);
    if (button != nullptr && button->isChecked()) chosen = n;
  }
  if (chosen != 0 && m_app.Settings().Com() != chosen) {
    m_app.m_serialPort.Close();
    m_app.Settings().WriteCom(chosen);
  }
  // Read back: a settings file that could not be written shows the old port again.
  if (CMainFrame* frame = m_app.MainFrame()) frame->SetPortPane(m_app.Settings().Com());
  EndDialog(IDOK);
}

}  // namespace rondel
