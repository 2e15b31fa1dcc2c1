// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cli/command.h"

#include <algorithm>
#include <array>
#include <getopt.h>
#include <ostream>

#include "shell/language.h"
#include "tools/cli/info_listing.h"

namespace rondel::cli {

std::optional<std::string> ParsedLine::Value(std::string_view name) const {
  const auto it = m_options.find(name);
  if (it == m_options.end() || it->second.empty()) return std::nullopt;
  return it->second.back();
}

std::vector<std::string> ParsedLine::Values(std::string_view name) const {
  const auto it = m_options.find(name);
  return it == m_options.end() ? std::vector<std::string>() : it->second;
}

namespace {

constexpr OptionSpec kCommon[] = {
    {"ini", 0, "PATH", "IDS_CLI_OPT_INI"},
    {"lang", 0, "PATH", "IDS_CLI_OPT_LANG"},
    {"help", 'h', nullptr, "IDS_CLI_OPT_HELP"},
    {"version", 0, nullptr, "IDS_CLI_OPT_VERSION"},
};

constexpr std::array<const Command*, 10> kCommands = {
    &kNewCommand,    &kInfoCommand,   &kReadCommand,   &kWriteCommand, &kEditCommand,
    &kExportCommand, &kImportCommand, &kDiffCommand, &kBackupsCommand, &kHelpCommand,
};

// The options a line of `command` may hold: its own, then the common ones. Without a
// command, those of every command: a line whose command is unknown is read as a whole, so
// its first word can be named as the culprit.
std::vector<const OptionSpec*> OptionsOf(const Command* command) {
  std::vector<const OptionSpec*> specs;
  const auto add = [&](const OptionSpec& o) {
    const bool known = std::any_of(specs.begin(), specs.end(), [&](const OptionSpec* s) {
      return std::string_view(s->name) == o.name;
    });
    if (!known) specs.push_back(&o);
  };
  if (command) {
    for (const OptionSpec& o : command->options) add(o);
  } else {
    for (const Command* c : kCommands)
      for (const OptionSpec& o : c->options) add(o);
  }
  for (const OptionSpec& o : kCommon) add(o);
  return specs;
}

// The line with getopt_long: an operand is returned where it stands ("-" leads the short
// options), so the first one can be told from the rest; ":" reports a missing value.
UsageError Scan(const Command* command, const std::vector<const OptionSpec*>& specs,
                const std::vector<std::string>& args, ParsedLine& line) {
  constexpr int kLongBase = 256;
  std::vector<option> longs;
  std::string shorts = "-:";
  for (std::size_t i = 0; i < specs.size(); ++i) {
    const OptionSpec& s = *specs[i];
    longs.push_back({s.name, s.value ? required_argument : no_argument, nullptr,
                     kLongBase + static_cast<int>(i)});
    if (s.shortName) {
      shorts += s.shortName;
      if (s.value) shorts += ':';
    }
  }
  longs.push_back({nullptr, 0, nullptr, 0});

  std::vector<std::string> words = args;
  words.insert(words.begin(), "rondel-cli");
  std::vector<char*> argv;
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  const int argc = static_cast<int>(words.size());

  // An operand "" is a slip of the shell ("$FILE" unset), never "no file".
  const auto operand = [&](const std::string& text, int at) -> UsageError {
    if (text.empty()) {
      const std::string before =
          command ? command->name : line.operands.empty() ? "" : line.operands[0];
      return {"IDS_CLI_EMPTYARG", before.empty() ? "\"\"" : before + " \"\""};
    }
    line.operands.push_back(text);
    line.operandAt.push_back(static_cast<std::size_t>(at - 1));
    return {};
  };
  // How the user wrote the option getopt_long stopped at.
  const auto culprit = [&] {
    if (optopt > 0 && optopt < kLongBase) return std::string("-") + static_cast<char>(optopt);
    return std::string(argv[static_cast<std::size_t>(optind - 1)]);
  };

  optind = 0;  // glibc: start afresh
  opterr = 0;  // the problems are reported in the language file's words
  for (;;) {
    int longIndex = -1;
    const int c = getopt_long(argc, argv.data(), shorts.c_str(), longs.data(), &longIndex);
    if (c == -1) break;
    if (c == 1) {
      if (UsageError e = operand(optarg, optind - 1); e.key) return e;
      continue;
    }
    if (c == '?') return {"IDS_CLI_BADARG", culprit()};
    if (c == ':') return {"IDS_CLI_MISSING", culprit() + " ..."};
    const OptionSpec* option = nullptr;
    if (c >= kLongBase) {
      option = specs[static_cast<std::size_t>(c - kLongBase)];
    } else {
      for (const OptionSpec* s : specs)
        if (s->shortName == c) option = s;
    }
    if (!option) return {"IDS_CLI_BADARG", culprit()};
    const std::string spelled =
        longIndex >= 0 ? "--" + std::string(option->name) : "-" + std::string(1, option->shortName);
    const std::string value = option->value && optarg ? optarg : "";
    if (option->value && value.empty() && !option->mayBeEmpty) return {"IDS_CLI_EMPTYARG", spelled};
    // Given again, an option that is not repeatable keeps its last value only.
    if (option->repeatable) {
      line.Add(option->name, value);
    } else {
      line.Set(option->name, value);
    }
  }
  // After "--" everything is an operand, also what starts with "-".
  for (int i = optind; i < argc; ++i)
    if (UsageError e = operand(words[static_cast<std::size_t>(i)], i); e.key) return e;
  return {};
}

std::string PadTo(const std::string& text, std::size_t width) {
  const std::size_t w = DisplayWidth(text);
  return w >= width ? text : text + std::string(width - w, ' ');
}

// "-o, --output=OUT" and "    --json", in one column.
std::string Spelling(const OptionSpec& o) {
  std::string text = o.shortName ? std::string("-") + o.shortName + ", " : "    ";
  text += "--";
  text += o.name;
  if (o.value) text += std::string("=") + o.value;
  return text;
}

void PrintOptions(const std::vector<const OptionSpec*>& specs, std::ostream& out) {
  std::size_t width = 0;
  for (const OptionSpec* o : specs) width = std::max(width, DisplayWidth(Spelling(*o)));
  for (const OptionSpec* o : specs)
    out << "  " << PadTo(Spelling(*o), width) << "  " << GetLangString(o->helpKey) << "\n";
}

}  // namespace

std::span<const Command* const> Commands() { return kCommands; }

const Command* FindCommand(std::string_view name) {
  for (const Command* c : kCommands)
    if (name == c->name) return c;
  return nullptr;
}

std::span<const OptionSpec> CommonOptions() { return kCommon; }

UsageError ParseCommandLine(const Command* command, const std::vector<std::string>& args,
                            ParsedLine& line) {
  line = ParsedLine();
  return Scan(command, OptionsOf(command), args, line);
}

void PrintProgramHelp(std::ostream& out) {
  out << GetLangString("IDS_CLI_USAGE") << "\n" << GetLangString("IDS_CLI_HELP_COMMANDS") << "\n";
  std::size_t width = 0;
  for (const Command* c : kCommands) width = std::max(width, DisplayWidth(c->name));
  for (const Command* c : kCommands)
    out << "  " << PadTo(c->name, width) << "  " << GetLangString(c->summaryKey) << "\n";
  out << GetLangString("IDS_CLI_HELP_OPTIONS") << "\n";
  std::vector<const OptionSpec*> common;
  for (const OptionSpec& o : kCommon) common.push_back(&o);
  PrintOptions(common, out);
  out << GetLangString("IDS_CLI_HELP_MORE") << "\n" << GetLangString("IDS_CLI_EXITCODES") << "\n"
      << GetLangString("IDS_CLI_FLEET_EXITS") << "\n";
}

void PrintCommandHelp(const Command& command, std::ostream& out) {
  out << GetLangString("IDS_CLI_HELP_USAGE") << " rondel-cli [--ini PATH] [--lang PATH] "
      << GetLangString(command.usageKey) << "\n"
      << GetLangString(command.summaryKey) << "\n"
      << GetLangString("IDS_CLI_HELP_OPTIONS") << "\n";
  PrintOptions(OptionsOf(&command), out);
  out << GetLangString("IDS_CLI_HELP_EXAMPLE") << "\n  " << GetLangString(command.exampleKey)
      << "\n";
}

}  // namespace rondel::cli
