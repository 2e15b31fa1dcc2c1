// SPDX-License-Identifier: GPL-3.0-or-later
// ReadBlocks and WriteBlocks, frame for frame and wait for wait.
#include "link/block_loop.h"

#include <span>

namespace rondel {
namespace P = protocol;
namespace {

bool Cancelled(const BlockLoopHooks& hooks) { return hooks.cancelled && hooks.cancelled(); }

}  // namespace

BlockLoopResult ReadBlocks(ByteLink& link, BlockRange range, const BlockLoopPolicy& policy,
                           RadioImage& image, const BlockLoopHooks& hooks) {
  BlockLoopResult result;
  for (std::size_t n = 0; n < range.count; ++n) {
    const std::size_t a = range.first + P::kBlockSize * n;
    BlockReply reply{};
    int got = 0;
    bool good = false;
    for (int send = 0; send < policy.sendsPerBlock && !good; ++send) {
      if (Cancelled(hooks)) return result.end = BlockLoopEnd::Cancelled, result;
      got = RequestBlock(link, a, reply, static_cast<int>(policy.answerMs));
      good = P::IsGoodReply(std::span(reply.data(), static_cast<std::size_t>(got)), a);
    }
    if (good) {
      StoreBlock(image, a, reply);
      if (policy.acknowledge) Acknowledge(link);
      result.handled = n + 1;
      if (hooks.progress) hooks.progress(n + 1);
    } else if (got < static_cast<int>(reply.size())) {
      return result.end = BlockLoopEnd::Short, result;
    } else if (policy.passOverGarbled) {
      result.passedOver.push_back(a);
      result.handled = n + 1;
    } else {
      return result.end = BlockLoopEnd::Garbled, result;
    }
    if (Cancelled(hooks)) return result.end = BlockLoopEnd::Cancelled, result;
  }
  return result;
}

BlockLoopResult WriteBlocks(ByteLink& link, BlockRange range, const BlockLoopPolicy& policy,
                            const RadioImage& image, const BlockLoopHooks& hooks) {
  BlockLoopResult result;
  for (std::size_t n = 0; n < range.count; ++n) {
    const std::size_t a = range.first + P::kBlockSize * n;
    bool accepted = false;
    for (int send = 0; send < policy.sendsPerBlock && !accepted; ++send) {
      if (Cancelled(hooks)) return result.end = BlockLoopEnd::Cancelled, result;
      accepted = SendWriteBlock(link, image, a, policy.answerMs);
    }
    if (!accepted) return result.end = BlockLoopEnd::Short, result;
    result.handled = n + 1;
    if (hooks.progress) hooks.progress(n + 1);
    if (Cancelled(hooks)) return result.end = BlockLoopEnd::Cancelled, result;
  }
  return result;
}

}  // namespace rondel
