// The transfer worker, the tick's reactions and the session around them.
#include "link/transfer.h"

#include <algorithm>
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

class Worker {
 public:
  explicit Worker(TransferShared& shared)
      : m_s(shared), m_link(*shared.port), m_image(*shared.image), m_reporter(shared) {}

  void Run() {
    switch (ConnectRadio(m_link, *m_s.settings, m_reporter)) {
      case HandshakeResult::Cancelled: return;
      case HandshakeResult::NoConnection: Finish(S::NoConnection); return;
      case HandshakeResult::WrongType: Finish(S::WrongType); return;
      case HandshakeResult::Connected: break;
    }
    m_s.foundPort.store(-1);  // ConnectRadio has saved it
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

  void ReadAll() {
    if (m_s.settings->PasswordEnabled()) {
      const auto password = QueryPassword(m_link, m_reporter);
      if (!password) return Finish(S::ReadFailed);
      if (!std::equal(password->begin(), password->end(),
                      m_image.begin() + layout::kReadPassword)) {
        m_s.radioPassword = *password;
        return Finish(S::PasswordDiffers);
      }
    }
    for (std::size_t n = 1; n <= kTransferBlocks; ++n) {
      const std::size_t a = P::kBlockSize * (n - 1);
      BlockReply reply{};
      int got = 0;
      bool good = false;
      for (int send = 0; send < P::kSendsPerBlock && !good; ++send) {
        if (m_s.Cancelled()) return;
        got = RequestBlock(m_link, a, reply);
        good = P::IsGoodReply(std::span(reply.data(), static_cast<std::size_t>(got)), a);
      }
      if (good) {
        StoreBlock(m_image, a, reply);
        Acknowledge(m_link);
        Progress(n, S::BlockRead);
      } else if (got < static_cast<int>(reply.size())) {
        return Finish(S::ReadFailed);
      } else {
        m_s.passedOver.push_back(a);
      }
      // A whole reply with the wrong header three times: the block is passed over and keeps
      // the document's bytes.
      if (m_s.Cancelled()) return;
    }
    Finish(S::ReadComplete);
  }

  void WriteAll() {
    for (std::size_t n = 1; n <= kTransferBlocks; ++n) {
      const std::size_t a = P::kBlockSize * (n - 1);
      bool accepted = false;
      for (int send = 0; send < P::kSendsPerBlock && !accepted; ++send) {
        if (m_s.Cancelled()) return;
        accepted = SendWriteBlock(m_link, m_image, a, P::kWriteAckMs);
      }
      if (!accepted) return Finish(S::WriteFailed);
      Progress(n, S::BlockWritten);
      if (m_s.Cancelled()) return;
    }
    // The radio stores the last block before it is told to leave programming mode.
    if (!m_s.PauseUnlessCancelled(P::kBeforeLeaveMs)) return;
    Finish(S::WriteComplete);
  }

  TransferShared& m_s;
  CSerialLink& m_link;
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

TransferReaction ReactToStatus(int status, int progress, int foundPort, bool reading) {
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
      r.key = reading ? "IDS_PROMPT_READ" : "IDS_PROMPT_WRITE";
      r.percent = percent;
      r.barPosition = percent * kProgressBarRange / 100;
      break;
    }
    case S::ReadFailed:
      r = Final("IDS_PROMPT_READFAIL", TransferShow::Text, TransferNext::Idle);
      break;
    case S::ReadComplete:
      r = Final(nullptr, TransferShow::Nothing, TransferNext::End);
      r.handOverImage = true;
      break;
    case S::WriteFailed:
      r = Final("IDS_PROMPT_WRITEFAIL", TransferShow::Text, TransferNext::Idle);
      break;
    case S::WriteComplete:
      r = Final(nullptr, TransferShow::Nothing, TransferNext::End);
      r.sendLeaveByte = true;
      break;
    case S::SearchingPort:
      r.show = TransferShow::Search;
      r.key = "IDS_SEARCHCOMPORT";
      r.dots = ((progress % 16) + 16) % 16;
      break;
    case S::PasswordDiffers:
      r = Final("IDS_ERROR_PASSWORD", TransferShow::Message, TransferNext::End);
      break;
    default:
      r = Final(nullptr, TransferShow::Nothing, TransferNext::End);
      break;
  }
  r.status = status;
  // The port the search opened; the status bar shows it while the search goes on.
  if (foundPort >= 1) r.portPane = foundPort;
  return r;
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

CTransferSession::CTransferSession(CSerialLink& port, const LinkSettings& settings)
    : m_port(port), m_settings(settings) {}

CTransferSession::~CTransferSession() { Cancel(); }

bool CTransferSession::Start(TransferDirection direction, const Image& image) {
  if (IsRunning()) return false;
  m_direction = direction;
  m_image = image;
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
  TransferReaction r = ReactToStatus(status, progress, found, m_shared.reading != 0);
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
