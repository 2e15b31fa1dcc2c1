// SPDX-License-Identifier: GPL-3.0-or-later
// The one loop that moves a range of blocks, read or written, for every caller: the transfer's
// read, backup, verification and write, the test mode's entry read and write all. What differs
// between them is a policy: sends per block, the answer's time-out, what a garbled reply does.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "link/block_exchange.h"
#include "link/byte_link.h"
#include "link/radio_protocol.h"

namespace rondel {

// The blocks at first, first + 8, ... in ascending order.
struct BlockRange {
  std::size_t first = 0;
  std::size_t count = 0;
};

struct BlockLoopPolicy {
  int sendsPerBlock = 1;  // a block not answered well is sent again up to this many times in all
  unsigned answerMs = protocol::kReplyMs;  // for the read reply, or for the write block's 0x06
  // Read: after the last send, a whole reply that does not name its block passes the block
  // over (it keeps the image's bytes and gets no ACK) instead of ending the loop.
  bool passOverGarbled = false;
  // Read: each good reply is acknowledged (0x06 and the 50 ms for the byte after it).
  bool acknowledge = true;
};

struct BlockLoopHooks {
  // Asked before every send and after every block; true ends the loop with Cancelled.
  std::function<bool()> cancelled;
  // After each block read well (stored, acknowledged) or written: the number of blocks of the
  // range handled so far, passed-over ones included.
  std::function<void(std::size_t handled)> progress;
};

enum class BlockLoopEnd {
  Done,
  Short,      // read: the last reply did not arrive whole; write: no 0x06 after the last send
  Garbled,    // read: the last reply was whole but did not name its block
  Cancelled,
};

struct BlockLoopResult {
  BlockLoopEnd end = BlockLoopEnd::Done;
  std::size_t handled = 0;               // blocks done (read, passed over or written)
  std::vector<std::size_t> passedOver;   // read: by address
};

// Each good reply's data goes into `image` at its block.
BlockLoopResult ReadBlocks(ByteLink& link, BlockRange range, const BlockLoopPolicy& policy,
                           RadioImage& image, const BlockLoopHooks& hooks = {});
// The write blocks are built from `image`.
BlockLoopResult WriteBlocks(ByteLink& link, BlockRange range, const BlockLoopPolicy& policy,
                            const RadioImage& image, const BlockLoopHooks& hooks = {});

}  // namespace rondel
