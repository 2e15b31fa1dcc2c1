// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the radio into an image and writing an image into the radio: the worker that moves
// the blocks, the status block it shares with whoever watches it, what a 20 ms tick does with
// each status, and the session that owns the worker, its image buffer and its end.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/digit_codec.h"
#include "core/image_layout.h"
#include "link/link_settings.h"
#include "link/radio_protocol.h"
#include "link/block_loop.h"
#include "link/byte_link.h"

namespace rondel {

// The numbers are those the program has always used (3 and 10 are not).
enum class TransferStatus : int {
  Started = 0,
  NoConnection = 1,
  WrongType = 2,
  BlockRead = 4,
  ReadFailed = 5,
  ReadComplete = 6,
  WriteFailed = 7,
  BlockWritten = 8,
  WriteComplete = 9,
  SearchingPort = 11,
  PasswordDiffers = 12,
  // A write with its safety nets: the radio's memory read into the backup buffer (the watcher
  // stores it, then lets the worker go on), the written blocks read back and found different,
  // not read back at all, or read back the same.
  BackupRead = 13,
  VerifyFailed = 14,
  NotVerified = 15,
  WriteVerified = 16,
};

// Which exchange of a write runs: the backup read before it, the write itself, or the read
// that verifies it. A read has only the main phase.
enum class TransferPhase : int { Main = 0, Backup = 1, Verify = 2 };

// A read that passed over more blocks than it read holds more of the starting image than of
// the radio: it is a failed read, not a complete one.
inline constexpr std::size_t kMaxPassedOverBlocks = 63;
// How long the verification tries to greet the radio again after the leave byte, while the
// radio restarts.
inline constexpr int kVerifyGreetingMs = 8000;
inline constexpr int kVerifyGreetingPauseMs = 250;

enum class TransferDirection { Write = 0, Read = 1 };

inline constexpr std::size_t kTransferBlocks = layout::kTransferEnd / protocol::kBlockSize;  // 126
// A transfer sends each block up to three times. A read passes over a block answered garbled
// three times and ends at one whose reply did not arrive whole; a write ends at a block not
// acknowledged within 100 ms three times.
inline constexpr BlockLoopPolicy kTransferReadPolicy{protocol::kSendsPerBlock, protocol::kReplyMs,
                                                     true, true};
inline constexpr BlockLoopPolicy kTransferWritePolicy{protocol::kSendsPerBlock,
                                                      protocol::kWriteAckMs, false, false};
inline constexpr int kProgressBarRange = 1024;
// How often whoever watches a transfer ticks: the progress dialog's timer, rondel-cli's loop.
inline constexpr int kTransferTickMs = 20;

// The only channel between the watcher and the worker. The worker writes status, progress and
// foundPort, the watcher writes cancel; the rest is set before the worker starts. Every field
// the two threads share is atomic: the worker stores progress (and foundPort) before the
// status they belong to, so a tick that sees a status sees its number with it.
struct TransferShared {
  using Image = std::array<std::uint8_t, layout::kImageSize>;

  ByteLink* port = nullptr;
  const LinkSettings* settings = nullptr;
  int reading = 1;
  Image* image = nullptr;
  int backupFirst = 0;   // write: the radio's memory into `backup` before anything is written
  int verifyAfter = 0;   // write: read the written blocks back and compare them
  Image* backup = nullptr;

  std::atomic<int> status{0};
  std::atomic<int> progress{0};  // percent with 4 and 8; the port just opened with 11
  std::atomic<int> cancel{0};
  std::atomic<int> foundPort{-1};  // port opened by the search; -1 when none or once saved
  std::atomic<int> phase{0};       // TransferPhase, stored before the status it belongs to
  std::atomic<int> goOn{0};        // the watcher has stored the backup
  // Addresses of the blocks a read passed over; the worker's alone until it has been joined.
  std::vector<std::size_t> passedOver;
  // The radio's read password when it differed from the image's; the worker's alone until it
  // has been joined.
  PasswordBytes radioPassword{};
  // The worker's alone until it has been joined: the backup read was left out because the
  // radio's read password is not the image's (a protected radio is not read without it); the
  // blocks the verification found different, and those it could not read back.
  bool backupSkipped = false;
  std::vector<std::size_t> verifyDiffers;
  std::vector<std::size_t> notVerified;

  // Sets cancel and cuts short any mandated wait of the worker.
  void RequestCancel();
  bool Cancelled() const { return cancel.load() != 0; }
  // Waits `ms` unless cancelled; false when cancelled.
  bool PauseUnlessCancelled(int ms);
  // After BackupRead: the watcher lets the worker go on; the worker waits for it (false when
  // cancelled instead).
  void ContinueAfterBackup();
  bool WaitToContinue();

 private:
  std::mutex m_pauseMutex;
  std::condition_variable m_pauseCv;
};

// The worker's whole run: handshake, password check (reading), the 126 blocks, final status.
// After a cancel it ends without setting another status.
void TransferWorker(TransferShared& shared);

// What one tick does with the status block, so a dialog or the command line only renders it.
enum class TransferShow {
  Nothing,
  Progress,  // key = the direction's prompt, followed by " <percent>%"; bar at barPosition
  Search,    // key followed by `dots` dots
  Text,      // key as the status text
  Message,   // key in a message box with the caption "IDS_ERROR" and an error icon
};
enum class TransferNext {
  Continue,  // keep ticking
  End,       // end the dialog
  Idle,      // stay open with OK enabled: a new OK starts over
};

struct TransferReaction {
  int status = 0;      // the status reacted to
  bool final = false;  // the timer stops
  bool sendLeaveByte = false;
  bool closePort = false;
  bool handOverImage = false;  // copy the image into the document, then refresh
  TransferShow show = TransferShow::Nothing;
  const char* key = nullptr;
  int percent = 0;
  int barPosition = 0;
  int dots = 0;
  int portPane = 0;  // > 0: the status bar shows "COM<portPane>"
  TransferNext next = TransferNext::Continue;
  TransferPhase phase = TransferPhase::Main;
  bool storeBackup = false;  // BackupRead: store the session's BackupImage, then ContinueAfterBackup
  bool warning = false;      // a Message that warns rather than reports a failure
  // A transfer that ended well: the line the progress dialog ends on ("Read complete.").
  const char* done = nullptr;
};

TransferReaction ReactToStatus(int status, int progress, int foundPort, bool reading,
                               TransferPhase phase = TransferPhase::Main);

// Block addresses as the messages name them: "0x088 0x090".
std::string BlockAddressList(const std::vector<std::size_t>& addresses);

// The status text of a reaction, with `lang` turning a key into its text; empty for Nothing.
std::string ReactionText(const TransferReaction& reaction,
                         const std::function<std::string(std::string_view)>& lang);

// What a write does besides writing: read the radio into a backup first, read the written
// blocks back after.
struct TransferNets {
  bool backupFirst = false;
  bool verifyAfter = false;
};

// One transfer at a time on the application's port. Owns the image buffer and the worker
// thread, so both outlive every use the worker makes of them: the worker is joined before a
// new start, at a final status, on Cancel and in the destructor.
class CTransferSession {
 public:
  using Image = TransferShared::Image;

  CTransferSession(ByteLink& port, const LinkSettings& settings);
  ~CTransferSession();  // Cancel()
  CTransferSession(const CTransferSession&) = delete;
  CTransferSession& operator=(const CTransferSession&) = delete;

  using WriteNets = TransferNets;
  // OK: copies `image` into the buffer and starts the worker. False while one runs.
  bool Start(TransferDirection direction, const Image& image, WriteNets nets = {});
  // A tick: reads the status block and reacts. At a final status the worker is joined and the
  // port side of the reaction is done here (leave byte, close); the caller renders the rest.
  TransferReaction Poll();
  // Sets cancel, closes the port (which wakes the worker at once) and joins the worker. No
  // status follows, and a cancelled write never gets its leave byte.
  void Cancel();

  bool IsRunning() const { return m_worker.joinable(); }
  TransferDirection direction() const { return m_direction; }
  // The buffer: the radio's memory after a complete read. Not to be used while running.
  const Image& image() const { return m_image; }
  // The blocks of the last read that three garbled replies made it pass over (they keep the
  // starting image's bytes), by address. Not to be used while running.
  const std::vector<std::size_t>& PassedOverBlocks() const { return m_shared.passedOver; }
  // The read password the radio gave when the last read ended with PasswordDiffers. Not to be
  // used while running.
  const PasswordBytes& RadioPassword() const { return m_shared.radioPassword; }
  // The radio's memory as the backup read found it; valid from BackupRead on.
  const Image& BackupImage() const { return m_backup; }
  void ContinueAfterBackup() { m_shared.ContinueAfterBackup(); }
  // After a write's final status: whether the backup read was left out, the blocks the
  // verification found different, and those it could not read back, by address.
  bool BackupSkipped() const { return m_shared.backupSkipped; }
  const std::vector<std::size_t>& VerifyDifferences() const { return m_shared.verifyDiffers; }
  const std::vector<std::size_t>& NotVerifiedBlocks() const { return m_shared.notVerified; }

 private:
  ByteLink& m_port;
  const LinkSettings& m_settings;
  TransferDirection m_direction = TransferDirection::Read;
  Image m_image{};
  Image m_backup{};
  TransferShared m_shared;
  std::thread m_worker;
};

}  // namespace rondel
