#include "tools/cli/cli_main.h"

#include <atomic>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <optional>
#include <ostream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

#include "core/data_file.h"
#include "link/serial_link.h"
#include "link/transfer.h"
#include "platform/exe_path.h"
#include "shell/app_paths.h"
#include "shell/language.h"
#include "shell/settings.h"
#include "tools/cli/channel_list_cli.h"
#include "tools/cli/image_json.h"
#include "tools/cli/info_listing.h"

namespace rondel::cli {
namespace {

struct Options {
  std::string ini;
  std::string lang;
  std::string command;
  std::vector<std::string> positional;
  std::string output;
  std::optional<std::string> model;
  std::string from;                 // read: the document the image starts as
  std::optional<std::string> port;  // read, write: COM port opened first
  std::optional<std::string> device;  // read, write: device opened first
  bool json = false;
  bool help = false;
};

// Parses the whole line; returns the argument that is wrong or incomplete, empty when the
// line is usable.
std::string Parse(const std::vector<std::string>& args, Options& opt) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& into) -> bool {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    if (a == "--ini") {
      if (!value(opt.ini)) return a;
    } else if (a == "--lang") {
      if (!value(opt.lang)) return a;
    } else if (a == "-o" || a == "--output") {
      if (!value(opt.output)) return a + " needs a path";
    } else if (a == "--model") {
      std::string k;
      if (!value(k)) return a;
      opt.model = k;
    } else if (a == "--from") {
      if (!value(opt.from)) return a;
    } else if (a == "--port") {
      std::string n;
      if (!value(n)) return a;
      opt.port = n;
    } else if (a == "--device") {
      std::string path;
      if (!value(path)) return a;
      opt.device = path;
    } else if (a == "--json") {
      opt.json = true;
    } else if (a == "-h" || a == "--help") {
      opt.help = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return a;
    } else if (opt.command.empty()) {
      opt.command = a;
    } else {
      opt.positional.push_back(a);
    }
  }
  return {};
}

bool ParseModel(const std::optional<std::string>& option, int& k) {
  k = 0;
  if (!option) return true;
  const std::string& text = *option;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), k);
  return ec == std::errc() && end == text.data() + text.size() && k >= 0 && k < kMaxModels;
}

bool IsReadableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// Names the argument at fault, then the usage text: both worded by the language file.
int Usage(std::ostream& err, const std::string& culprit) {
  if (!culprit.empty()) err << "rondel-cli: " << GetLangString("IDS_CLI_BADARG") << " " << culprit << "\n";
  err << GetLangString("IDS_CLI_USAGE") << "\n";
  return kExitUsage;
}

// "<text> <path>": the language file's texts end before the blank that joins them.
void FileError(std::ostream& err, const char* key, const std::string& path) {
  err << "rondel-cli: " << GetLangString(key) << " " << path << "\n";
}

int CmdNew(const Options& opt, const CSettings& settings, std::ostream& err) {
  int k = 0;
  if (opt.output.empty() || !opt.positional.empty()) return Usage(err, opt.command);
  if (!ParseModel(opt.model, k)) return Usage(err, "--model " + *opt.model);
  CRondelDoc doc;
  doc.Blank();
  doc.SelectModel(k, settings);
  if (!StoreDataFile(doc, opt.output, settings)) {
    FileError(err, "IDS_CLI_NOOUTPUT", opt.output);
    return kExitCantCreate;
  }
  return kExitOk;
}

// The document a command starts from: `file` loaded as the desktop program opens it (into a
// new document of model 0), or that new document itself. Returns an exit status.
int StartingDocument(CRondelDoc& doc, const std::string& file, const CSettings& settings,
                     std::ostream& err) {
  doc.Blank();
  doc.SelectModel(0, settings);
  if (file.empty()) return kExitOk;
  switch (LoadDataFile(doc, file, settings)) {
    case LoadResult::CannotOpen:
      FileError(err, "IDS_CLI_NOINPUT", file);
      return kExitNoInput;
    case LoadResult::HeaderRejected:
      err << "rondel-cli: " << file << ": " << GetLangString("IDS_WARN_LOAD") << "\n";
      return kExitRejected;
    case LoadResult::Loaded:
    case LoadResult::Empty:
      break;
  }
  return kExitOk;
}

int CmdInfo(const Options& opt, const CSettings& settings, std::ostream& out, std::ostream& err) {
  if (opt.positional.size() != 1) return Usage(err, opt.command);
  const std::string& file = opt.positional[0];
  CRondelDoc doc;
  if (const int status = StartingDocument(doc, file, settings, err); status != kExitOk)
    return status;
  out << (opt.json ? DocumentToJson(doc, settings) : DocumentListing(doc, settings));
  out.flush();
  if (!out) {
    FileError(err, "IDS_CLI_NOOUTPUT", "-");
    return kExitCantCreate;
  }
  return kExitOk;
}

// ---- read and write ----------------------------------------------------------------------

// A failed transfer exits with its status number.
static_assert(kExitNoConnection == static_cast<int>(TransferStatus::NoConnection));
static_assert(kExitWrongType == static_cast<int>(TransferStatus::WrongType));
static_assert(kExitReadFailed == static_cast<int>(TransferStatus::ReadFailed));
static_assert(kExitWriteFailed == static_cast<int>(TransferStatus::WriteFailed));
static_assert(kExitPasswordDiffers == static_cast<int>(TransferStatus::PasswordDiffers));

std::atomic<bool> g_interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "set from a signal handler");

void OnInterrupt(int) { g_interrupted.store(true); }

// Ctrl+C (and a polite kill) only raise the flag; the transfer loop cancels on it, so the
// worker is joined and no leave byte follows a cancelled write.
class InterruptGuard {
 public:
  InterruptGuard() {
    g_interrupted.store(false);
    struct sigaction sa {};
    sa.sa_handler = OnInterrupt;
    sigemptyset(&sa.sa_mask);
    ::sigaction(SIGINT, &sa, &m_oldInt);
    ::sigaction(SIGTERM, &sa, &m_oldTerm);
  }
  ~InterruptGuard() {
    ::sigaction(SIGINT, &m_oldInt, nullptr);
    ::sigaction(SIGTERM, &m_oldTerm, nullptr);
  }
  InterruptGuard(const InterruptGuard&) = delete;
  InterruptGuard& operator=(const InterruptGuard&) = delete;

 private:
  struct sigaction m_oldInt {};
  struct sigaction m_oldTerm {};
};

bool ParsePort(const std::string& text, int& port) {
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
  return ec == std::errc() && end == text.data() + text.size() && port >= kFirstComPort &&
         port <= kLastComPort;
}


// The progress line: what the dialog's status text shows, and the port the search has just
// opened, as its status bar would. On a terminal it is rewritten in place; elsewhere each
// change is a line of its own.
class ProgressLine {
 public:
  explicit ProgressLine(std::ostream& err)
      : m_err(err), m_inPlace(&err == &std::cerr && ::isatty(STDERR_FILENO)) {}
  ~ProgressLine() { Finish(); }
  void Show(const std::string& text, int port) {
    std::string line = text;
    if (port > 0) {
      char pane[16];
      std::snprintf(pane, sizeof pane, "  COM%d", port);
      line += pane;
    }
    if (line.empty() || line == m_last) return;
    m_last = line;
    if (m_inPlace) {
      m_err << "\r" << line << "\033[K" << std::flush;
      m_open = true;
    } else {
      m_err << line << "\n" << std::flush;
    }
  }
  void Finish() {
    if (m_open) m_err << "\n" << std::flush;
    m_open = false;
  }

 private:
  std::ostream& m_err;
  bool m_inPlace;
  bool m_open = false;
  std::string m_last;
};

// The same tick as the desktop program's transfer dialog, every 20 ms.
int CmdTransfer(const Options& opt, const CSettings& settings, std::ostream& err) {
  const bool reading = opt.command == "read";
  if (reading ? (opt.output.empty() || !opt.positional.empty())
              : (opt.positional.size() != 1 || !opt.output.empty() || !opt.from.empty()))
    return Usage(err, opt.command);
  if (opt.port && opt.device) return Usage(err, "--device");
  int port = 0;
  if (opt.port && !ParsePort(*opt.port, port)) return Usage(err, "--port " + *opt.port);

  CRondelDoc doc;
  if (const int status = StartingDocument(doc, reading ? opt.from : opt.positional[0], settings, err);
      status != kExitOk)
    return status;

  CSerialLink link([&settings](int n) { return settings.PortDevice(n); });
  if ((opt.port && !link.Open(port, 9600)) || (opt.device && !link.OpenDevice(*opt.device, 9600))) {
    err << "rondel-cli: " << (opt.port ? "COM" + *opt.port : *opt.device) << ": "
        << GetLangString("IDS_ERROR_PORTCONN") << "\n";
    return kExitNoConnection;
  }

  InterruptGuard interrupts;
  CTransferSession session(link, settings);
  session.Start(reading ? TransferDirection::Read : TransferDirection::Write, doc.image());
  ProgressLine progress(err);
  progress.Show(GetLangString(reading ? "IDS_PROMPT_READ" : "IDS_PROMPT_WRITE"), 0);
  TransferReaction r;
  for (;;) {
    if (g_interrupted.load()) {
      session.Cancel();
      progress.Finish();
      err << "rondel-cli: " << GetLangString("IDS_CLI_CANCELLED") << "\n";
      return kExitInterrupted;
    }
    r = session.Poll();
    progress.Show(ReactionText(r, GetLangString), r.portPane);
    if (r.final) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  progress.Finish();

  if (r.show == TransferShow::Text || r.show == TransferShow::Message) {
    err << "rondel-cli: " << GetLangString("IDS_ERROR") << ": " << GetLangString(r.key) << "\n";
    return r.status;
  }
  if (r.handOverImage) {
    // Only a complete read reaches the file; blocks passed over keep the starting bytes.
    doc.image() = session.image();
    if (!StoreDataFile(doc, opt.output, settings)) {
      FileError(err, "IDS_CLI_NOOUTPUT", opt.output);
      return kExitCantCreate;
    }
    return kExitOk;
  }
  return r.sendLeaveByte ? kExitOk : r.status;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options opt;
  const std::string why = Parse(args, opt);
  // The paths as the desktop program fixes them at start-up; --ini and --lang stand in for
  // the files beside the executable.
  const std::string exeDir = ExecutableDir();
  const std::string ini = opt.ini.empty() ? exeDir + "/" + kSettingsFileName : opt.ini;
  if (!IsReadableFile(ini)) {
    // No language is known without the settings file: the one built-in message.
    err << "Can not find the file setting.ini! (" << ini << ")\n";
    return kExitNoInput;
  }
  SetAppPaths(exeDir, ini, opt.lang.empty() ? ChooseLanguagePath(exeDir, ini) : opt.lang);
  if (!why.empty()) return Usage(err, why);
  if (opt.help) {
    out << GetLangString("IDS_CLI_USAGE") << "\n";
    return kExitOk;
  }
  if (opt.command.empty()) return Usage(err, "");
  const CSettings settings(ini);

  if (opt.command == "new") return CmdNew(opt, settings, err);
  if (opt.command == "info") return CmdInfo(opt, settings, out, err);
  if (opt.command == "read" || opt.command == "write") return CmdTransfer(opt, settings, err);
  if (opt.command == "export" || opt.command == "import") {
    const ChannelListCommand list{
        settings, opt.positional, opt.output,
        [&](CRondelDoc& doc, const std::string& file) { return StartingDocument(doc, file, settings, err); },
        [&](const std::string& culprit) { return Usage(err, culprit); }};
    return opt.command == "export" ? CmdExport(list, out, err) : CmdImport(list, err);
  }
  return Usage(err, opt.command);
}

}  // namespace rondel::cli
