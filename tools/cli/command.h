// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of rondel-cli as a table: each command names itself, words its help through
// the language file, lists its options and runs. The line is parsed per command with
// getopt_long, so "--output=OUT", "--output OUT", "-o OUT" and "--" (the end of the options)
// work alike everywhere.
#pragma once

#include <iosfwd>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace rondel {
class CSettings;
}

namespace rondel::cli {

// One option of a command.
struct OptionSpec {
  const char* name;                // the long name, without "--"
  char shortName = 0;              // 'o' for -o; 0: none
  const char* value = nullptr;     // the value's placeholder in the help ("OUT"); nullptr: a flag
  const char* helpKey = nullptr;   // the language file's one-line description
  bool repeatable = false;         // each value is kept, in order; else the last one counts
  bool mayBeEmpty = false;         // an empty value is meant ("--password ''": none)
};

// What the command line gave a command: its options by long name, every value in the order
// given, and its operands. An operand "-" names standard input or output.
class ParsedLine {
 public:
  bool Has(std::string_view name) const { return m_options.find(name) != m_options.end(); }
  // The value given last; none when the option was not given.
  std::optional<std::string> Value(std::string_view name) const;
  // Every value given, in order (a flag: one empty value per mention).
  std::vector<std::string> Values(std::string_view name) const;
  void Add(const std::string& name, std::string value) {
    m_options[name].push_back(std::move(value));
  }
  void Set(const std::string& name, std::string value) { m_options[name] = {std::move(value)}; }
  std::vector<std::string> operands;
  std::vector<std::size_t> operandAt;  // where each operand stands in the parsed arguments

 private:
  std::map<std::string, std::vector<std::string>, std::less<>> m_options;
};

// What is wrong with a command line, in the words of the language file once one is known.
struct UsageError {
  const char* key = nullptr;  // nullptr: the line is usable
  std::string what;           // the argument at fault, or what is missing
};

// What a command runs with.
struct Invocation {
  const CSettings& settings;
  const ParsedLine& line;
  std::ostream& out;
  std::ostream& err;
};

struct Command {
  const char* name;
  const char* summaryKey;  // one line for the command list of --help
  const char* usageKey;    // the synopsis, from the command's name on
  const char* exampleKey;  // a command line that shows it at work
  std::span<const OptionSpec> options;
  int (*run)(const Invocation&);
};

// The commands, in the order --help lists them, and the one of a name (nullptr: none).
std::span<const Command* const> Commands();
const Command* FindCommand(std::string_view name);

// The options every command takes besides its own, before or after its name.
std::span<const OptionSpec> CommonOptions();

// Parses `args` (no program name) for `command`, its options and the common ones; nullptr:
// the common ones only. Stops at the first problem.
UsageError ParseCommandLine(const Command* command, const std::vector<std::string>& args,
                            ParsedLine& line);

// The help of the whole program (the commands with their summaries) and of one command
// (its usage, options and an example), in the current language.
void PrintProgramHelp(std::ostream& out);
void PrintCommandHelp(const Command& command, std::ostream& out);

// The commands' table entries, each in its own file under commands/.
extern const Command kNewCommand;
extern const Command kInfoCommand;
extern const Command kReadCommand;
extern const Command kWriteCommand;
extern const Command kBackupsCommand;
extern const Command kEditCommand;
extern const Command kExportCommand;
extern const Command kImportCommand;
extern const Command kDiffCommand;
extern const Command kHelpCommand;

}  // namespace rondel::cli
