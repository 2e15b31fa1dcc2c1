// SPDX-License-Identifier: GPL-3.0-or-later
// The test mode's exchanges: the handshake of every radio exchange, then the blocks.
#include "link/test_mode.h"

#include <span>

#include "link/radio_handshake.h"

namespace rondel {
namespace P = protocol;
namespace {

TestModeResult Connect(CSerialLink& link, const LinkSettings& settings, bool askPassword) {
  HandshakeReporter quiet;  // the user-interface callers show nothing during a search
  TestModeResult result = TestModeResult::Done;
  switch (ConnectRadio(link, settings, quiet)) {
    case HandshakeResult::Connected:
      break;
    case HandshakeResult::WrongType:
      result = TestModeResult::WrongType;
      break;
    case HandshakeResult::NoConnection:
    case HandshakeResult::Cancelled:
      result = TestModeResult::NoConnection;
      break;
  }
  // The radio's read password is fetched as the radio expects it, and not looked at.
  if (result == TestModeResult::Done && askPassword && !QueryPassword(link, quiet))
    result = TestModeResult::ReadFailed;
  if (result != TestModeResult::Done) link.Close();
  return result;
}

// A whole reply that names the block asked for. Anything else (a short reply, or one shifted by
// a stray byte on the line) would put bytes of some other place into the image.
bool ReadBlockInto(CSerialLink& link, std::size_t address, RadioImage& image) {
  BlockReply reply{};
  const int got = RequestBlock(link, address, reply);
  if (!P::IsGoodReply(std::span(reply.data(), static_cast<std::size_t>(got)), address)) return false;
  StoreBlock(image, address, reply);
  return true;
}

}  // namespace

TestModeMessage MessageOf(TestModeResult result, bool writeAll) {
  switch (result) {
    case TestModeResult::Done:
      if (writeAll) return {"IDS_PROMPT_WRITESUCC", "IDS_PROMPT", false};
      return {};
    case TestModeResult::NoConnection:
      return {"IDS_ERROR_PORTCONN", "IDS_ERROR", true};
    case TestModeResult::WrongType:
      return {"IDS_ERROR_TYPE", "IDS_ERROR", true};
    case TestModeResult::ReadFailed:
      return {"IDS_PROMPT_READFAIL", "IDS_ERROR", true};
    case TestModeResult::WriteFailed:
      return {"IDS_PROMPT_WRITEFAIL", "IDS_PROMPT", false};
  }
  return {};
}

bool IsTestPassword(std::string_view entered, const LinkSettings& settings) {
  return entered == settings.TestPassword();
}

TestModeResult EnterTestMode(CSerialLink& link, const LinkSettings& settings, RadioImage& image,
                             std::size_t* blocksStored, const BlockObserver& onBlock) {
  if (blocksStored) *blocksStored = 0;
  const TestModeResult connected = Connect(link, settings, true);
  if (connected != TestModeResult::Done) return connected;
  for (std::size_t n = 0; n < kTestModeBlocks; ++n) {
    const std::size_t a = P::kBlockSize * n;
    // No block is asked for twice: the first bad reply ends the entry.
    if (!ReadBlockInto(link, a, image)) {
      link.Close();
      return TestModeResult::ReadFailed;
    }
    if (blocksStored) *blocksStored = n + 1;
    Acknowledge(link);
    if (onBlock) onBlock(n + 1);
  }
  return TestModeResult::Done;
}

TestModeResult StartDebugMode(CSerialLink& link, const LinkSettings& settings, RadioImage& image) {
  const TestModeResult connected = Connect(link, settings, true);
  if (connected != TestModeResult::Done) return connected;
  // This block is not acknowledged: the live frame follows it at once.
  if (!ReadBlockInto(link, layout::kPowerCalibration, image)) {
    link.Close();
    return TestModeResult::ReadFailed;
  }
  SendLiveCalibration(link, image);
  return TestModeResult::Done;
}

TestModeResult WriteAllBlocks(CSerialLink& link, const LinkSettings& settings,
                              const RadioImage& image, const BlockObserver& onBlock) {
  const TestModeResult connected = Connect(link, settings, false);
  if (connected != TestModeResult::Done) return connected;
  for (std::size_t n = 0; n < kTestModeBlocks; ++n) {
    // A refused block ends the write with the radio still in programming mode and the port
    // open, so the user can try again at once.
    if (!SendWriteBlock(link, image, P::kBlockSize * n, P::kTestWriteAckMs))
      return TestModeResult::WriteFailed;
    if (onBlock) onBlock(n + 1);
  }
  link.Close();
  return TestModeResult::Done;
}

void LeaveDebugMode(CSerialLink& link) { SendLeave(link); }

std::size_t BlocksOf(TestModeExchange exchange) {
  switch (exchange) {
    case TestModeExchange::Entry:
    case TestModeExchange::WriteAll:
    case TestModeExchange::LeaveThenWriteAll:
      return kTestModeBlocks;
    case TestModeExchange::StartDebug:
    case TestModeExchange::Live:
    case TestModeExchange::Leave:
      break;
  }
  return 0;
}

CTestModeSession::CTestModeSession(CSerialLink& port, const LinkSettings& settings)
    : m_port(port), m_settings(settings) {}

CTestModeSession::~CTestModeSession() { Wait(); }

bool CTestModeSession::Start(TestModeExchange exchange, const RadioImage& image,
                             std::function<void()> changed) {
  if (IsRunning()) return false;
  m_exchange = exchange;
  m_image = image;
  m_result = TestModeResult::Done;
  m_blocksStored = 0;
  m_blocksDone.store(0);
  m_finished.store(false);
  m_worker = std::thread([this, changed = std::move(changed)] { Run(changed); });
  return true;
}

void CTestModeSession::Run(const std::function<void()>& changed) {
  const BlockObserver onBlock = [this, &changed](std::size_t done) {
    m_blocksDone.store(done);
    if (changed) changed();
  };
  switch (m_exchange) {
    case TestModeExchange::Entry:
      m_result = EnterTestMode(m_port, m_settings, m_image, &m_blocksStored, onBlock);
      break;
    case TestModeExchange::StartDebug:
      m_result = StartDebugMode(m_port, m_settings, m_image);
      break;
    case TestModeExchange::Live:
      SendLiveCalibration(m_port, m_image);
      break;
    case TestModeExchange::LeaveThenWriteAll:
      LeaveDebugMode(m_port);
      m_result = WriteAllBlocks(m_port, m_settings, m_image, onBlock);
      break;
    case TestModeExchange::WriteAll:
      m_result = WriteAllBlocks(m_port, m_settings, m_image, onBlock);
      break;
    case TestModeExchange::Leave:
      LeaveDebugMode(m_port);
      break;
  }
  m_finished.store(true);
  if (changed) changed();
}

void CTestModeSession::Wait() {
  if (m_worker.joinable()) m_worker.join();
}

}  // namespace rondel
