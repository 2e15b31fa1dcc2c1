// SPDX-License-Identifier: GPL-3.0-or-later
// The test mode's exchanges: the handshake of every radio exchange, then the blocks.
#include "link/test_mode.h"

#include "link/radio_handshake.h"

namespace rondel {
namespace P = protocol;
namespace {

// The calibration block of debug mode, read once like the entry's blocks but not acknowledged:
// the live frame follows it at once.
constexpr BlockLoopPolicy kDebugReadPolicy{1, P::kReplyMs, false, false};

TestModeResult Connect(ByteLink& link, const LinkSettings& settings, bool askPassword) {
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

TestModeResult EnterTestMode(ByteLink& link, const LinkSettings& settings, RadioImage& image,
                             std::size_t* blocksStored, const BlockObserver& onBlock) {
  if (blocksStored) *blocksStored = 0;
  const TestModeResult connected = Connect(link, settings, true);
  if (connected != TestModeResult::Done) return connected;
  // No block is asked for twice: the first bad reply ends the entry.
  const BlockLoopResult read =
      ReadBlocks(link, {0, kTestModeBlocks}, kTestModeReadPolicy, image, {{}, onBlock});
  if (blocksStored) *blocksStored = read.handled;
  if (read.end != BlockLoopEnd::Done) {
    link.Close();
    return TestModeResult::ReadFailed;
  }
  return TestModeResult::Done;
}

TestModeResult StartDebugMode(ByteLink& link, const LinkSettings& settings, RadioImage& image) {
  const TestModeResult connected = Connect(link, settings, true);
  if (connected != TestModeResult::Done) return connected;
  if (ReadBlocks(link, {layout::kPowerCalibration, 1}, kDebugReadPolicy, image).end !=
      BlockLoopEnd::Done) {
    link.Close();
    return TestModeResult::ReadFailed;
  }
  SendLiveCalibration(link, image);
  return TestModeResult::Done;
}

TestModeResult WriteAllBlocks(ByteLink& link, const LinkSettings& settings,
                              const RadioImage& image, const BlockObserver& onBlock) {
  const TestModeResult connected = Connect(link, settings, false);
  if (connected != TestModeResult::Done) return connected;
  // A refused block ends the write with the radio still in programming mode and the port
  // open, so the user can try again at once.
  if (WriteBlocks(link, {0, kTestModeBlocks}, kTestModeWritePolicy, image, {{}, onBlock}).end !=
      BlockLoopEnd::Done)
    return TestModeResult::WriteFailed;
  link.Close();
  return TestModeResult::Done;
}

void LeaveDebugMode(ByteLink& link) { SendLeave(link); }

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

CTestModeSession::CTestModeSession(ByteLink& port, const LinkSettings& settings)
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
