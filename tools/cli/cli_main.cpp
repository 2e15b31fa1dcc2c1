#include "tools/cli/cli_main.h"

#include <charconv>
#include <optional>
#include <ostream>
#include <sys/stat.h>

#include "core/data_file.h"
#include "platform/exe_path.h"
#include "shell/app_paths.h"
#include "shell/language.h"
#include "shell/settings.h"
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

int CmdInfo(const Options& opt, const CSettings& settings, std::ostream& out, std::ostream& err) {
  if (opt.positional.size() != 1) return Usage(err, opt.command);
  const std::string& file = opt.positional[0];
  // As the desktop program opens a file: into a new document of model 0, so an empty file
  // shows that document's band.
  CRondelDoc doc;
  doc.SelectModel(0, settings);
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
  out << (opt.json ? DocumentToJson(doc, settings) : DocumentListing(doc, settings));
  out.flush();
  if (!out) {
    FileError(err, "IDS_CLI_NOOUTPUT", "-");
    return kExitCantCreate;
  }
  return kExitOk;
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
  return Usage(err, opt.command);
}

}  // namespace rondel::cli
