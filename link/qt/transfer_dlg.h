// SPDX-License-Identifier: GPL-3.0-or-later
// The progress dialog of a read from or a write to the radio (template 132): OK starts the
// transfer engine, a 20 ms timer shows what the engine reports and hands a complete read to
// the document, Cancel stops the transfer at once. The dialog only renders the engine's
// reactions; the rules of the transfer live in link/transfer.h.
#pragma once

#include <QBasicTimer>

#include <string>
#include <string_view>

#include "link/port_message.h"
#include "link/transfer.h"
#include "platform/dialogs/cdialog.h"
#include "platform/prompt.h"

class QLabel;
class QProgressBar;

namespace rondel {

// What the dialog needs from the program above the link: texts, translation, the document's
// image and the status bar.
class TransferDlgHost {
 public:
  virtual ~TransferDlgHost() = default;
  // The text of a "String" key of the current language file.
  virtual std::string Text(std::string_view key) = 0;
  // The "Resource" texts of dialog `number` on `dialog`.
  virtual void TranslateDialog(QWidget* dialog, int number) = 0;
  virtual CTransferSession::Image DocumentImage() = 0;
  // A complete read: the image becomes the document's, which is refreshed.
  virtual void HandOverImage(const CTransferSession::Image& image) = 0;
  // Before a read: a modified document the read would replace is offered for saving first.
  // False (Cancel, or a save that failed): the read does not start.
  virtual bool MayReplaceDocument() = 0;
  // Before a write: false when the user would rather not write this image (one that came
  // from a file cut short).
  virtual bool MayWriteDocument() = 0;
  // What a write does besides writing (the settings' backup and verification).
  virtual TransferNets WriteNets() = 0;
  // The radio's memory read before a write: kept as a backup. False, when it could not be
  // kept (and the user has been told): nothing may be written then.
  virtual bool StoreWriteBackup(const CTransferSession::Image& image) = 0;
  // "COM<port>" in the status bar.
  virtual void SetPortPane(int port) = 0;
};

// The result with which the dialog ends after the transfer ended by itself.
inline constexpr int kTransferDialogEnded = 5;
// A transfer that ended well leaves its line ("Written and verified.") on the screen this long,
// then the dialog closes by itself.
inline constexpr int kTransferDoneShownMs = 1500;

class CTransferDlg : public CDialog {
  Q_OBJECT
 public:
  CTransferDlg(ByteLink& port, const LinkSettings& settings, TransferDlgHost& host,
               QWidget* parent);
  ~CTransferDlg() override;

  // Set before the dialog is shown.
  void SetDirection(TransferDirection direction) { m_direction = direction; }
  TransferDirection Direction() const { return m_direction; }

  bool OnInitDialog() override;

  bool IsTransferRunning() const { return m_session.IsRunning(); }
  bool IsTimerRunning() const { return m_timer.isActive(); }
  // The transfer has ended well and its line is shown until the dialog closes.
  bool IsShowingDone() const { return m_doneTimer.isActive(); }
  QLabel* StatusText() const;
  QProgressBar* ProgressBar() const;

 protected:
  void OnOK() override;
  void OnCancel() override;
  void timerEvent(QTimerEvent* event) override;

 private:
  void OnTimer();
  void ShowStatus(const std::string& text);
  // The message of a final reaction, with the blocks it names.
  void ShowMessage(const TransferReaction& r);
  void TellBlocks(const char* key, const std::vector<std::size_t>& blocks, PromptIcon icon);
  bool StartTransfer(const CTransferSession::Image& image);
  // The radio's read password differs from the form's: asks for it once; true when the read
  // has started again with the password typed.
  bool RetryWithTypedPassword();

  TransferDlgHost& m_host;
  ByteLink& m_port;
  const LinkSettings& m_settings;
  CTransferSession m_session;
  int m_comAtStart = 0;
  PortTried m_portTried;  // named when the radio does not answer
  TransferDirection m_direction = TransferDirection::Read;
  bool m_passwordAsked = false;  // once for each OK
  QBasicTimer m_timer;
  QBasicTimer m_doneTimer;
};

}  // namespace rondel
