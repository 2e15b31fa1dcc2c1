// SPDX-License-Identifier: GPL-3.0-or-later
// Several radios at once: the command line's side of CFleet and CFleetLoop.
#include "tools/cli/fleet_command.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fcntl.h>
#include <iostream>
#include <ostream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "core/data_file.h"
#include "core/digit_codec.h"
#include "core/rondel_doc.h"
#include "link/fleet.h"
#include "link/port_message.h"
#include "link/serial_devices.h"
#include "platform/atomic_file.h"
#include "shell/file_messages.h"
#include "shell/language.h"
#include "shell/document/radio_backups.h"
#include "shell/settings.h"
#include "tools/cli/cli_main.h"
#include "tools/cli/command.h"
#include "tools/cli/fleet_progress.h"
#include "tools/cli/interrupt_guard.h"
#include "tools/cli/progress_line.h"

namespace rondel::cli {
namespace {

using S = TransferStatus;

// One radio of the run, as the summary shows it.
struct Record {
  std::string port;    // "COM2", or "-" for a device named as such
  std::string device;
  std::string label;   // what its progress line begins with
  int exit = kExitOk;
  std::string result;
  std::string backup;  // the backup kept of it
  std::string file;    // read: the data file written
  std::vector<std::string> notes;  // said once, after the progress
  std::string prompt;  // the phase its progress shows
  bool done = false;
  double seconds = 0;
};

struct Target {
  std::string port;
  std::string device;
  std::string label;
  std::string stem;  // a read's file name before the time
};

std::string Lang(const char* key) { return GetLangString(key); }

// A name part from a device's last path element: letters, digits, ".", "-" and "_" only.
std::string NamePart(const std::string& device) {
  std::string base = device.substr(device.find_last_of('/') + 1);
  for (char& c : base)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '.' ||
          c == '-' || c == '_'))
      c = '_';
  return base.empty() ? "radio" : base;
}

// "2026-12-09T13-45-07", UTC.
std::string Stamp(std::chrono::system_clock::time_point when) {
  const std::time_t t = std::chrono::system_clock::to_time_t(when);
  std::tm tm{};
  ::gmtime_r(&t, &tm);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H-%M-%S", &tm);
  return text;
}

// Columns as wide as their widest cell; a Chinese character takes two places.
std::size_t Width(const std::string& text) {
  std::size_t width = 0;
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    const std::size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    width += len >= 3 ? 2 : 1;
    i += len;
  }
  return width;
}

void PrintTable(std::ostream& err, const std::vector<std::vector<std::string>>& rows) {
  std::vector<std::size_t> widths;
  for (const auto& row : rows)
    for (std::size_t c = 0; c < row.size(); ++c) {
      if (widths.size() <= c) widths.push_back(0);
      widths[c] = std::max(widths[c], Width(row[c]));
    }
  for (const auto& row : rows) {
    std::string line;
    for (std::size_t c = 0; c < row.size(); ++c) {
      line += row[c];
      if (c + 1 < row.size()) line.append(widths[c] - Width(row[c]) + 2, ' ');
    }
    while (!line.empty() && line.back() == ' ') line.pop_back();
    err << line << "\n";
  }
}

std::string Seconds(double s) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", s);
  return text;
}

// What the command line does at each moment a radio's transfer asks the watcher to act.
class CliWatcher final : public FleetWatcher {
 public:
  CliWatcher(const FleetRequest& request, const CRondelDoc& doc, const CSettings& settings,
             std::vector<Target> targets)
      : m_request(request), m_doc(doc), m_settings(settings), m_targets(std::move(targets)) {}

  // CFleet: one record per port, made now. CFleetLoop: one per radio, made as it answers.
  void RecordEveryPort() {
    for (std::size_t i = 0; i < m_targets.size(); ++i) Answered(i);
  }
  void Answered(std::size_t port) override {
    if (m_current.size() < m_targets.size()) m_current.resize(m_targets.size(), kNone);
    const Target& t = m_targets[port];
    Record r;
    r.port = t.port;
    r.device = t.device;
    r.label = t.label;
    m_current[port] = records.size();
    records.push_back(std::move(r));
  }
  bool Has(std::size_t port) const { return port < m_current.size() && m_current[port] != kNone; }
  Record& Of(std::size_t port) { return records.at(m_current.at(port)); }

  bool KeepBackup(std::size_t port, const TransferShared::Image& image) override {
    Record& r = Of(port);
    const BackupResult kept = StoreRadioImageBackup(m_doc, image, m_settings);
    if (kept.ok()) {
      r.backup = kept.path;
      return true;
    }
    // Nothing is written into a radio whose memory could not be kept.
    End(r, kExitCantCreate, "IDS_CLI_FLEET_BACKUPNOTKEPT");
    r.notes.push_back(Lang("IDS_BACKUP_WRITESTOP") + " " + BackupFolder() + ": " +
                      WriteErrorReason(kept.error));
    return false;
  }

  void Finished(std::size_t port, const TransferReaction& reaction,
                const CTransferSession& session) override {
    Record& r = Of(port);
    if (!m_request.reading && session.BackupSkipped()) r.notes.push_back(Lang("IDS_BACKUP_SKIPPED"));
    switch (static_cast<S>(reaction.status)) {
      case S::WriteVerified: return End(r, kExitOk, "IDS_CLI_FLEET_VERIFIED");
      case S::WriteComplete: return End(r, kExitOk, "IDS_CLI_FLEET_WRITTEN");
      case S::NotVerified: {
        std::string note = Lang("IDS_VERIFY_NOTVERIFIED");
        if (!session.NotVerifiedBlocks().empty()) note += " " + BlockAddressList(session.NotVerifiedBlocks());
        r.notes.push_back(note);
        return End(r, kExitOk, "IDS_CLI_FLEET_NOTVERIFIED");
      }
      case S::VerifyFailed:
        r.notes.push_back(Lang("IDS_VERIFY_DIFFERS") + " " + BlockAddressList(session.VerifyDifferences()));
        return End(r, kExitVerifyFailed, "IDS_CLI_FLEET_DIFFERS");
      case S::WriteFailed: return End(r, kExitWriteFailed, "IDS_CLI_FLEET_WRITEFAILED");
      case S::ReadFailed:
        return End(r, kExitReadFailed, reaction.phase == TransferPhase::Backup ? "IDS_CLI_FLEET_BACKUPFAILED"
                                                                              : "IDS_CLI_FLEET_READFAILED");
      case S::WrongType: return End(r, kExitWrongType, "IDS_CLI_FLEET_WRONGTYPE");
      case S::PasswordDiffers:
        r.notes.push_back(Lang("IDS_CLI_PASSWORD_HINT"));
        return End(r, kExitPasswordDiffers, "IDS_CLI_FLEET_PASSWORD");
      case S::ReadComplete: return HandOver(r, port, session);
      case S::NoConnection: break;
      default: return End(r, reaction.status, "IDS_CLI_FLEET_FAILED");
    }
    if (const auto notOpened = NoPortOpenedText(AttemptsOf(port), {}, PortAudience::CommandLine, GetLangString)) {
      r.notes.push_back(*notOpened);
      return End(r, kExitNoConnection, "IDS_CLI_FLEET_NOPORT");
    }
    End(r, kExitNoConnection, "IDS_CLI_FLEET_NORADIO");
  }

  // The open record of a port's link, given by the run before Finished is called.
  std::function<OpenRecord(std::size_t)> attempts;
  OpenRecord AttemptsOf(std::size_t port) const { return attempts ? attempts(port) : OpenRecord{true, {}}; }

  void OpenFailed(std::size_t port, const PortOpenError& error) {
    Record& r = Of(port);
    r.notes.push_back(PortOpenText(error, {}, PortAudience::CommandLine, GetLangString));
    End(r, kExitNoConnection, "IDS_CLI_FLEET_NOPORT");
  }
  void Stopped(std::size_t port) {
    if (!Has(port) || Of(port).done) return;
    End(Of(port), kExitInterrupted, "IDS_CLI_FLEET_CANCELLED");
  }

  std::vector<Record> records;

 private:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  void End(Record& r, int exit, const char* key) {
    r.exit = exit;
    r.result = Lang(key);
    r.done = true;
  }

  // A complete read: a backup of it, then its own file in the folder.
  void HandOver(Record& r, std::size_t port, const CTransferSession& session) {
    if (const auto& skipped = session.PassedOverBlocks(); !skipped.empty())
      r.notes.push_back(Lang("IDS_CLI_PASSEDOVER") + " " + BlockAddressList(skipped));
    CRondelDoc radio;
    radio.header() = m_doc.header();
    radio.image() = session.image();
    if (!m_request.noBackup) {
      const BackupResult backup = StoreRadioBackup(radio, m_settings);
      if (backup.ok()) {
        r.backup = backup.path;
      } else {
        r.notes.push_back(Lang("IDS_WARN_BACKUP_FAILED") + " " + BackupFolder() + ": " +
                          WriteErrorReason(backup.error));
      }
    }
    const std::string stem = m_targets[port].stem + "_" + Stamp(std::chrono::system_clock::now());
    std::string folder = *m_request.output;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    // "<stem>.dig", or "<stem>-2.dig", "-3", ... when that name is taken: never over a file.
    const auto name = [&](int n) { return stem + (n > 1 ? "-" + std::to_string(n) : "") + ".dig"; };
    if (const int error = StoreUnderFreeName(folder, SerializeDocument(radio), name, 9999, r.file);
        error != 0) {
      r.notes.push_back(Lang("IDS_CLI_NOOUTPUT") + " " + folder + "/" + stem + ".dig: " +
                        WriteErrorReason(error));
      return End(r, kExitCantCreate, "IDS_CLI_FLEET_NOTSAVED");
    }
    End(r, kExitOk, "IDS_CLI_FLEET_READ");
  }

  const FleetRequest& m_request;
  const CRondelDoc& m_doc;
  const CSettings& m_settings;
  std::vector<Target> m_targets;
  std::vector<std::size_t> m_current;
};

// Radio `i`'s line: its result once it has one, else its phase and share done.
void ShowRadio(FleetProgress& progress, std::size_t i, Record& r, const FleetRadio& radio,
               const std::string& firstPrompt) {
  if (r.done) {
    // The last tick of a phase that ended well may have been overtaken by the final status.
    if (r.exit == kExitOk && !r.prompt.empty()) progress.Percent(i, r.prompt, 100);
    r.prompt.clear();
    progress.Text(i, r.result);
    return;
  }
  if (radio.last.show == TransferShow::Progress && radio.last.key) {
    r.prompt = Lang(radio.last.key);
    progress.Percent(i, r.prompt, radio.last.percent);
    return;
  }
  if (r.prompt.empty()) r.prompt = firstPrompt;
  progress.Percent(i, r.prompt, 0);
}

void Summarize(std::ostream& err, const std::vector<Record>& records, bool reading) {
  for (const Record& r : records)
    for (const std::string& note : r.notes) err << "rondel-cli: " << r.label << ": " << note << "\n";
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> head = {Lang("IDS_CLI_FLEET_PORT"), Lang("IDS_CLI_FLEET_DEVICE"),
                                   Lang("IDS_CLI_FLEET_RESULT"), Lang("IDS_CLI_FLEET_SECONDS"),
                                   Lang("IDS_CLI_FLEET_BACKUP")};
  if (reading) head.push_back(Lang("IDS_CLI_FLEET_FILE"));
  rows.push_back(head);
  for (const Record& r : records) {
    std::vector<std::string> row = {r.port, r.device, r.result, Seconds(r.seconds),
                                    r.backup.empty() ? "-" : r.backup};
    if (reading) row.push_back(r.file.empty() ? "-" : r.file);
    rows.push_back(std::move(row));
  }
  PrintTable(err, rows);
}

// The radios the line names, each once. Returns an exit status.
int Targets(const FleetRequest& opt, const CSettings& settings, std::vector<Target>& targets,
            std::ostream& err) {
  const int kinds = (opt.ports.empty() ? 0 : 1) + (opt.devices.empty() ? 0 : 1) + (opt.all ? 1 : 0);
  if (kinds > 1) return Usage(err, "IDS_CLI_BADARG", opt.all ? "--all" : "--device");
  if (kinds == 0) return Usage(err, "IDS_CLI_MISSING", "--device PATH | --port N | --all");
  for (const std::string& p : opt.ports) {
    int n = 0;
    if (!ParsePort(p, n)) return Usage(err, "IDS_CLI_BADARG", "--port " + p);
    const std::string com = "COM" + std::to_string(n);
    targets.push_back({com, settings.PortDevice(n), com, com});
  }
  for (const std::string& d : opt.devices) targets.push_back({"-", d, d, NamePart(d)});
  if (opt.all) {
    for (const SerialDevice& d : ListSerialDevices())
      if (d.usb) targets.push_back({"-", d.path, d.path, NamePart(d.path)});
    if (targets.empty()) {
      err << "rondel-cli: " << Lang("IDS_CLI_FLEET_NONE") << "\n";
      return kExitNoConnection;
    }
  }
  // Two workers on one line would each take the other's answers.
  for (std::size_t i = 0; i < targets.size(); ++i)
    for (std::size_t j = 0; j < i; ++j) {
      const auto a = IdentityOf(targets[i].device), b = IdentityOf(targets[j].device);
      if (targets[i].device == targets[j].device || (a && a == b))
        return Usage(err, "IDS_CLI_FLEET_TWICE", targets[i].device);
    }
  return kExitOk;
}

int Worst(const std::vector<Record>& records) {
  std::vector<int> statuses;
  for (const Record& r : records) statuses.push_back(r.exit);
  return WorstExit(statuses);
}

}  // namespace

bool WantsFleet(const FleetRequest& r) {
  return r.all || r.each || r.ports.size() > 1 || r.devices.size() > 1;
}

int ExitSeverity(int status) {
  switch (status) {
    case kExitOk: return 0;
    case kExitInterrupted: return 9;
    case kExitVerifyFailed: return 8;
    case kExitWriteFailed: return 7;
    case kExitCantCreate: return 6;
    case kExitReadFailed: return 5;
    case kExitPasswordDiffers: return 4;
    case kExitWrongType: return 3;
    case kExitNoConnection: return 2;
    default: return 1;  // nothing a transfer ends with; worse than success all the same
  }
}

int WorstExit(const std::vector<int>& statuses) {
  int worst = kExitOk;
  for (const int s : statuses)
    if (ExitSeverity(s) > ExitSeverity(worst)) worst = s;
  return worst;
}

int CmdFleet(const FleetRequest& opt, const CSettings& settings, std::ostream& out,
             std::ostream& err) {
  (void)out;
  if (opt.reading) {
    if (opt.each) return Usage(err, "IDS_CLI_BADARG", "--each");
    if (!opt.output) return Usage(err, "IDS_CLI_MISSING", "read -o DIR");
    if (!opt.positional.empty()) return Usage(err, "IDS_CLI_BADARG", opt.positional[0]);
    struct stat st {};
    if (*opt.output == kStdStream || ::stat(opt.output->c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
      return Usage(err, "IDS_CLI_FLEET_FOLDER", *opt.output);
    // Found out before any radio is read, not after all of them.
    if (::access(opt.output->c_str(), W_OK | X_OK) != 0) return ReportStoreFailure(err, *opt.output, errno);
    if (opt.password && !IsPasswordText(*opt.password))
      return Usage(err, "IDS_CLI_BADARG", "--password " + *opt.password);
  } else {
    if (opt.positional.empty()) return Usage(err, "IDS_CLI_MISSING", "write FILE");
    if (opt.positional.size() > 1) return Usage(err, "IDS_CLI_BADARG", opt.positional[1]);
  }
  std::vector<Target> targets;
  if (const int status = Targets(opt, settings, targets, err); status != kExitOk) return status;

  CRondelDoc doc;
  if (const int status = StartingDocument(doc, opt.reading ? opt.from : opt.positional[0], settings,
                                          !opt.reading, err);
      status != kExitOk)
    return status;
  if (opt.password) doc.SetReadPasswordText(*opt.password);

  TransferNets nets;
  if (!opt.reading) {
    nets.backupFirst = settings.BackupBeforeWrite() && !opt.noBackup;
    nets.verifyAfter = settings.VerifyAfterWrite() && !opt.noVerify;
  }
  const std::string firstPrompt =
      Lang(opt.reading ? "IDS_PROMPT_READ" : nets.backupFirst ? "IDS_PROMPT_BACKUP" : "IDS_PROMPT_WRITE");
  std::vector<std::string> devices, labels;
  for (const Target& t : targets) {
    devices.push_back(t.device);
    labels.push_back(t.label);
  }

  InterruptGuard interrupts;
  CliWatcher watcher(opt, doc, settings, targets);
  FleetProgress progress(err, &err == &std::cerr && RewritesInPlace(STDERR_FILENO, std::getenv("TERM")),
                         labels);
  const auto tick = std::chrono::milliseconds(kTransferTickMs);
  bool cancelled = false;

  if (opt.each) {
    CFleetLoop loop(settings, devices, doc.image(), nets);
    watcher.attempts = [&loop](std::size_t i) { return loop.Radio(i).openAttempts; };
    loop.Start();
    for (;;) {
      if (Interrupted()) {
        loop.Cancel();
        for (std::size_t i = 0; i < loop.size(); ++i)
          if (loop.Radio(i).stopped && watcher.Has(i)) watcher.Stopped(i);
        break;
      }
      loop.Poll(watcher);
      for (std::size_t i = 0; i < loop.size(); ++i) {
        switch (loop.State(i)) {
          case CFleetLoop::PortState::Waiting:
            progress.Text(i, Lang("IDS_CLI_FLEET_WAITING"));
            break;
          case CFleetLoop::PortState::Writing:
            ShowRadio(progress, i, watcher.Of(i), loop.Radio(i), firstPrompt);
            break;
          case CFleetLoop::PortState::Occupied: {
            Record& r = watcher.Of(i);
            if (!r.done) watcher.Stopped(i);
            r.seconds = loop.Radio(i).Seconds();
            if (r.exit == kExitOk && !r.prompt.empty()) progress.Percent(i, r.prompt, 100);
            r.prompt.clear();
            progress.Text(i, FillIn(Lang("IDS_CLI_FLEET_OCCUPIED"), "%s", r.result));
            break;
          }
        }
      }
      progress.Footer(FillIn(FillIn(Lang("IDS_CLI_FLEET_COUNT"), "%d", std::to_string(loop.Programmed())),
                             "%d", std::to_string(loop.Failed())));
      progress.Render();
      std::this_thread::sleep_for(tick);
    }
    for (std::size_t i = 0; i < loop.size(); ++i)
      if (watcher.Has(i)) watcher.Of(i).seconds = loop.Radio(i).Seconds();
    progress.Footer(FillIn(FillIn(Lang("IDS_CLI_FLEET_COUNT"), "%d", std::to_string(loop.Programmed())),
                           "%d", std::to_string(loop.Failed())));
    progress.Finish();
  } else {
    CFleet fleet(settings, devices);
    watcher.RecordEveryPort();
    watcher.attempts = [&fleet](std::size_t i) { return fleet.Radio(i).openAttempts; };
    fleet.Start(opt.reading ? TransferDirection::Read : TransferDirection::Write, doc.image(), nets);
    for (std::size_t i = 0; i < fleet.size(); ++i)
      if (fleet.Radio(i).openFailed) watcher.OpenFailed(i, fleet.Radio(i).openError);
    for (;;) {
      if (Interrupted()) {
        fleet.Cancel();
        cancelled = true;
      }
      const bool running = !cancelled && fleet.Poll(watcher);
      for (std::size_t i = 0; i < fleet.size(); ++i) {
        Record& r = watcher.Of(i);
        if (fleet.Radio(i).stopped) watcher.Stopped(i);
        r.seconds = fleet.Radio(i).Seconds();
        ShowRadio(progress, i, r, fleet.Radio(i), firstPrompt);
      }
      progress.Render();
      if (!running) break;
      std::this_thread::sleep_for(tick);
    }
    progress.Finish();
    if (cancelled) err << "rondel-cli: " << Lang("IDS_CLI_CANCELLED") << "\n";
  }
  Summarize(err, watcher.records, opt.reading);
  return Worst(watcher.records);
}

int RunReadOrWrite(bool reading, const Invocation& call) {
  const ParsedLine& line = call.line;
  FleetRequest fleet;
  fleet.reading = reading;
  fleet.positional = line.operands;
  fleet.ports = line.Values("port");
  fleet.devices = line.Values("device");
  fleet.all = line.Has("all");
  fleet.each = line.Has("each");
  fleet.noBackup = line.Has("no-backup");
  fleet.noVerify = line.Has("no-verify");
  fleet.output = line.Value("output");
  fleet.from = line.Value("from");
  fleet.password = line.Value("password");
  if (WantsFleet(fleet)) return CmdFleet(fleet, call.settings, call.out, call.err);
  TransferRequest request;
  request.command = reading ? "read" : "write";
  request.positional = fleet.positional;
  request.output = fleet.output;
  request.from = fleet.from;
  request.password = fleet.password;
  request.port = line.Value("port");
  request.device = line.Value("device");
  request.noVerify = fleet.noVerify;
  request.noBackup = fleet.noBackup;
  return CmdTransfer(request, call.settings, call.out, call.err);
}

}  // namespace rondel::cli
