// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/qt/transfer_dlg.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimerEvent>

#include <algorithm>

#include "core/digit_codec.h"
#include "platform/prompt.h"
#include "resources/control_ids.h"

namespace rondel {

CTransferDlg::CTransferDlg(ByteLink& port, const LinkSettings& settings,
                           TransferDlgHost& host, QWidget* parent)
    : CDialog(IDD_PROGRESS, parent), m_host(host), m_port(port), m_settings(settings), m_session(port, settings) {}

CTransferDlg::~CTransferDlg() {
  // The session's own end cancels a transfer still running and closes the port.
  m_timer.stop();
  m_doneTimer.stop();
}

QLabel* CTransferDlg::StatusText() const { return Item<QLabel>(IDC_PROGRESS_TEXT); }
QProgressBar* CTransferDlg::ProgressBar() const { return Item<QProgressBar>(IDC_PROGRESS_BAR); }

bool CTransferDlg::OnInitDialog() {
  m_host.TranslateDialog(this, TemplateNumber());
  const bool reading = m_direction == TransferDirection::Read;
  setWindowTitle(QString::fromStdString(m_host.Text(reading ? "IDS_READDATA" : "IDS_WRITEDATA")));
  if (QProgressBar* bar = ProgressBar()) {
    bar->setRange(0, kProgressBarRange);
    bar->setValue(0);
  }
  return true;
}

void CTransferDlg::ShowStatus(const std::string& text) {
  if (QLabel* label = StatusText()) label->setText(QString::fromStdString(text));
}

void CTransferDlg::OnOK() {
  if (m_session.IsRunning()) return;
  const bool reading = m_direction == TransferDirection::Read;
  // Asked before a single byte goes to the radio: Cancel leaves radio and document alone.
  if (reading ? !m_host.MayReplaceDocument() : !m_host.MayWriteDocument()) return;
  m_passwordAsked = false;
  // A fresh copy of the document's image for every attempt, also after a failed one.
  StartTransfer(m_host.DocumentImage());
}

bool CTransferDlg::StartTransfer(const CTransferSession::Image& image) {
  m_comAtStart = m_settings.Com();
  m_portTried = PortToBeTried(m_port.IsOpen(), m_port.Device(), m_settings);
  const bool reading = m_direction == TransferDirection::Read;
  const TransferNets nets = reading ? TransferNets{} : m_host.WriteNets();
  if (!m_session.Start(m_direction, image, nets)) return false;
  ShowStatus(m_host.Text(reading ? "IDS_PROMPT_READ" : nets.backupFirst ? "IDS_PROMPT_BACKUP" : "IDS_PROMPT_WRITE"));
  if (auto* ok = Item<QPushButton>(IDOK)) ok->setEnabled(false);
  m_timer.start(kTransferTickMs, this);
  return true;
}

void CTransferDlg::ShowMessage(const TransferReaction& r) {
  const auto lang = [this](std::string_view key) { return m_host.Text(key); };
  if (r.status == static_cast<int>(TransferStatus::VerifyFailed)) {
    TellBlocks(r.key, m_session.VerifyDifferences(), PromptIcon::Error);
    return;
  }
  if (r.status == static_cast<int>(TransferStatus::NotVerified)) {
    // Written all the same: a warning, not a failure. The blocks it names could not be read
    // back; without any, the radio did not answer at all.
    std::string text = m_host.Text(r.key);
    if (const auto& blocks = m_session.NotVerifiedBlocks(); !blocks.empty())
      text += "\n" + BlockAddressList(blocks);
    ShowPrompt(text, m_host.Text("IDS_PROMPT"), PromptIcon::Warning, PromptButtons::Ok);
    return;
  }
  std::string text = m_host.Text(r.key);
  if (r.status == static_cast<int>(TransferStatus::NoConnection)) {
    // No port opened at all: why not is the whole story, the radio was never asked.
    if (auto why = NoPortOpenedText(m_port.OpenAttempts(), PortSystem{}, PortAudience::Desktop, lang)) {
      text = *why;
    } else {
      // Which device was tried, [ports] mapping included: the port pane alone cannot say.
      text += "\n\n" + PortTriedText(m_portTried, lang);
    }
  }
  ShowPrompt(text, m_host.Text("IDS_ERROR"), PromptIcon::Error, PromptButtons::Ok);
}

void CTransferDlg::TellBlocks(const char* key, const std::vector<std::size_t>& blocks,
                              PromptIcon icon) {
  if (blocks.empty()) return;
  ShowPrompt(m_host.Text(key) + "\n" + BlockAddressList(blocks),
             m_host.Text(icon == PromptIcon::Error ? "IDS_ERROR" : "IDS_PROMPT"), icon,
             PromptButtons::Ok);
}

bool CTransferDlg::RetryWithTypedPassword() {
  if (m_passwordAsked) return false;
  m_passwordAsked = true;
  SecretRequest request;
  request.text = m_host.Text("IDS_READPW_ASK");
  request.caption = m_host.Text("IDS_READPW_TITLE");
  request.maxLength = layout::kReadPasswordSize;
  request.allowed = std::string(kPasswordCharacters);
  const std::optional<std::string> typed = CurrentPrompter().AskSecret(request);
  if (!typed) return false;
  // Compared with what the radio gave; only a match reads, exactly as a read with the right
  // password in the form would.
  if (!IsPasswordText(*typed) || EncodePassword(*typed) != m_session.RadioPassword()) {
    ShowPrompt(m_host.Text("IDS_ERROR_PASSWORD"), m_host.Text("IDS_ERROR"), PromptIcon::Error,
               PromptButtons::Ok);
    return false;
  }
  CTransferSession::Image image = m_host.DocumentImage();
  const PasswordBytes bytes = EncodePassword(*typed);
  std::copy(bytes.begin(), bytes.end(), image.begin() + layout::kReadPassword);
  return StartTransfer(image);
}

void CTransferDlg::OnCancel() {
  // Closing the port wakes the worker at once; the session waits for it, so nothing it uses
  // goes away under it.
  m_session.Cancel();
  m_timer.stop();
  m_doneTimer.stop();
  EndDialog(IDCANCEL);
}

void CTransferDlg::timerEvent(QTimerEvent* event) {
  if (event->timerId() == m_timer.timerId()) {
    OnTimer();
    return;
  }
  if (event->timerId() == m_doneTimer.timerId()) {
    m_doneTimer.stop();
    EndDialog(kTransferDialogEnded);
    return;
  }
  CDialog::timerEvent(event);
}

void CTransferDlg::OnTimer() {
  if (!m_session.IsRunning()) {
    m_timer.stop();
    return;
  }
  const TransferReaction r = m_session.Poll();
  if (r.portPane > 0) m_host.SetPortPane(r.portPane);
  if (r.storeBackup) {
    // The worker waits until the backup is on disk: no block is written before that.
    if (m_host.StoreWriteBackup(m_session.BackupImage())) {
      m_session.ContinueAfterBackup();
    } else {
      m_session.Cancel();
      m_timer.stop();
      EndDialog(kTransferDialogEnded);
    }
    return;
  }
  if (r.final) {
    // Stopped before any message, so no tick arrives while the message box waits.
    m_timer.stop();
    // A search that found the radio between two ticks was never seen by one; the port it
    // saved must still reach the status bar.
    const int com = m_settings.Com();
    if (com != m_comAtStart) m_host.SetPortPane(com);
  }
  const auto lang = [this](std::string_view key) { return m_host.Text(key); };
  switch (r.show) {
    case TransferShow::Nothing:
      break;
    case TransferShow::Progress:
      ShowStatus(ReactionText(r, lang));
      if (QProgressBar* bar = ProgressBar()) bar->setValue(r.barPosition);
      break;
    case TransferShow::Search:
    case TransferShow::Text:
      ShowStatus(ReactionText(r, lang));
      break;
    case TransferShow::Message: {
      if (r.status == static_cast<int>(TransferStatus::PasswordDiffers)) {
        // Asked for the radio's own password instead of only being told the form's is wrong;
        // a second mismatch has been told by then, and Cancel needs no word.
        if (RetryWithTypedPassword()) return;
        break;
      }
      ShowMessage(r);
      break;
    }
  }
  if (r.final && m_direction == TransferDirection::Write && m_session.BackupSkipped())
    ShowPrompt(m_host.Text("IDS_BACKUP_SKIPPED"), m_host.Text("IDS_PROMPT"), PromptIcon::Warning,
               PromptButtons::Ok);
  if (r.handOverImage) {
    m_host.HandOverImage(m_session.image());
    TellBlocks("IDS_WARN_PASSEDOVER", m_session.PassedOverBlocks(), PromptIcon::Warning);
  }
  switch (r.next) {
    case TransferNext::Continue:
      break;
    case TransferNext::End:
      if (r.done != nullptr) {
        // Said, not asked: the line stays a moment and the dialog closes by itself. What
        // needs the user's eye (a failure, a warning) has had its message box by now; a
        // well-ended read or write is the common case, and an OK to press after every one of
        // them would only be a step more. Cancel or Escape closes it at once.
        ShowStatus(m_host.Text(r.done));
        if (QProgressBar* bar = ProgressBar()) bar->setValue(kProgressBarRange);
        m_doneTimer.start(kTransferDoneShownMs, this);
        break;
      }
      EndDialog(kTransferDialogEnded);
      break;
    case TransferNext::Idle:
      if (auto* ok = Item<QPushButton>(IDOK)) ok->setEnabled(true);
      break;
  }
}

}  // namespace rondel
