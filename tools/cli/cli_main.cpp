#include "tools/cli/cli_main.h"

#include <charconv>
#include <ostream>
#include <sys/stat.h>

#include "core/data_file.h"
#include "platform/exe_path.h"
#include "shell/settings.h"
#include "tools/cli/image_json.h"

namespace rondel::cli {
namespace {

constexpr const char* kUsage =
    "usage: rondel-cli [--ini PATH] <command> ...\n"
    "  new -o OUT [--model K]   save a new document (model K of the settings file, default 0)\n"
    "  info FILE --json         list a data file as JSON\n"
    "options:\n"
    "  --ini PATH               settings file (default: setting.ini beside the program)\n";

struct Options {
  std::string ini;
  std::string command;
  std::vector<std::string> positional;
  std::string output;
  std::string model;
  bool json = false;
  bool help = false;
};

// Parses the whole line; returns an error text, empty when the line is usable.
std::string Parse(const std::vector<std::string>& args, Options& opt) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    auto value = [&](std::string& into) -> bool {
      if (i + 1 >= args.size()) return false;
      into = args[++i];
      return true;
    };
    if (a == "--ini") {
      if (!value(opt.ini)) return "--ini needs a path";
    } else if (a == "-o" || a == "--output") {
      if (!value(opt.output)) return a + " needs a path";
    } else if (a == "--model") {
      if (!value(opt.model)) return "--model needs a number";
    } else if (a == "--json") {
      opt.json = true;
    } else if (a == "-h" || a == "--help") {
      opt.help = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option " + a;
    } else if (opt.command.empty()) {
      opt.command = a;
    } else {
      opt.positional.push_back(a);
    }
  }
  return {};
}

bool ParseModel(const std::string& text, int& k) {
  if (text.empty()) {
    k = 0;
    return true;
  }
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), k);
  return ec == std::errc() && end == text.data() + text.size() && k >= 0 && k < kMaxModels;
}

bool IsReadableFile(const std::string& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

int Usage(std::ostream& err, const std::string& why) {
  if (!why.empty()) err << "rondel-cli: " << why << "\n";
  err << kUsage;
  return kExitUsage;
}

int CmdNew(const Options& opt, const CSettings& settings, std::ostream& err) {
  int k = 0;
  if (opt.output.empty() || !opt.positional.empty()) return Usage(err, "new needs -o OUT and nothing else");
  if (!ParseModel(opt.model, k)) return Usage(err, "--model takes a model index from 0 to 15");
  CRondelDoc doc;
  doc.Blank();
  doc.SelectModel(k, settings);
  if (!StoreDataFile(doc, opt.output, settings)) {
    err << "rondel-cli: cannot write " << opt.output << "\n";
    return kExitCantCreate;
  }
  return kExitOk;
}

int CmdInfo(const Options& opt, const CSettings& settings, std::ostream& out, std::ostream& err) {
  if (opt.positional.size() != 1) return Usage(err, "info needs one data file");
  if (!opt.json) return Usage(err, "info needs --json");
  const std::string& file = opt.positional[0];
  CRondelDoc doc;
  switch (LoadDataFile(doc, file, settings)) {
    case LoadResult::CannotOpen:
      err << "rondel-cli: cannot open " << file << "\n";
      return kExitNoInput;
    case LoadResult::HeaderRejected:
      err << "rondel-cli: " << file << " is not a radio program data file\n";
      return kExitRejected;
    case LoadResult::Loaded:
    case LoadResult::Empty:
      break;
  }
  out << DocumentToJson(doc, settings);
  out.flush();
  if (!out) {
    err << "rondel-cli: cannot write the listing\n";
    return kExitCantCreate;
  }
  return kExitOk;
}

}  // namespace

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  Options opt;
  if (const std::string why = Parse(args, opt); !why.empty()) return Usage(err, why);
  if (opt.help) {
    out << kUsage;
    return kExitOk;
  }
  if (opt.command.empty()) return Usage(err, "");

  const std::string ini = opt.ini.empty() ? ExecutableDir() + "/" + kSettingsFileName : opt.ini;
  if (!IsReadableFile(ini)) {
    err << "rondel-cli: Can not find the file " << ini << "\n";
    return kExitNoInput;
  }
  const CSettings settings(ini);

  if (opt.command == "new") return CmdNew(opt, settings, err);
  if (opt.command == "info") return CmdInfo(opt, settings, out, err);
  return Usage(err, "unknown command " + opt.command);
}

}  // namespace rondel::cli
