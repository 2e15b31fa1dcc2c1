// SPDX-License-Identifier: GPL-3.0-or-later
// The start of every radio exchange: find the radio on a COM port, put it into programming
// mode, and optionally fetch its read password.
#pragma once

#include <optional>

#include "core/digit_codec.h"
#include "link/link_settings.h"
#include "link/byte_link.h"

namespace rondel {

enum class HandshakeResult { Connected, NoConnection, WrongType, Cancelled };
enum class HandshakeFailure { NoConnection, WrongType, ReadFailure };

// How a caller follows the handshake: the transfer worker turns the search into its status
// and the failures into status numbers, the test mode shows message boxes.
class HandshakeReporter {
 public:
  virtual ~HandshakeReporter() = default;
  // The port search has opened `port` and is about to try it.
  virtual void SearchOpenedPort(int port);
  virtual void Failed(HandshakeFailure failure);
  // Asked before every attempt and every port: true ends the handshake with Cancelled, so a
  // cancelled worker neither sends more frames nor opens another port.
  virtual bool Cancelled() const;
  // The waits the protocol mandates; false when it was cut short by a cancel.
  virtual bool Pause(int ms);
};

// Opens [setup] "com" when the link is closed, sends the hello packet up to ten times per port
// (draining stale input before each), searches COM1..COM255 when "searchcom" allows (the
// ports named in the settings, and those whose device is a USB adapter), fetches the 8-byte
// identification and acknowledges it. A port found by the search is written to "com". On
// success the port is open and the radio in programming mode; after a failure the port may be
// open or closed, and the caller closes it. The link's OpenAttempts tell afterwards whether
// any port opened at all, and if none did, why.
HandshakeResult ConnectRadio(ByteLink& link, const LinkSettings& settings,
                             HandshakeReporter& reporter);

// Asks for the radio's read password (after a successful ConnectRadio); empty on a short
// reply, which is reported as ReadFailure.
std::optional<PasswordBytes> QueryPassword(ByteLink& link, HandshakeReporter& reporter);

}  // namespace rondel
