// SPDX-License-Identifier: GPL-3.0-or-later
// A virtual radio on a pseudo-terminal: the radio's protocol engine, fed by a thread that
// carries the bytes between the engine and the terminal. The end-to-end tests drive the tool
// against it; rondel-radiosim lets a user try the tool without a radio.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <termios.h>
#include <vector>

#include "tools/radiosim/radio_engine.h"

namespace rondel::sim {

class VirtualRadio {
 public:
  explicit VirtualRadio(RadioOptions options = {});
  ~VirtualRadio();
  VirtualRadio(const VirtualRadio&) = delete;
  VirtualRadio& operator=(const VirtualRadio&) = delete;

  // Creates the pseudo-terminal and starts answering. False (see error()) when it cannot.
  bool Start();
  void Stop();
  const std::string& DevicePath() const;
  const std::string& error() const;

  Memory GetMemory() const;
  void SetMemory(std::span<const std::uint8_t, layout::kRadioMemorySize> memory);
  // The radio's read password, as the password query returns it (memory 0x3B0..0x3B5).
  void SetPassword(const PasswordBytes& bytes);

  std::vector<ReceivedFrame> Frames() const;
  void ClearFrames();
  // Waits until `done` holds for the frames received so far, or `limit` passes.
  bool WaitForFrames(const std::function<bool(const std::vector<ReceivedFrame>&)>& done,
                     std::chrono::milliseconds limit) const;
  // Waits until nothing has arrived for `quiet` (at most `limit`).
  void WaitQuiet(std::chrono::milliseconds quiet, std::chrono::milliseconds limit) const;
  // Called on the radio's thread for each frame received (the program logs them).
  void SetFrameObserver(std::function<void(const ReceivedFrame&)> observer);

  bool HungUp() const;
  bool InProgrammingMode() const;
  std::size_t BytesReceived() const;
  std::size_t BytesSent() const;
  // The line settings the tool left on the terminal.
  bool LineSettings(termios& out) const;

  class Pump;

 private:
  RadioEngine m_engine;
  std::unique_ptr<Pump> m_pump;
};

// The first 1024 bytes of a data file's image; false when the file cannot be read or is not
// a data file.
bool LoadMemory(const std::string& path, Memory& memory);
// A data file whose image holds `memory` and 0xFF beyond it.
bool SaveMemory(const std::string& path, const Memory& memory);

}  // namespace rondel::sim
