// SPDX-License-Identifier: GPL-3.0-or-later
// The fleet's transfers and the dealer's loop, each port with a link and session of its own.
#include "link/fleet.h"

#include "link/radio_handshake.h"
#include "link/radio_protocol.h"

namespace rondel {
namespace {

using S = TransferStatus;

// A link that knows one device: whatever COM number the handshake opens, it is that one.
CSerialLink::PortResolver OnlyDevice(const std::string& device) {
  return [device](int) { return device; };
}

bool Answered(const TransferReaction& r) {
  return r.show == TransferShow::Progress || r.storeBackup ||
         (r.final && r.status != static_cast<int>(S::NoConnection));
}

// Stops every session of `sessions` together: the cancels run side by side, so no radio
// waits for another's worker to notice.
void CancelTogether(const std::vector<CTransferSession*>& sessions) {
  std::vector<std::thread> cancels;
  cancels.reserve(sessions.size());
  for (CTransferSession* s : sessions) cancels.emplace_back([s] { s->Cancel(); });
  for (std::thread& t : cancels) t.join();
}

}  // namespace

bool FleetSucceeded(int status) {
  switch (static_cast<S>(status)) {
    case S::ReadComplete:
    case S::WriteComplete:
    case S::WriteVerified:
    case S::NotVerified:
      return true;
    default:
      return false;
  }
}

// ---- CFleet --------------------------------------------------------------------------------

struct CFleet::Member {
  Member(const LinkSettings& s, const std::string& device)
      : settings(s, device), link(OnlyDevice(device)), session(link, settings) {
    radio.device = device;
  }
  FixedPortSettings settings;
  CSerialLink link;
  CTransferSession session;  // after the link and settings it uses, so it goes first
  FleetRadio radio;
};

CFleet::CFleet(const LinkSettings& settings, const std::vector<std::string>& devices) {
  for (const std::string& d : devices) m_members.push_back(std::make_unique<Member>(settings, d));
}

CFleet::~CFleet() { Cancel(); }

void CFleet::Start(TransferDirection direction, const TransferShared::Image& image, TransferNets nets) {
  for (auto& m : m_members) {
    FleetRadio& radio = m->radio;
    radio = FleetRadio{};
    radio.device = m->settings.PortDevice(kFirstComPort);
    radio.startedAt = FleetClock::now();
    if (!m->link.IsOpen() && !m->link.OpenDevice(radio.device, protocol::kBaud)) {
      radio.openFailed = true;
      radio.openError = m->link.LastOpenError();
      radio.finished = true;
      radio.endedAt = FleetClock::now();
      radio.last = ReactToStatus(static_cast<int>(S::NoConnection), 0, -1,
                                 direction == TransferDirection::Read);
      continue;
    }
    radio.running = m->session.Start(direction, image, nets);
  }
}

bool CFleet::PollOne(std::size_t i, FleetWatcher& watcher) {
  Member& m = *m_members[i];
  FleetRadio& radio = m.radio;
  if (!radio.running) return false;
  const TransferReaction r = m.session.Poll();
  if (r.show != TransferShow::Nothing || r.final) radio.last = r;
  if (Answered(r)) radio.answered = true;
  if (r.storeBackup) {
    // No block is written before the radio's memory is kept.
    if (watcher.KeepBackup(i, m.session.BackupImage())) {
      m.session.ContinueAfterBackup();
    } else {
      m.session.Cancel();
      radio.stopped = true;
      radio.running = false;
      radio.finished = true;
      radio.endedAt = FleetClock::now();
      return false;
    }
  }
  if (!r.final) return true;
  radio.running = false;
  radio.finished = true;
  radio.endedAt = FleetClock::now();
  radio.openAttempts = m.link.OpenAttempts();
  watcher.Finished(i, r, m.session);
  return false;
}

bool CFleet::Poll(FleetWatcher& watcher) {
  bool any = false;
  for (std::size_t i = 0; i < m_members.size(); ++i) any = PollOne(i, watcher) || any;
  return any;
}

bool CFleet::Running() const {
  for (const auto& m : m_members)
    if (m->radio.running) return true;
  return false;
}

void CFleet::Cancel() {
  std::vector<CTransferSession*> sessions;
  for (auto& m : m_members) {
    sessions.push_back(&m->session);
    if (!m->radio.running) continue;
    m->radio.running = false;
    m->radio.finished = true;
    m->radio.stopped = true;
  }
  CancelTogether(sessions);
  const auto now = FleetClock::now();
  for (auto& m : m_members)
    if (m->radio.stopped && m->radio.endedAt == FleetClock::time_point{}) m->radio.endedAt = now;
}

const FleetRadio& CFleet::Radio(std::size_t i) const { return m_members.at(i)->radio; }
const CTransferSession& CFleet::Session(std::size_t i) const { return m_members.at(i)->session; }

// ---- CFleetLoop ----------------------------------------------------------------------------

// Whether the radio programmed on a port is still there, asked once a second on a thread of
// its own while no transfer uses the port.
class Sentry final : public HandshakeReporter {
 public:
  Sentry(CSerialLink& link, const LinkSettings& settings) : m_link(link), m_settings(settings) {}
  ~Sentry() override { Stop(); }
  Sentry(const Sentry&) = delete;
  Sentry& operator=(const Sentry&) = delete;

  void Start(FleetClock::time_point writtenAt) {
    Stop();
    m_stop.store(false);
    m_gone.store(false);
    m_thread = std::thread([this, writtenAt] { Run(writtenAt); });
  }
  // Ends a round in progress at once: the closed link wakes every wait of the handshake.
  void Stop() {
    {
      std::lock_guard lock(m_mutex);
      m_stop.store(true);
    }
    m_cv.notify_all();
    m_link.Close();
    if (m_thread.joinable()) m_thread.join();
    m_link.Close();
  }
  bool Gone() const { return m_gone.load(); }

  bool Cancelled() const override { return m_stop.load(); }
  bool Pause(int ms) override {
    std::unique_lock lock(m_mutex);
    return !m_cv.wait_for(lock, std::chrono::milliseconds(ms), [this] { return m_stop.load(); });
  }

 private:
  void Run(FleetClock::time_point writtenAt) {
    const auto graceEnd = writtenAt + std::chrono::milliseconds(CFleetLoop::kRestartGraceMs);
    bool heard = false;
    for (;;) {
      if (!Pause(CFleetLoop::kRoundPauseMs)) return;
      // A link left open by the last round is greeted as it is, so the cable's modem lines are
      // not raised anew every second.
      const HandshakeResult r = ConnectRadio(m_link, m_settings, *this);
      if (r == HandshakeResult::Cancelled) return;
      if (r != HandshakeResult::NoConnection) {
        heard = true;
        continue;
      }
      m_link.Close();
      if (heard || FleetClock::now() >= graceEnd) {
        m_gone.store(true);
        return;
      }
    }
  }

  CSerialLink& m_link;
  const LinkSettings& m_settings;
  std::atomic<bool> m_stop{false};
  std::atomic<bool> m_gone{false};
  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::thread m_thread;
};

struct CFleetLoop::Port {
  Port(const LinkSettings& s, const std::string& device)
      : settings(s, device), link(OnlyDevice(device)), session(link, settings), sentry(link, settings) {
    radio.device = device;
  }
  FixedPortSettings settings;
  CSerialLink link;
  CTransferSession session;
  Sentry sentry;  // goes before the session and link it shares
  FleetRadio radio;
  PortState state = PortState::Waiting;
  FleetClock::time_point sessionStartedAt{};
  FleetClock::time_point notBefore{};  // a missing device is greeted again a round later
  bool waiting = false;                // a greeting session runs
};

CFleetLoop::CFleetLoop(const LinkSettings& settings, const std::vector<std::string>& devices,
                       const TransferShared::Image& image, TransferNets nets)
    : m_image(image), m_nets(nets) {
  for (const std::string& d : devices) m_ports.push_back(std::make_unique<Port>(settings, d));
}

CFleetLoop::~CFleetLoop() { Cancel(); }

void CFleetLoop::Start() {
  for (auto& p : m_ports) StartWaiting(*p);
}

// The greeting of a free port is the write itself: its handshake's hello attempts, and when
// nobody answers them, the same again.
void CFleetLoop::StartWaiting(Port& p) {
  p.state = PortState::Waiting;
  p.waiting = false;
  if (FleetClock::now() < p.notBefore) return;
  p.sessionStartedAt = FleetClock::now();
  p.waiting = p.session.Start(TransferDirection::Write, m_image, m_nets);
}

void CFleetLoop::Poll(FleetWatcher& watcher) {
  for (std::size_t i = 0; i < m_ports.size(); ++i) {
    Port& p = *m_ports[i];
    if (p.state == PortState::Occupied) {
      if (!p.sentry.Gone()) continue;
      p.sentry.Stop();
      StartWaiting(p);
      continue;
    }
    if (p.state == PortState::Waiting && !p.waiting) {
      StartWaiting(p);
      continue;
    }
    const TransferReaction r = p.session.Poll();
    if (p.state == PortState::Waiting) {
      if (!Answered(r)) {
        if (!r.final) continue;
        // Nobody answered this round's hellos: greet again, at once when the port opened,
        // a round later when there is no device to open.
        if (!p.link.OpenAttempts().opened)
          p.notBefore = FleetClock::now() + std::chrono::milliseconds(kRoundPauseMs);
        StartWaiting(p);
        continue;
      }
      p.state = PortState::Writing;
      p.radio = FleetRadio{};
      p.radio.device = p.settings.PortDevice(kFirstComPort);
      p.radio.startedAt = p.sessionStartedAt;
      p.radio.running = true;
      p.radio.answered = true;
      watcher.Answered(i);
    }
    if (r.show != TransferShow::Nothing || r.final) p.radio.last = r;
    bool ended = r.final;
    if (r.storeBackup) {
      if (watcher.KeepBackup(i, p.session.BackupImage())) {
        p.session.ContinueAfterBackup();
      } else {
        p.session.Cancel();
        p.radio.stopped = true;
        ended = true;
      }
    }
    if (!ended) continue;
    p.radio.running = false;
    p.radio.finished = true;
    p.radio.endedAt = FleetClock::now();
    p.radio.openAttempts = p.link.OpenAttempts();
    if (!p.radio.stopped && FleetSucceeded(r.status)) {
      ++m_programmed;
    } else {
      ++m_failed;
    }
    if (!p.radio.stopped) watcher.Finished(i, r, p.session);
    p.state = PortState::Occupied;
    p.waiting = false;
    p.sentry.Start(p.radio.endedAt);
  }
}

void CFleetLoop::Cancel() {
  std::vector<std::thread> stops;
  std::vector<CTransferSession*> sessions;
  for (auto& p : m_ports) {
    stops.emplace_back([&p] { p->sentry.Stop(); });
    sessions.push_back(&p->session);
  }
  CancelTogether(sessions);
  for (std::thread& t : stops) t.join();
  const auto now = FleetClock::now();
  for (auto& p : m_ports) {
    p->waiting = false;
    if (p->state != PortState::Writing) continue;
    p->radio.running = false;
    p->radio.finished = true;
    p->radio.stopped = true;
    p->radio.endedAt = now;
    ++m_failed;
  }
}

CFleetLoop::PortState CFleetLoop::State(std::size_t i) const { return m_ports.at(i)->state; }
const FleetRadio& CFleetLoop::Radio(std::size_t i) const { return m_ports.at(i)->radio; }

}  // namespace rondel
