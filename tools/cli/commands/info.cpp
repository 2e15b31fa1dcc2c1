// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli info: a data file listed, as text or as JSON.
#include <ostream>

#include "core/rondel_doc.h"
#include "tools/cli/cli_main.h"
#include "tools/cli/command.h"
#include "tools/cli/image_json.h"
#include "tools/cli/info_listing.h"

namespace rondel::cli {
namespace {

constexpr OptionSpec kOptions[] = {
    {"json", 0, nullptr, "IDS_CLI_CMD_INFO_OPT_JSON"},
};

int Run(const Invocation& call) {
  const std::vector<std::string>& operands = call.line.operands;
  if (operands.empty()) return Usage(call.err, "IDS_CLI_MISSING", "info FILE");
  if (operands.size() > 1) return Usage(call.err, "IDS_CLI_BADARG", operands[1]);
  CRondelDoc doc;
  if (const int status = StartingDocument(doc, operands[0], call.settings, false, call.err);
      status != kExitOk)
    return status;
  return WriteStandardOutput(call.line.Has("json") ? DocumentToJson(doc, call.settings)
                                                   : DocumentListing(doc, call.settings),
                             call.out, call.err);
}

}  // namespace

extern const Command kInfoCommand = {"info", "IDS_CLI_CMD_INFO_SUMMARY", "IDS_CLI_CMD_INFO_USAGE",
                                     "IDS_CLI_CMD_INFO_EXAMPLE", kOptions, Run};

}  // namespace rondel::cli
