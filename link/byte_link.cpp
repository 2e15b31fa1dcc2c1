// SPDX-License-Identifier: GPL-3.0-or-later
// What every byte link shares: the weight of an open failure, and a byte read as a read of one.
#include "link/byte_link.h"

#include <algorithm>
#include <cerrno>
#include <climits>

namespace rondel {
namespace {

// How much a failure tells the user: the cable is there but not theirs, or held, rather than
// absent.
int Weight(PortProblem p) {
  switch (p) {
    case PortProblem::Denied: return 5;
    case PortProblem::Busy: return 4;
    case PortProblem::NotAPort: return 3;
    case PortProblem::Other: return 2;
    case PortProblem::Missing: return 1;
    case PortProblem::None: break;
  }
  return 0;
}

}  // namespace

PortProblem ProblemOf(int error) {
  switch (error) {
    case 0: return PortProblem::None;
    case ENOENT: case ENODEV: case ENXIO: case ENOTDIR: return PortProblem::Missing;
    case EACCES: case EPERM: case EROFS: return PortProblem::Denied;
    case EBUSY: case EWOULDBLOCK: return PortProblem::Busy;
    case ENOTTY: case EISDIR: return PortProblem::NotAPort;
    default: return PortProblem::Other;
  }
}

void OpenRecord::NoteFailure(const PortOpenError& error) {
  if (Weight(ProblemOf(error.error)) > Weight(ProblemOf(failure.error))) failure = error;
}

int ByteLink::ReadByte(unsigned timeoutMs) {
  // One byte is a Read of one: the same single first attempt, the same waits.
  std::uint8_t byte = 0;
  const int timeout = static_cast<int>(std::min<unsigned>(timeoutMs, INT_MAX));
  return Read(&byte, 1, timeout) == 1 ? byte : -1;
}

}  // namespace rondel
