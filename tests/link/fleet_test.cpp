// SPDX-License-Identifier: GPL-3.0-or-later
// Many radios at once: four and eight virtual radios written together with backup and
// verification, one of them silent and one hanging up mid-write; Cancel stopping all of them;
// and the dealer's loop programming radios that come and go on two ports, each exactly once.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>

#include "link/fleet.h"
#include "link/link_rig.h"
#include "support/temp_dir.h"

namespace rondel::test {
namespace {

using sim::FrameKind;
using Image = CTransferSession::Image;
using S = TransferStatus;
namespace fs = std::filesystem;

// What a watcher is asked, kept per radio.
struct TableWatcher final : FleetWatcher {
  std::map<std::size_t, std::vector<Image>> backups;
  std::map<std::size_t, std::vector<int>> finals;
  std::vector<std::size_t> answered;
  std::size_t refuseBackupOf = static_cast<std::size_t>(-1);
  bool KeepBackup(std::size_t radio, const Image& backup) override {
    backups[radio].push_back(backup);
    return radio != refuseBackupOf;
  }
  void Finished(std::size_t radio, const TransferReaction& r, const CTransferSession&) override {
    finals[radio].push_back(r.status);
  }
  void Answered(std::size_t port) override { answered.push_back(port); }
};

// Ticks the fleet as the command line does until no transfer runs.
void RunFleet(CFleet& fleet, FleetWatcher& watcher) {
  const auto start = Clock::now();
  while (fleet.Poll(watcher) && Clock::now() - start < 60s) std::this_thread::sleep_for(5ms);
  EXPECT_FALSE(fleet.Running());
}

bool Holds(const sim::Memory& memory, const Image& image) {
  return std::equal(image.begin(), image.begin() + layout::kTransferEnd, memory.begin());
}

struct Radios {
  std::vector<std::unique_ptr<sim::VirtualRadio>> radios;
  std::vector<std::string> devices;
  void Add(const Knobs& knobs, const sim::Memory& memory) {
    radios.push_back(std::make_unique<sim::VirtualRadio>(knobs));
    if (!radios.back()->Start()) ADD_FAILURE() << radios.back()->error();
    radios.back()->SetMemory(memory);
    devices.push_back(radios.back()->DevicePath());
  }
};

TEST(Fleet, WritesEveryGoodRadioWhileTheFailingOnesFailAlone) {
  constexpr std::size_t kSilent = 1, kHangsUp = 2;
  // The backup reads 126 blocks; the line drops 40 blocks into the write.
  const int hangUpAt = static_cast<int>(kTransferBlocks) + 40;
  for (const std::size_t n : {4u, 8u}) {
    SCOPED_TRACE(std::to_string(n) + " radios");
    TableSettings settings;
    settings.password = false;
    settings.com = 7;
    Radios rig;
    for (std::size_t i = 0; i < n; ++i) {
      Knobs k;
      k.silent = i == kSilent;
      if (i == kHangsUp) k.hangUpAfterBlock = hangUpAt;
      rig.Add(k, Pattern<sim::Memory>(static_cast<std::uint8_t>(0x30 + i)));
    }
    const Image image = Pattern(0x6A);
    CFleet fleet(settings, rig.devices);
    TableWatcher watcher;
    fleet.Start(TransferDirection::Write, image, {true, true});
    RunFleet(fleet, watcher);

    for (std::size_t i = 0; i < n; ++i) {
      SCOPED_TRACE("radio " + std::to_string(i));
      sim::VirtualRadio& radio = *rig.radios[i];
      radio.WaitQuiet(100ms, 2s);
      const Frames frames = radio.Frames();
      const FleetRadio& status = fleet.Radio(i);
      EXPECT_TRUE(status.finished);
      EXPECT_EQ(status.device, rig.devices[i]);
      ASSERT_EQ(watcher.finals[i].size(), 1u);
      if (i == kSilent) {
        EXPECT_EQ(watcher.finals[i][0], int(S::NoConnection));
        EXPECT_FALSE(status.answered);
        EXPECT_EQ(Count(frames, FrameKind::Hello), std::size_t(protocol::kHelloAttempts));
        EXPECT_TRUE(watcher.backups[i].empty());
      } else if (i == kHangsUp) {
        EXPECT_EQ(watcher.finals[i][0], int(S::WriteFailed));
        EXPECT_EQ(sim::CountDistinct(frames, FrameKind::WriteBlock), 40u);
        ASSERT_EQ(watcher.backups[i].size(), 1u);
      } else {
        EXPECT_EQ(watcher.finals[i][0], int(S::WriteVerified));
        EXPECT_TRUE(Holds(radio.GetMemory(), image)) << "the file, byte for byte";
        EXPECT_EQ(sim::CountDistinct(frames, FrameKind::WriteBlock), kTransferBlocks);
        EXPECT_EQ(Count(frames, FrameKind::Leave), 1u);
        // Its own backup: the memory it had, not a neighbour's.
        ASSERT_EQ(watcher.backups[i].size(), 1u);
        EXPECT_TRUE(Holds(Pattern<sim::Memory>(static_cast<std::uint8_t>(0x30 + i)), watcher.backups[i][0]));
      }
      if (i == kSilent || i == kHangsUp) {
        EXPECT_EQ(Count(frames, FrameKind::Leave), 0u) << "no leave byte to an unfinished radio";
        EXPECT_FALSE(Holds(radio.GetMemory(), image));
      }
    }
    EXPECT_TRUE(settings.saved.empty()) << "a fleet never writes \"com\"";
  }
}

// A device that does not open and a backup the watcher cannot keep each stop their own radio;
// the other one is written.
TEST(Fleet, ARadioWhoseDeviceOrBackupFailsStopsAloneBeforeAnythingIsWritten) {
  TableSettings settings;
  settings.password = false;
  Radios rig;
  rig.Add({}, Pattern<sim::Memory>(0x11));
  rig.Add({}, Pattern<sim::Memory>(0x12));
  std::vector<std::string> devices = rig.devices;
  devices.push_back(MissingPort(3));
  CFleet fleet(settings, devices);
  TableWatcher watcher;
  watcher.refuseBackupOf = 1;
  const Image image = Pattern(0x6A);
  fleet.Start(TransferDirection::Write, image, {true, false});
  RunFleet(fleet, watcher);
  rig.radios[0]->WaitQuiet(100ms, 2s);
  rig.radios[1]->WaitQuiet(100ms, 2s);

  EXPECT_TRUE(Holds(rig.radios[0]->GetMemory(), image));
  EXPECT_EQ(Count(rig.radios[1]->Frames(), FrameKind::WriteBlock), 0u);
  EXPECT_EQ(Count(rig.radios[1]->Frames(), FrameKind::Leave), 0u);
  EXPECT_TRUE(fleet.Radio(1).stopped);
  EXPECT_TRUE(watcher.finals[1].empty()) << "a radio stopped by its watcher has no final status";
  EXPECT_TRUE(fleet.Radio(2).openFailed);
  EXPECT_EQ(fleet.Radio(2).openError.device, MissingPort(3));
  EXPECT_EQ(fleet.Radio(2).last.status, int(S::NoConnection));
}

TEST(Fleet, ReadsEveryRadioIntoItsOwnImage) {
  TableSettings settings;
  settings.password = false;
  Radios rig;
  for (std::uint8_t i = 0; i < 4; ++i) rig.Add({}, Pattern<sim::Memory>(static_cast<std::uint8_t>(0x50 + i)));
  CFleet fleet(settings, rig.devices);
  struct : FleetWatcher {
    std::map<std::size_t, Image> images;
    bool KeepBackup(std::size_t, const Image&) override { return true; }
    void Finished(std::size_t i, const TransferReaction& r, const CTransferSession& s) override {
      if (r.handOverImage) images[i] = s.image();
    }
  } watcher;
  fleet.Start(TransferDirection::Read, Pattern(0x01));
  RunFleet(fleet, watcher);
  ASSERT_EQ(watcher.images.size(), 4u);
  for (std::size_t i = 0; i < 4; ++i) {
    EXPECT_TRUE(Holds(Pattern<sim::Memory>(static_cast<std::uint8_t>(0x50 + i)), watcher.images[i])) << i;
    EXPECT_EQ(Count(rig.radios[i]->Frames(), FrameKind::Leave), 0u) << "nothing follows a read";
  }
}

TEST(Fleet, CancelStopsEveryRadioAtOnceWithoutALeaveByte) {
  TableSettings settings;
  settings.password = false;
  Radios rig;
  for (std::uint8_t i = 0; i < 4; ++i) rig.Add({.pace = true}, Pattern<sim::Memory>(i));
  CFleet fleet(settings, rig.devices);
  TableWatcher watcher;
  fleet.Start(TransferDirection::Write, Pattern(0x6A), {false, true});
  const auto writing = [&] {
    for (const auto& r : rig.radios)
      if (Count(r->Frames(), FrameKind::WriteBlock) < 10) return false;
    return true;
  };
  for (const auto start = Clock::now(); !writing() && Clock::now() - start < 30s;
       std::this_thread::sleep_for(5ms))
    fleet.Poll(watcher);
  ASSERT_TRUE(writing());
  std::vector<std::size_t> atCancel;
  for (const auto& r : rig.radios) atCancel.push_back(Count(r->Frames(), FrameKind::WriteBlock));
  fleet.Cancel();
  EXPECT_FALSE(fleet.Running());
  for (std::size_t i = 0; i < rig.radios.size(); ++i) {
    rig.radios[i]->WaitQuiet(300ms, 3s);
    const Frames frames = rig.radios[i]->Frames();
    // A frame in flight at the cancel may still arrive; a write that goes on may not.
    EXPECT_LE(Count(frames, FrameKind::WriteBlock), atCancel[i] + 2) << i;
    EXPECT_EQ(Count(frames, FrameKind::Leave), 0u) << i;
    EXPECT_TRUE(fleet.Radio(i).stopped);
  }
  EXPECT_TRUE(watcher.finals.empty());
}

// ---- the dealer's loop ---------------------------------------------------------------------

// Ports with fixed names (symbolic links, as /dev/serial/by-id names are) behind which radios
// come and go.
struct Bench {
  TempDir dir;
  std::vector<std::unique_ptr<sim::VirtualRadio>> radios;
  std::string Port(int n) const { return dir.File("port" + std::to_string(n)); }
  sim::VirtualRadio& Plug(int port) {
    radios.push_back(std::make_unique<sim::VirtualRadio>(Knobs{}));
    sim::VirtualRadio& r = *radios.back();
    if (!r.Start()) ADD_FAILURE() << r.error();
    r.SetMemory(Pattern<sim::Memory>(static_cast<std::uint8_t>(radios.size())));
    fs::create_symlink(r.DevicePath(), Port(port));
    return r;
  }
  // The radio goes: its name first, so nothing opens the terminal it leaves behind.
  void Unplug(int port, sim::VirtualRadio& radio) {
    fs::remove(Port(port));
    radio.Stop();
  }
};

bool TickUntil(CFleetLoop& loop, FleetWatcher& watcher, const std::function<bool()>& done,
               std::chrono::milliseconds limit = 60s) {
  for (const auto end = Clock::now() + limit; !done(); std::this_thread::sleep_for(5ms)) {
    if (Clock::now() >= end) return false;
    loop.Poll(watcher);
  }
  return true;
}

TEST(FleetLoop, ProgramsRadiosAsTheyComeAndARadioLeftOnItsPortOnlyOnce) {
  Bench bench;
  TableSettings settings;
  settings.password = false;
  const Image image = Pattern(0x6A);
  CFleetLoop loop(settings, {bench.Port(1), bench.Port(2)}, image, {true, true});
  TableWatcher watcher;
  loop.Start();
  using P = CFleetLoop::PortState;
  // Nothing on either port yet: both wait, and nobody is counted.
  ASSERT_TRUE(TickUntil(loop, watcher, [&] { return loop.State(0) == P::Waiting && loop.State(1) == P::Waiting; }));

  sim::VirtualRadio& a = bench.Plug(1);
  ASSERT_TRUE(TickUntil(loop, watcher, [&] { return loop.Programmed() == 1 && loop.State(0) == P::Occupied; }));
  sim::VirtualRadio& b = bench.Plug(2);
  ASSERT_TRUE(TickUntil(loop, watcher, [&] { return loop.Programmed() == 2 && loop.State(1) == P::Occupied; }));

  // A stays on its cable: its port asks after it a round at a time, and does not write again.
  const auto occupiedAt = Clock::now();
  const std::size_t hellos = Count(a.Frames(), FrameKind::Hello);
  ASSERT_TRUE(TickUntil(loop, watcher, [&] { return Count(a.Frames(), FrameKind::Hello) >= hellos + 3; }));
  const double seconds = std::chrono::duration<double>(Clock::now() - occupiedAt).count();
  EXPECT_LE(double(Count(a.Frames(), FrameKind::Hello) - hellos), seconds / (CFleetLoop::kRoundPauseMs / 1000.0) + 1)
      << "one greeting round a second";
  EXPECT_EQ(loop.State(0), P::Occupied);
  EXPECT_EQ(Count(a.Frames(), FrameKind::WriteBlock), kTransferBlocks);
  EXPECT_EQ(loop.Programmed(), 2);

  // A goes and C takes its cable: C is new, and is written.
  bench.Unplug(1, a);
  ASSERT_TRUE(TickUntil(loop, watcher, [&] { return loop.State(0) == P::Waiting; }));
  sim::VirtualRadio& c = bench.Plug(1);
  ASSERT_TRUE(TickUntil(loop, watcher, [&] { return loop.Programmed() == 3 && loop.State(0) == P::Occupied; }));
  loop.Cancel();

  EXPECT_EQ(loop.Failed(), 0);
  EXPECT_EQ(watcher.answered, (std::vector<std::size_t>{0, 1, 0}));
  for (sim::VirtualRadio* r : {&a, &b, &c}) {
    EXPECT_EQ(Count(r->Frames(), FrameKind::WriteBlock), kTransferBlocks) << "written once";
    EXPECT_TRUE(Holds(r->GetMemory(), image));
  }
  EXPECT_EQ(watcher.finals[0], (std::vector<int>{int(S::WriteVerified), int(S::WriteVerified)}));
  EXPECT_EQ(watcher.finals[1], (std::vector<int>{int(S::WriteVerified)}));
  // The frames a waiting port sends a radio before it answers are the hellos of the write's
  // own handshake; an occupied port's rounds are handshakes cut off as soon as they succeed.
  for (const auto& f : b.Frames())
    EXPECT_TRUE(f.kind != FrameKind::Unknown && f.kind != FrameKind::LiveCalibration) << sim::DescribeFrame(f);
  EXPECT_TRUE(settings.saved.empty());
}

// A radio whose write failed is not tried again while it stays: its port is occupied as a
// programmed one's is, and the failure is counted once.
TEST(FleetLoop, AFailedRadioIsCountedOnceAndNotRetriedWhileItStays) {
  Bench bench;
  TableSettings settings;
  settings.password = false;
  CFleetLoop loop(settings, {bench.Port(1)}, Pattern(0x6A), {false, false});
  TableWatcher watcher;
  bench.radios.push_back(std::make_unique<sim::VirtualRadio>(
      Knobs{.faults = {{0x080, 1000, sim::FaultKind::Refuse}}}));
  sim::VirtualRadio& r = *bench.radios.back();
  ASSERT_TRUE(r.Start());
  fs::create_symlink(r.DevicePath(), bench.Port(1));
  loop.Start();
  ASSERT_TRUE(TickUntil(loop, watcher, [&] { return loop.Failed() == 1; }));
  const std::size_t written = Count(r.Frames(), FrameKind::WriteBlock);
  const std::size_t hellos = Count(r.Frames(), FrameKind::Hello);
  ASSERT_TRUE(TickUntil(loop, watcher, [&] { return Count(r.Frames(), FrameKind::Hello) >= hellos + 2; }));
  loop.Cancel();
  EXPECT_EQ(Count(r.Frames(), FrameKind::WriteBlock), written) << "not written again";
  EXPECT_EQ(Count(r.Frames(), FrameKind::Leave), 0u);
  EXPECT_EQ(loop.Programmed(), 0);
  EXPECT_EQ(loop.Failed(), 1);
  EXPECT_EQ(watcher.finals[0], (std::vector<int>{int(S::WriteFailed)}));
}

}  // namespace
}  // namespace rondel::test
