// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cli/cli_main.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstdio>
#include <iostream>
#include <optional>
#include <ostream>
#include <thread>
#include <unistd.h>

#include "core/data_file.h"
#include "core/digit_codec.h"
#include "link/port_message.h"
#include "link/radio_protocol.h"
#include "link/serial_link.h"
#include "link/transfer.h"
#include "platform/exe_path.h"
#include "shell/app_paths.h"
#include "shell/file_messages.h"
#include "shell/language.h"
#include "shell/document/radio_backups.h"
#include "shell/settings.h"
#include "shell/settings_location.h"
#include "tools/cli/command.h"
#include "tools/cli/interrupt_guard.h"
#include "tools/cli/progress_line.h"

namespace rondel::cli {
namespace {

// Names what is wrong and where the whole usage is, instead of burying the one line that
// matters under all of it.
int ReportUsage(std::ostream& err, const UsageError& e) {
  err << "rondel-cli: " << GetLangString(e.key) << " " << e.what << "\n"
      << GetLangString("IDS_CLI_TRYHELP") << "\n";
  return kExitUsage;
}
}  // namespace

int Usage(std::ostream& err, const char* key, const std::string& what) {
  return ReportUsage(err, UsageError{key, what});
}

// "<text> <path>: <reason>": the language file's texts end before the blank that joins them.
void FileError(std::ostream& err, const char* key, const std::string& path,
               const std::string& reason) {
  err << "rondel-cli: " << GetLangString(key) << " " << path;
  if (!reason.empty()) err << ": " << reason;
  err << "\n";
}

int ReportStoreFailure(std::ostream& err, const std::string& path, int error) {
  FileError(err, "IDS_CLI_NOOUTPUT", path, WriteErrorReason(error));
  return kExitCantCreate;
}

// The document a command starts from: `file` loaded as the desktop program opens it (into a
// new document of model 0), or that new document itself. `whole`: only a complete data file
// will do (it goes into a radio). Returns an exit status.
int StartingDocument(CRondelDoc& doc, const std::optional<std::string>& file,
                     const CSettings& settings, bool whole, std::ostream& err,
                     std::optional<FileIdentity>* opened) {
  doc.Blank();
  doc.SelectModel(0, settings);
  if (!file) return kExitOk;
  LoadDetails details;
  const LoadResult loaded = *file == kStdStream
                                ? LoadDataStream(doc, STDIN_FILENO, settings, &details)
                                : LoadDataFile(doc, *file, settings, &details);
  if (opened) *opened = details.identity;
  switch (loaded) {
    case LoadResult::CannotOpen:
      FileError(err, "IDS_CLI_NOINPUT", *file, ReadErrorReason(details.error, g_strLangPath));
      return kExitNoInput;
    case LoadResult::HeaderRejected:
      err << "rondel-cli: " << *file << ": " << GetLangString("IDS_WARN_LOAD") << "\n";
      return kExitRejected;
    case LoadResult::Incomplete:
      if (whole) {
        // A radio programmed from a cut-off file gets 0xFF for everything missing, model
        // identification and band code included.
        err << "rondel-cli: " << *file << ": "
            << FillIn(GetLangString("IDS_CLI_INCOMPLETE"), "%d", std::to_string(details.length))
            << "\n";
        return kExitRejected;
      }
      err << "rondel-cli: " << *file << ": " << IncompleteFileText(details.length) << "\n";
      break;
    case LoadResult::Loaded:
      break;
  }
  return kExitOk;
}

int BeginRewrite(const std::string& file, const std::string& out, Rewrite& rewrite,
                 std::ostream& err) {
  if (file == kStdStream || out == kStdStream) return kExitOk;
  const std::optional<FileIdentity> fileIdentity = IdentityOf(file);
  rewrite.overFile = out == file || (fileIdentity && IdentityOf(out) == fileIdentity);
  if (!rewrite.overFile) return kExitOk;
  if (LockForUpdate(file, kLockWait, rewrite.lock) != LockOutcome::Busy) return kExitOk;
  err << "rondel-cli: "
      << FillIn(GetLangString("IDS_CLI_LOCKED"), "%d",
                std::to_string(std::chrono::seconds(kLockWait).count()))
      << " " << file << "\n";
  return kExitLocked;
}

int SaveDocument(CRondelDoc& doc, const std::string& path, const CSettings& settings,
                 std::ostream& out, std::ostream& err, std::optional<FileIdentity> over) {
  if (path != kStdStream) {
    if (int error = 0; !StoreDataFile(doc, path, settings, &error, over))
      return ReportStoreFailure(err, path, error);
    return kExitOk;
  }
  const std::vector<std::uint8_t> bytes = SerializeDocument(doc);
  return WriteStandardOutput(std::string(bytes.begin(), bytes.end()), out, err);
}

int WriteStandardOutput(const std::string& text, std::ostream& out, std::ostream& err) {
  out << text;
  out.flush();
  if (!out) {
    FileError(err, "IDS_CLI_NOOUTPUT", kStdStream, {});
    return kExitCantCreate;
  }
  return kExitOk;
}

int RefuseStandardInput(std::ostream& err, const char* key, const std::string& what) {
  err << "rondel-cli: " << GetLangString(key) << " " << what << "\n";
  return kExitUsage;
}

bool ParsePort(const std::string& text, int& port) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
  return ec == std::errc() && end == text.data() + text.size() && port >= kFirstComPort &&
         port <= kLastComPort;
}

namespace {

// ---- read and write ----------------------------------------------------------------------

// A failed transfer exits with its status number.
static_assert(kExitNoConnection == static_cast<int>(TransferStatus::NoConnection));
static_assert(kExitWrongType == static_cast<int>(TransferStatus::WrongType));
static_assert(kExitReadFailed == static_cast<int>(TransferStatus::ReadFailed));
static_assert(kExitWriteFailed == static_cast<int>(TransferStatus::WriteFailed));
static_assert(kExitPasswordDiffers == static_cast<int>(TransferStatus::PasswordDiffers));

// A read password the radio can hold: up to six of 0-9, A-Z, a-z (none at all: no password).
bool ValidPassword(const std::string& text) { return IsPasswordText(text); }

// The radio's memory, read before a write, kept as a backup; an exit status. Nothing is
// written into the radio when it could not be kept.
int StoreWriteBackup(const TransferShared::Image& image, const CRondelDoc& doc,
                     const CSettings& settings, std::ostream& err) {
  const BackupResult kept = StoreRadioImageBackup(doc, image, settings);
  if (kept.ok()) return kExitOk;
  FileError(err, "IDS_BACKUP_WRITESTOP", BackupFolder(), WriteErrorReason(kept.error));
  return kExitCantCreate;
}

}  // namespace

// Ticks as the desktop program's transfer dialog does.
int CmdTransfer(const TransferRequest& opt, const CSettings& settings, std::ostream& out,
                std::ostream& err) {
  const bool reading = opt.command == "read";
  if (reading) {
    if (!opt.output) return Usage(err, "IDS_CLI_MISSING", "read -o OUT");
    if (!opt.positional.empty()) return Usage(err, "IDS_CLI_BADARG", opt.positional[0]);
  } else {
    if (opt.positional.empty()) return Usage(err, "IDS_CLI_MISSING", "write FILE");
    if (opt.positional.size() > 1) return Usage(err, "IDS_CLI_BADARG", opt.positional[1]);
  }
  if (opt.port && opt.device) return Usage(err, "IDS_CLI_BADARG", "--device");
  int port = 0;
  if (opt.port && !ParsePort(*opt.port, port)) return Usage(err, "IDS_CLI_BADARG", "--port " + *opt.port);
  if (opt.password && !ValidPassword(*opt.password))
    return Usage(err, "IDS_CLI_BADARG", "--password " + *opt.password);

  // Found out before the radio is read, not after a whole transfer.
  if (reading && *opt.output != kStdStream) {
    if (const int error = CheckReplaceable(*opt.output); error != 0)
      return ReportStoreFailure(err, *opt.output, error);
  }

  CRondelDoc doc;
  if (const int status =
          StartingDocument(doc, reading ? opt.from : opt.positional[0], settings, !reading, err);
      status != kExitOk)
    return status;
  // The password the radio's is compared with; the radio's own block replaces it in the file.
  if (opt.password) doc.SetReadPasswordText(*opt.password);

  CSerialLink link([&settings](int n) { return settings.PortDevice(n); });
  PortTried tried;
  if (opt.device) {
    tried.device = *opt.device;
  } else if (opt.port) {
    tried.com = port;
    tried.device = settings.PortDevice(port);
  }
  if ((opt.port && !link.Open(port, protocol::kBaud)) ||
      (opt.device && !link.OpenDevice(*opt.device, protocol::kBaud))) {
    err << "rondel-cli: " << PortOpenText(link.LastOpenError(), {}, PortAudience::CommandLine, GetLangString) << "\n";
    return kExitNoConnection;
  }
  tried = PortToBeTried(link.IsOpen(), link.Device(), settings);

  InterruptGuard interrupts;
  CTransferSession session(link, settings);
  TransferNets nets;
  if (!reading) {
    nets.backupFirst = settings.BackupBeforeWrite() && !opt.noBackup;
    nets.verifyAfter = settings.VerifyAfterWrite() && !opt.noVerify;
  }
  session.Start(reading ? TransferDirection::Read : TransferDirection::Write, doc.image(), nets);
  std::string prompt = GetLangString(reading ? "IDS_PROMPT_READ" : nets.backupFirst ? "IDS_PROMPT_BACKUP" : "IDS_PROMPT_WRITE");
  ProgressLine progress(err, &err == &std::cerr && RewritesInPlace(STDERR_FILENO, std::getenv("TERM")));
  progress.Show(prompt, 0);
  TransferReaction r;
  for (;;) {
    if (Interrupted()) {
      session.Cancel();
      progress.Finish();
      err << "rondel-cli: " << GetLangString("IDS_CLI_CANCELLED") << "\n";
      return kExitInterrupted;
    }
    r = session.Poll();
    if (r.final) break;
    if (r.storeBackup) {
      // No block is written before the radio's memory is on disk.
      progress.Complete(prompt);
      if (const int status = StoreWriteBackup(session.BackupImage(), doc, settings, err); status != kExitOk) {
        session.Cancel();
        return status;
      }
      session.ContinueAfterBackup();
      prompt = GetLangString("IDS_PROMPT_WRITE");
      progress.Begin(prompt);
      continue;
    }
    // A final status is reported once, below, not also as the progress line.
    if (r.show == TransferShow::Progress) {
      // Each phase of a write has its own line.
      if (const std::string phasePrompt = GetLangString(r.key); phasePrompt != prompt) {
        // A backup read that was left out has no blocks to show.
        if (r.phase != TransferPhase::Main || !session.BackupSkipped()) progress.Complete(prompt);
        prompt = phasePrompt;
        progress.Begin(prompt);
      }
      progress.Percent(prompt, r.percent);
    } else {
      progress.Show(ReactionText(r, GetLangString), r.portPane);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kTransferTickMs));
  }

  // Said once the progress line has ended.
  const auto tellSkipped = [&] {
    if (!reading && session.BackupSkipped())
      err << "rondel-cli: " << GetLangString("IDS_BACKUP_SKIPPED") << "\n";
  };
  if (r.status == static_cast<int>(TransferStatus::NotVerified)) {
    // Written all the same: a warning, and the exit status of a write that went through.
    progress.Complete(prompt);
    tellSkipped();
    err << "rondel-cli: " << GetLangString("IDS_VERIFY_NOTVERIFIED");
    if (const auto& blocks = session.NotVerifiedBlocks(); !blocks.empty())
      err << " " << BlockAddressList(blocks);
    err << "\n";
    return kExitOk;
  }
  if (r.status == static_cast<int>(TransferStatus::VerifyFailed)) {
    progress.Finish();
    tellSkipped();
    err << "rondel-cli: " << GetLangString("IDS_ERROR") << ": " << GetLangString(r.key) << " "
        << BlockAddressList(session.VerifyDifferences()) << "\n";
    return kExitVerifyFailed;
  }
  if (r.status == static_cast<int>(TransferStatus::WriteVerified)) {
    progress.Complete(prompt);
    tellSkipped();
    return kExitOk;
  }
  if (r.show == TransferShow::Text || r.show == TransferShow::Message) {
    progress.Finish();
    tellSkipped();
    // No port opened at all: why not, instead of a radio that was never asked.
    const auto notOpened = r.status == static_cast<int>(TransferStatus::NoConnection)
                               ? NoPortOpenedText(link.OpenAttempts(), {}, PortAudience::CommandLine, GetLangString)
                               : std::nullopt;
    err << "rondel-cli: " << GetLangString("IDS_ERROR") << ": " << notOpened.value_or(GetLangString(r.key)) << "\n";
    if (r.status == static_cast<int>(TransferStatus::NoConnection) && !notOpened)
      err << PortTriedText(tried, GetLangString) << "\n";
    if (r.status == static_cast<int>(TransferStatus::PasswordDiffers))
      err << GetLangString("IDS_CLI_PASSWORD_HINT") << "\n";
    return r.status;
  }
  if (r.handOverImage) {
    progress.Complete(prompt);
    if (const auto& skipped = session.PassedOverBlocks(); !skipped.empty()) {
      err << "rondel-cli: " << GetLangString("IDS_CLI_PASSEDOVER");
      err << " " << BlockAddressList(skipped);
      err << "\n";
    }
    // Only a complete read reaches the file; blocks passed over keep the starting bytes.
    doc.image() = session.image();
    // Kept before OUT is written, so the radio's memory survives also an OUT that fails; a
    // backup that fails is said and the read goes on.
    if (!opt.noBackup) {
      if (const BackupResult backup = StoreRadioBackup(doc, settings); !backup.ok())
        FileError(err, "IDS_WARN_BACKUP_FAILED", BackupFolder(), WriteErrorReason(backup.error));
    }
    return SaveDocument(doc, *opt.output, settings, out, err);
  }
  if (r.sendLeaveByte) {
    progress.Complete(prompt);
    tellSkipped();
    return kExitOk;
  }
  progress.Finish();
  return r.status;
}

namespace {

// The settings file of the run: --ini, else the one the desktop program would use. Returns
// an exit status; `langForMessages` words what goes wrong before the language is known, on
// `errStream` unless that is null.
int SettingsFile(const std::optional<std::string>& given, const std::string& exeDir,
                 const std::string& langForMessages, std::string& ini, std::ostream* errStream) {
  ini = given ? *given : LocateSettingsFile(exeDir).path;
  ReadError why;
  if (!ini.empty() && CheckProfileFile(ini, &why)) return kExitOk;
  if (!errStream) return kExitNoInput;
  std::ostream& err = *errStream;
  if (ini.empty() || (why.problem == ReadProblem::CannotOpen && why.error == ENOENT)) {
    std::string text = GetLangStringFrom(langForMessages, "IDS_CLI_NOSETTINGS");
    if (text == kLangNotFound) text = kNoSettingsMessage;
    err << "rondel-cli: " << text << " " << (ini.empty() ? exeDir + "/" + kSettingsFileName : ini)
        << "\n";
  } else {
    err << "rondel-cli: " << GetLangStringFrom(langForMessages, "IDS_ERROR_SETTINGSFILE") << " "
        << ini << ": " << ReadErrorReason(why, langForMessages) << "\n";
  }
  return kExitNoInput;
}

// The command of the line: its first operand. The line is read once with the options of all
// commands to find it, then again with the command's own table without it.
const Command* ParseLine(const std::vector<std::string>& args, ParsedLine& line,
                         UsageError& usage) {
  usage = ParseCommandLine(nullptr, args, line);
  if (line.operands.empty()) return nullptr;
  const Command* command = FindCommand(line.operands[0]);
  if (!command) return nullptr;
  std::vector<std::string> rest = args;
  rest.erase(rest.begin() + static_cast<std::ptrdiff_t>(line.operandAt[0]));
  usage = ParseCommandLine(command, rest, line);
  return command;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  ParsedLine line;
  UsageError usage;
  const Command* command = ParseLine(args, line, usage);
  if (line.Has("version") && !usage.key) {
    out << "rondel-cli " << RONDEL_VERSION << "\n";
    return kExitOk;
  }
  const std::optional<std::string> lang = line.Value("lang");
  // The paths as the desktop program fixes them at start-up; --ini and --lang stand in for
  // the files it would find. Until the settings file has named a language, the locale's
  // language file (or --lang) words the messages.
  const std::string exeDir = ExecutableDir();
  ReadError langProblem;
  const bool langUsable = lang && CheckProfileFile(*lang, &langProblem);
  const std::string startupLang = langUsable ? *lang : StartupLanguagePath(exeDir);
  SetAppPaths(exeDir, std::string(), startupLang);
  if (usage.key) return ReportUsage(err, usage);

  const bool help = line.Has("help") || command == &kHelpCommand;
  std::string ini;
  const int settingsStatus =
      SettingsFile(line.Value("ini"), exeDir, startupLang, ini, help ? nullptr : &err);
  if (help) {
    // Help needs no settings file, but speaks its language when there is one.
    if (!langUsable && settingsStatus == kExitOk) SetAppPaths(exeDir, ini, ChooseLanguagePath(exeDir, ini));
    if (command && line.Has("help")) {
      PrintCommandHelp(*command, out);
      return kExitOk;
    }
    const CSettings settings(settingsStatus == kExitOk ? ini : std::string());
    return kHelpCommand.run(Invocation{settings, line, out, err});
  }
  if (settingsStatus != kExitOk) return settingsStatus;
  const std::string chosenLang = ChooseLanguagePath(exeDir, ini);
  if (lang && !langUsable) {
    err << "rondel-cli: " << GetLangStringFrom(chosenLang, "IDS_CLI_NOLANG") << " " << *lang
        << ": " << ReadErrorReason(langProblem, chosenLang) << "\n";
    return kExitNoInput;
  }
  SetAppPaths(exeDir, ini, lang ? *lang : chosenLang);
  // The settings' language file is there but refused: every text would read "Not Found".
  if (ReadError why; !lang && !CheckProfileFile(chosenLang, &why) &&
                     why.problem != ReadProblem::CannotOpen)
    err << "rondel-cli: " << GetLangStringFrom(startupLang, "IDS_ERROR_LANGFILE") << " " << chosenLang
        << ": " << ReadErrorReason(why, startupLang) << "\n";
  if (!command) {
    if (line.operands.empty()) return Usage(err, "IDS_CLI_MISSING", "COMMAND");
    return Usage(err, "IDS_CLI_BADARG", line.operands[0]);
  }
  const CSettings settings(ini);
  return command->run(Invocation{settings, line, out, err});
}

}  // namespace rondel::cli
