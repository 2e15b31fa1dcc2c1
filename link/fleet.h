// SPDX-License-Identifier: GPL-3.0-or-later
// Many radios at once from one computer: one transfer per port, each the exchange a single
// read or write is, on its own link, session and status block; and the dealer's loop, which
// waits for a radio on any of its ports, programs it and waits for the next one.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "link/link_settings.h"
#include "link/serial_link.h"
#include "link/transfer.h"

namespace rondel {

// The settings of one radio of a fleet: the user's, except that the radio is on one device
// and nowhere else. No port is searched, and "com" is never written: a fleet names its
// devices on the command line, and one radio found must not move the others' port.
class FixedPortSettings final : public LinkSettings {
 public:
  FixedPortSettings(const LinkSettings& settings, std::string device)
      : m_s(settings), m_device(std::move(device)) {}
  std::string Communication() const override { return m_s.Communication(); }
  bool SearchEnabled() const override { return false; }
  int Com() const override { return kFirstComPort; }
  bool WriteCom(int) const override { return true; }
  bool PasswordEnabled() const override { return m_s.PasswordEnabled(); }
  std::string TestPassword() const override { return m_s.TestPassword(); }
  std::string PortDevice(int) const override { return m_device; }
  bool PortNamed(int) const override { return true; }

 private:
  const LinkSettings& m_s;
  std::string m_device;
};

using FleetClock = std::chrono::steady_clock;

// What the watcher knows of one radio's transfer. Only the watcher's thread touches it; the
// worker's side is the session's own status block.
struct FleetRadio {
  std::string device;
  bool running = false;
  bool finished = false;
  TransferReaction last;      // the last tick's reaction; at the end, the final one
  bool openFailed = false;    // the device did not open: last.status is NoConnection
  PortOpenError openError;
  OpenRecord openAttempts;    // after a NoConnection: whether the port opened at all
  bool stopped = false;       // cancelled, or stopped because its backup was not kept
  bool answered = false;      // a radio answered: blocks moved (or a final other than no connection)
  FleetClock::time_point startedAt{}, endedAt{};
  double Seconds() const {
    return std::chrono::duration<double>((finished ? endedAt : FleetClock::now()) - startedAt).count();
  }
};

// What the watcher does at the moments a single transfer's watcher acts: the radio's memory
// read before a write is kept before a block is written, a complete read is handed over.
class FleetWatcher {
 public:
  virtual ~FleetWatcher() = default;
  // BackupRead of `radio`: keep `backup`. False stops that radio alone; nothing is written
  // into it.
  virtual bool KeepBackup(std::size_t radio, const TransferShared::Image& backup) = 0;
  // `radio` ended with the final reaction `r` (after a complete read `session.image()` is its
  // memory). Not called for a radio stopped by Cancel or by KeepBackup.
  virtual void Finished(std::size_t radio, const TransferReaction& r,
                        const CTransferSession& session) = 0;
  // A port of the dealer's loop has a new radio on it (CFleetLoop only).
  virtual void Answered(std::size_t) {}
};

// N transfers at once, one worker per port. Nothing is shared between them but the read-only
// settings. A radio that fails does not stop the others.
class CFleet {
 public:
  CFleet(const LinkSettings& settings, const std::vector<std::string>& devices);
  ~CFleet();  // Cancel()
  CFleet(const CFleet&) = delete;
  CFleet& operator=(const CFleet&) = delete;

  std::size_t size() const { return m_members.size(); }
  // Opens every device and starts its transfer; a device that does not open ends that radio
  // at once with NoConnection (and its reason in openError).
  void Start(TransferDirection direction, const TransferShared::Image& image, TransferNets nets = {});
  // One tick over every running transfer, in order. True while any still runs.
  bool Poll(FleetWatcher& watcher);
  // Cancels every running transfer at once: each one's cancel is raised and its port closed
  // together, so no radio waits for another's worker to end. A write that did not complete
  // never gets its leave byte.
  void Cancel();
  bool Running() const;

  const FleetRadio& Radio(std::size_t i) const;
  const CTransferSession& Session(std::size_t i) const;

 private:
  struct Member;
  bool PollOne(std::size_t i, FleetWatcher& watcher);
  std::vector<std::unique_ptr<Member>> m_members;
};

// The dealer's loop on a set of ports: each port waits for a radio with the handshake's own
// hello attempts (the first exchange of an ordinary write), and when one answers the write
// goes on as a single write does, with its backup and verification. A port whose radio has
// been programmed (or failed) is occupied until that radio has gone, so a radio left on the
// cable is not programmed twice:
//  - once a second, a greeting round (ConnectRadio, cut off as soon as it has succeeded, as a
//    read cancelled right after the handshake is) asks whether a radio is still there;
//  - the radio has gone when a round stays unanswered (a device node that has disappeared
//    counts as such) after the radio had answered a round since its write, or when it stays
//    silent for kRestartGraceMs after the write (the time the verification gives a radio to
//    restart after the leave byte);
//  - only a radio that answers after that is a new one.
class CFleetLoop {
 public:
  enum class PortState {
    Waiting,    // greeting: the next radio to answer is programmed
    Writing,    // a radio answered: its write runs
    Occupied,   // programmed (or failed): waiting for that radio to go
  };
  static constexpr int kRoundPauseMs = 1000;
  static constexpr int kRestartGraceMs = kVerifyGreetingMs;

  CFleetLoop(const LinkSettings& settings, const std::vector<std::string>& devices,
             const TransferShared::Image& image, TransferNets nets);
  ~CFleetLoop();  // Cancel()
  CFleetLoop(const CFleetLoop&) = delete;
  CFleetLoop& operator=(const CFleetLoop&) = delete;

  std::size_t size() const { return m_ports.size(); }
  // Starts waiting on every port.
  void Start();
  // One tick over every port. A radio's final reaction goes to the watcher, as with CFleet,
  // and a port whose radio has gone waits for the next one.
  void Poll(FleetWatcher& watcher);
  // Stops every port at once; a write in progress is cancelled (no leave byte).
  void Cancel();

  PortState State(std::size_t i) const;
  // The radio now (or last) on port i.
  const FleetRadio& Radio(std::size_t i) const;
  int Programmed() const { return m_programmed; }
  int Failed() const { return m_failed; }

 private:
  struct Port;
  void StartWaiting(Port& port);
  std::vector<std::unique_ptr<Port>> m_ports;
  TransferShared::Image m_image;
  TransferNets m_nets;
  int m_programmed = 0;
  int m_failed = 0;
};

// Whether a final status is a radio that holds what was meant: a complete read, a write that
// went through (verified, not verified, or without verification).
bool FleetSucceeded(int status);

}  // namespace rondel
