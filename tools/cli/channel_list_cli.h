// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli export and import: a data file's channels as our CSV list, and a list (ours or
// the common channel list) imported into a data file through the channel grid's edit rules.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "core/rondel_doc.h"
#include "platform/atomic_file.h"
#include "shell/settings.h"

namespace rondel::cli {

struct ChannelListCommand {
  const CSettings& settings;
  std::vector<std::string> positional;  // export: FILE; import: FILE LIST
  std::string output;                   // -o; empty: standard output (export), FILE (import)
  // Opens FILE the way every command opens a data file, telling which file was read when
  // asked; returns an exit status.
  std::function<int(CRondelDoc&, const std::string&, std::optional<FileIdentity>*)> openDataFile;
  // Reports a usage error naming `culprit`; returns its exit status.
  std::function<int(const std::string& culprit)> usage;
};

struct Invocation;
// The command as the command line of `call` gives it.
ChannelListCommand ChannelListOf(const Invocation& call);

// An output "-" (and for export none) is standard output; import's LIST "-" standard input.
int CmdExport(const ChannelListCommand& command, std::ostream& out, std::ostream& err);
int CmdImport(const ChannelListCommand& command, std::ostream& out, std::ostream& err);

}  // namespace rondel::cli
