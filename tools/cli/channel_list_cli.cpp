// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/cli/channel_list_cli.h"

#include <cstdint>
#include <ostream>
#include <span>
#include <unistd.h>

#include "core/data_file.h"
#include "platform/atomic_file.h"
#include "shell/channel_list/channel_csv.h"
#include "shell/language.h"
#include "tools/cli/cli_main.h"
#include "tools/cli/command.h"

namespace rondel::cli {
namespace {

// An empty path names no file: a usage error, never "no file".
bool Arguments(const ChannelListCommand& command, std::size_t count) {
  if (command.positional.size() != count) return false;
  for (const std::string& p : command.positional)
    if (p.empty()) return false;
  return true;
}

}  // namespace

ChannelListCommand ChannelListOf(const Invocation& call) {
  return {call.settings, call.line.operands, call.line.Value("output").value_or(std::string()),
          [&call](CRondelDoc& doc, const std::string& file, std::optional<FileIdentity>* opened) {
            return StartingDocument(doc, file, call.settings, false, call.err, opened);
          },
          [&call](const std::string& culprit) {
            return Usage(call.err, "IDS_CLI_MISSING", culprit);
          }};
}

int CmdExport(const ChannelListCommand& command, std::ostream& out, std::ostream& err) {
  if (!Arguments(command, 1)) return command.usage("export");
  CRondelDoc doc;
  if (const int status = command.openDataFile(doc, command.positional[0], nullptr); status != kExitOk)
    return status;
  const std::string text = ExportChannelCsv(doc, command.settings);
  if (command.output.empty() || command.output == kStdStream)
    return WriteStandardOutput(text, out, err);
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  if (!WriteFileAtomically(command.output, std::span<const std::uint8_t>(bytes, text.size()))) {
    FileError(err, "IDS_CLI_NOOUTPUT", command.output, "");
    return kExitCantCreate;
  }
  return kExitOk;
}

int CmdImport(const ChannelListCommand& command, std::ostream& out, std::ostream& err) {
  if (!Arguments(command, 2)) return command.usage("import");
  const std::string& file = command.positional[0];
  const std::string& list = command.positional[1];
  const std::string& target = command.output.empty() ? file : command.output;
  Rewrite rewrite;
  if (const int status = BeginRewrite(file, target, rewrite, err); status != kExitOk) return status;
  CRondelDoc doc;
  if (const int status = command.openDataFile(doc, file, &rewrite.opened); status != kExitOk)
    return status;
  std::string text;
  if (!(list == kStdStream ? ReadChannelCsvStream(STDIN_FILENO, text)
                           : ReadChannelCsvFile(list, text))) {
    FileError(err, "IDS_CLI_NOINPUT", list, "");
    return kExitNoInput;
  }
  const CsvImport result = ImportChannelCsv(doc, command.settings, text);
  if (!result.Imported()) {
    err << "rondel-cli: " << list << ": " << CsvIssueText(*result.refusal, command.settings) << "\n";
    return kExitDataErr;
  }
  for (const CsvIssue& w : result.warnings)
    err << "rondel-cli: " << list << ": " << CsvIssueText(w, command.settings) << "\n";
  return SaveDocument(doc, target, command.settings, out, err, rewrite.SaveOver());
}

}  // namespace rondel::cli
