// SPDX-License-Identifier: GPL-3.0-or-later
// The transfer worker, the tick's reactions and the session around them.
#include "link/transfer.h"

#include <algorithm>
#include <optional>
#include <chrono>
#include <cstdio>
#include <sys/prctl.h>

#include "link/block_exchange.h"
#include "link/radio_handshake.h"
#include "link/radio_protocol.h"

namespace rondel {
namespace P = protocol;
namespace {

constexpr unsigned long kTransferTimerSlackNs = 1000;

using S = TransferStatus;

class WorkerReporter final : public HandshakeReporter {
 public:
  explicit WorkerReporter(TransferShared& shared) : m_shared(shared) {}
  void SearchOpenedPort(int port) override {
    m_shared.foundPort.store(port);
    m_shared.progress.store(port);
    m_shared.status.store(static_cast<int>(S::SearchingPort));
  }
  bool Cancelled() const override { return m_shared.Cancelled(); }
  bool Pause(int ms) override { return m_shared.PauseUnlessCancelled(ms); }

 private:
  TransferShared& m_shared;
};

// The verification greets the same radio again: never a search of other ports.
class SamePortSettings final : public LinkSettings {
 public:
  explicit SamePortSettings(const LinkSettings& s) : m_s(s) {}
  std::string Communication() const override { return m_s.Communication(); }
  bool SearchEnabled() const override { return false; }
  int Com() const override { return m_s.Com(); }
  bool WriteCom(int port) const override { return m_s.WriteCom(port); }
  bool PasswordEnabled() const override { return m_s.PasswordEnabled(); }
  std::string TestPassword() const override { return m_s.TestPassword(); }
  std::string PortDevice(int n) const override { return m_s.PortDevice(n); }
  bool PortNamed(int n) const override { return m_s.PortNamed(n); }

 private:
  const LinkSettings& m_s;
};

class Worker {
 public:
  explicit Worker(TransferShared& shared)
      : m_s(shared), m_link(*shared.port), m_image(*shared.image), m_reporter(shared) {}

  void Run() {
    if (!m_s.reading && m_s.backupFirst) {
      SetPhase(TransferPhase::Backup);
      if (!Connect(*m_s.settings)) return;
      if (!BackUp()) return;
      SetPhase(TransferPhase::Main);
      m_s.progress.store(0);
    }
    if (!Connect(*m_s.settings)) return;
    if (m_s.reading) {
      ReadAll();
    } else {
      WriteAll();
    }
  }

 private:
  // A cancelled worker reports nothing more: whoever cancelled has stopped listening.
  void Finish(S status) {
    if (!m_s.Cancelled()) m_s.status.store(static_cast<int>(status));
  }
  void Progress(std::size_t n, S status) {
    m_s.progress.store(static_cast<int>(100 * n / kTransferBlocks));
    Finish(status);
  }
  void SetPhase(TransferPhase phase) { m_s.phase.store(static_cast<int>(phase)); }

  // The handshake; false (with the failure's status) when the radio is not there.
  bool Connect(const LinkSettings& settings) {
    switch (ConnectRadio(m_link, settings, m_reporter)) {
      case HandshakeResult::Cancelled: return false;
      case HandshakeResult::NoConnection: Finish(S::NoConnection); return false;
      case HandshakeResult::WrongType: Finish(S::WrongType); return false;
      case HandshakeResult::Connected: break;
    }
    m_s.foundPort.store(-1);  // ConnectRadio has saved it
    return true;
  }

  enum class Blocks { Read, Short, Cancelled };
  // The read exchange's 126 blocks into `into`; the blocks passed over keep their bytes.
  Blocks ReadAllBlocks(TransferShared::Image& into, std::vector<std::size_t>& passedOver) {
    BlockLoopHooks hooks;
    hooks.cancelled = [this] { return m_s.Cancelled(); };
    hooks.progress = [this](std::size_t n) { Progress(n, S::BlockRead); };
    BlockLoopResult r = ReadBlocks(m_link, {0, kTransferBlocks}, kTransferReadPolicy, into, hooks);
    passedOver.insert(passedOver.end(), r.passedOver.begin(), r.passedOver.end());
    switch (r.end) {
      case BlockLoopEnd::Done: return Blocks::Read;
      case BlockLoopEnd::Cancelled: return Blocks::Cancelled;
      case BlockLoopEnd::Short:
      case BlockLoopEnd::Garbled: break;
    }
    return Blocks::Short;
  }

  // The read password's query, when the settings ask for it. Nothing: a short reply, which
  // has been reported.
  std::optional<bool> PasswordMatches() {
    if (!m_s.settings->PasswordEnabled()) return true;
    const auto password = QueryPassword(m_link, m_reporter);
    if (!password) {
      Finish(S::ReadFailed);
      return std::nullopt;
    }
    if (std::equal(password->begin(), password->end(), m_image.begin() + layout::kReadPassword))
      return true;
    m_s.radioPassword = *password;
    return false;
  }

  void ReadAll() {
    const auto matches = PasswordMatches();
    if (!matches) return;
    if (!*matches) return Finish(S::PasswordDiffers);
    switch (ReadAllBlocks(m_image, m_s.passedOver)) {
      case Blocks::Cancelled: return;
      case Blocks::Short: return Finish(S::ReadFailed);
      case Blocks::Read: break;
    }
    // Garbled answers to most blocks are no radio's memory, whatever else answered.
    if (m_s.passedOver.size() > kMaxPassedOverBlocks) return Finish(S::ReadFailed);
    Finish(S::ReadComplete);
  }

  // The read exchange into the backup buffer, then a word to the watcher, who stores it. A
  // protected radio whose password is not the image's is not read: the write goes on without
  // a backup, and says so. False: the write must not go on.
  bool BackUp() {
    const auto matches = PasswordMatches();
    if (!matches) return false;
    if (!*matches) {
      m_s.backupSkipped = true;
      return true;
    }
    *m_s.backup = m_image;
    std::vector<std::size_t> passedOver;
    switch (ReadAllBlocks(*m_s.backup, passedOver)) {
      case Blocks::Cancelled: return false;
      case Blocks::Short: Finish(S::ReadFailed); return false;
      case Blocks::Read: break;
    }
    if (passedOver.size() > kMaxPassedOverBlocks) {
      Finish(S::ReadFailed);
      return false;
    }
    Finish(S::BackupRead);
    return m_s.WaitToContinue();
  }

  void WriteAll() {
    BlockLoopHooks hooks;
    hooks.cancelled = [this] { return m_s.Cancelled(); };
    hooks.progress = [this](std::size_t n) { Progress(n, S::BlockWritten); };
    switch (WriteBlocks(m_link, {0, kTransferBlocks}, kTransferWritePolicy, m_image, hooks).end) {
      case BlockLoopEnd::Done: break;
      case BlockLoopEnd::Cancelled: return;
      case BlockLoopEnd::Short:
      case BlockLoopEnd::Garbled: return Finish(S::WriteFailed);
    }
    // The radio stores the last block before it is told to leave programming mode.
    if (!m_s.PauseUnlessCancelled(P::kBeforeLeaveMs)) return;
    if (!m_s.verifyAfter) return Finish(S::WriteComplete);
    // The write is complete: the leave byte is the worker's now, since the verification
    // follows it.
    SendLeave(m_link);
    Verify();
  }

  // After the leave byte the radio restarts; it is greeted again on the same port until it
  // answers, then read as an ordinary read reads it, and every block compared with what was
  // written.
  void Verify() {
    SetPhase(TransferPhase::Verify);
    m_s.progress.store(0);
    const SamePortSettings samePort(*m_s.settings);
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(kVerifyGreetingMs);
    for (;;) {
      const HandshakeResult r = ConnectRadio(m_link, samePort, m_reporter);
      if (r == HandshakeResult::Cancelled) return;
      if (r == HandshakeResult::Connected) break;
      if (std::chrono::steady_clock::now() >= until) return NotVerified();
      if (!m_s.PauseUnlessCancelled(kVerifyGreetingPauseMs)) return;
    }
    if (m_s.settings->PasswordEnabled() && !QueryPassword(m_link, m_reporter)) return NotVerified();
    TransferShared::Image readBack = m_image;
    std::vector<std::size_t> passedOver;
    switch (ReadAllBlocks(readBack, passedOver)) {
      case Blocks::Cancelled: return;
      case Blocks::Short: return NotVerified();
      case Blocks::Read: break;
    }
    for (std::size_t a = 0; a < layout::kTransferEnd; a += P::kBlockSize) {
      if (std::find(passedOver.begin(), passedOver.end(), a) != passedOver.end()) {
        m_s.notVerified.push_back(a);
      } else if (!std::equal(m_image.begin() + static_cast<long>(a),
                             m_image.begin() + static_cast<long>(a + P::kBlockSize),
                             readBack.begin() + static_cast<long>(a))) {
        m_s.verifyDiffers.push_back(a);
      }
    }
    if (!m_s.verifyDiffers.empty()) return Finish(S::VerifyFailed);
    Finish(m_s.notVerified.empty() ? S::WriteVerified : S::NotVerified);
  }

  // The radio did not answer the verification: nothing of it was read back.
  void NotVerified() {
    m_s.notVerified.clear();
    Finish(S::NotVerified);
  }

  TransferShared& m_s;
  ByteLink& m_link;
  TransferShared::Image& m_image;
  WorkerReporter m_reporter;
};

TransferReaction Final(const char* key, TransferShow show, TransferNext next) {
  TransferReaction r;
  r.final = true;
  r.closePort = true;
  r.show = show;
  r.key = key;
  r.next = next;
  return r;
}

}  // namespace

void TransferShared::RequestCancel() {
  {
    std::lock_guard lock(m_pauseMutex);
    cancel.store(1);
  }
  m_pauseCv.notify_all();
}

void TransferShared::ContinueAfterBackup() {
  {
    std::lock_guard lock(m_pauseMutex);
    goOn.store(1);
  }
  m_pauseCv.notify_all();
}

bool TransferShared::WaitToContinue() {
  std::unique_lock lock(m_pauseMutex);
  m_pauseCv.wait(lock, [this] { return goOn.load() != 0 || Cancelled(); });
  return !Cancelled();
}

bool TransferShared::PauseUnlessCancelled(int ms) {
  std::unique_lock lock(m_pauseMutex);
  return !m_pauseCv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return Cancelled(); });
}

void TransferWorker(TransferShared& shared) {
  // Every frame waits a millisecond, and the kernel may stretch each wait of a thread by its
  // timer slack (50 us by default), hundreds of times a transfer. The slack is the thread's
  // own, so the fine one ends with the transfer.
  ::prctl(PR_SET_TIMERSLACK, kTransferTimerSlackNs, 0, 0, 0);
  Worker(shared).Run();
}

TransferReaction ReactToStatus(int status, int progress, int foundPort, bool reading,
                               TransferPhase phase) {
  TransferReaction r;
  switch (static_cast<S>(status)) {
    case S::Started:
      break;
    case S::NoConnection:
      r = Final("IDS_ERROR_PORTCONN", TransferShow::Message, TransferNext::End);
      break;
    case S::WrongType:
      r = Final("IDS_ERROR_TYPE", TransferShow::Message, TransferNext::End);
      break;
    case S::BlockRead:
    case S::BlockWritten: {
      const int percent = std::clamp(progress, 0, 100);
      r.show = TransferShow::Progress;
      r.key = phase == TransferPhase::Backup   ? "IDS_PROMPT_BACKUP"
              : phase == TransferPhase::Verify ? "IDS_PROMPT_VERIFY"
              : reading                        ? "IDS_PROMPT_READ"
                                               : "IDS_PROMPT_WRITE";
      r.percent = percent;
      r.barPosition = percent * kProgressBarRange / 100;
      break;
    }
    case S::ReadFailed:
      // Before a write: nothing has been written, and the radio's memory is as it was.
      r = Final(phase == TransferPhase::Backup ? "IDS_PROMPT_BACKUPFAIL" : "IDS_PROMPT_READFAIL",
                TransferShow::Text, TransferNext::Idle);
      break;
    case S::ReadComplete:
      r = Final(nullptr, TransferShow::Nothing, TransferNext::End);
      r.handOverImage = true;
      r.done = "IDS_TRANSFER_READDONE";
      break;
    case S::WriteFailed:
      r = Final("IDS_PROMPT_WRITEFAIL", TransferShow::Text, TransferNext::Idle);
      break;
    case S::WriteComplete:
      r = Final(nullptr, TransferShow::Nothing, TransferNext::End);
      r.sendLeaveByte = true;
      r.done = "IDS_TRANSFER_WRITTEN";
      break;
    case S::SearchingPort:
      r.show = TransferShow::Search;
      r.key = "IDS_SEARCHCOMPORT";
      r.dots = ((progress % 16) + 16) % 16;
      break;
    case S::PasswordDiffers:
      r = Final("IDS_ERROR_PASSWORD", TransferShow::Message, TransferNext::End);
      break;
    case S::BackupRead:
      r.storeBackup = true;
      break;
    case S::VerifyFailed:
      // The leave byte went before the verification.
      r = Final("IDS_VERIFY_DIFFERS", TransferShow::Message, TransferNext::End);
      break;
    case S::NotVerified:
      r = Final("IDS_VERIFY_NOTVERIFIED", TransferShow::Message, TransferNext::End);
      r.warning = true;
      break;
    case S::WriteVerified:
      r = Final(nullptr, TransferShow::Nothing, TransferNext::End);
      r.done = "IDS_TRANSFER_VERIFIED";
      break;
    default:
      r = Final(nullptr, TransferShow::Nothing, TransferNext::End);
      break;
  }
  r.status = status;
  r.phase = phase;
  // The port the search opened; the status bar shows it while the search goes on.
  if (foundPort >= 1) r.portPane = foundPort;
  return r;
}

std::string BlockAddressList(const std::vector<std::size_t>& addresses) {
  std::string out;
  for (const std::size_t a : addresses) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%03zX", a);
    if (!out.empty()) out += ' ';
    out += text;
  }
  return out;
}

std::string ReactionText(const TransferReaction& reaction,
                         const std::function<std::string(std::string_view)>& lang) {
  if (reaction.show == TransferShow::Nothing || reaction.key == nullptr) return {};
  std::string text = lang(reaction.key);
  if (reaction.show == TransferShow::Progress) {
    char suffix[16];
    std::snprintf(suffix, sizeof suffix, " %d%%", reaction.percent);
    text += suffix;
  } else if (reaction.show == TransferShow::Search) {
    text.append(static_cast<std::size_t>(reaction.dots), '.');
  }
  return text;
}

CTransferSession::CTransferSession(ByteLink& port, const LinkSettings& settings)
    : m_port(port), m_settings(settings) {}

CTransferSession::~CTransferSession() { Cancel(); }

bool CTransferSession::Start(TransferDirection direction, const Image& image, WriteNets nets) {
  if (IsRunning()) return false;
  m_direction = direction;
  m_image = image;
  const bool writing = direction == TransferDirection::Write;
  m_shared.backupFirst = writing && nets.backupFirst ? 1 : 0;
  m_shared.verifyAfter = writing && nets.verifyAfter ? 1 : 0;
  m_shared.backup = &m_backup;
  m_shared.phase.store(static_cast<int>(TransferPhase::Main));
  m_shared.goOn.store(0);
  m_shared.backupSkipped = false;
  m_shared.verifyDiffers.clear();
  m_shared.notVerified.clear();
  m_port.SetBaudRate(P::kBaud);
  m_shared.port = &m_port;
  m_shared.settings = &m_settings;
  m_shared.reading = direction == TransferDirection::Read ? 1 : 0;
  m_shared.image = &m_image;
  m_shared.status.store(static_cast<int>(S::Started));
  m_shared.progress.store(0);
  m_shared.cancel.store(0);
  m_shared.foundPort.store(-1);
  m_shared.passedOver.clear();
  m_shared.radioPassword = {};
  m_worker = std::thread(TransferWorker, std::ref(m_shared));
  return true;
}

TransferReaction CTransferSession::Poll() {
  if (!IsRunning()) {
    TransferReaction idle;
    idle.next = TransferNext::Idle;
    return idle;
  }
  const int found = m_shared.foundPort.load();
  const int status = m_shared.status.load();
  const int progress = m_shared.progress.load();
  const auto phase = static_cast<TransferPhase>(m_shared.phase.load());
  TransferReaction r = ReactToStatus(status, progress, found, m_shared.reading != 0, phase);
  // The backup is the watcher's to keep once: until the worker's next status it still reads
  // BackupRead.
  if (r.storeBackup && m_shared.goOn.load() != 0) r.storeBackup = false;
  if (r.final) {
    // The worker returns right after a final status.
    m_worker.join();
    if (r.sendLeaveByte) SendLeave(m_port);
    if (r.closePort) m_port.Close();
  }
  return r;
}

void CTransferSession::Cancel() {
  m_shared.RequestCancel();
  m_port.Close();
  if (m_worker.joinable()) {
    m_worker.join();
    // The worker may have opened a search port between its last look at cancel and our Close.
    m_port.Close();
  }
}

}  // namespace rondel
