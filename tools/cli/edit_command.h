// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli edit FILE [-o OUT] ASSIGNMENT...: the form's edits made from a command line, for
// dealers who program many radios alike. Each assignment is the edit a user makes in the form,
// by the same rules; one the form would not let through stops the command, writing nothing.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "shell/form/form_edits.h"
#include "shell/settings.h"

namespace rondel::cli {


// One assignment "name=text" as the form's edit; the refusal when the name is unknown or the
// text is not a value the name's control offers. The document gives the lists to choose from.
struct ParsedAssignment {
  std::optional<FormEdit> edit;
  EditRefusal refused = EditRefusal::None;
};
ParsedAssignment ParseAssignment(std::string_view name, std::string_view text,
                                 const CRondelDoc& doc, const CSettings& settings);

// `operands`: FILE, then the assignments. Without `output` FILE is written over, under its
// lock (see Rewrite in cli_main.h).
int CmdEdit(const std::vector<std::string>& operands, const std::optional<std::string>& output,
            const CSettings& settings, std::ostream& out,
            std::ostream& err);

}  // namespace rondel::cli
