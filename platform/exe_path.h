// SPDX-License-Identifier: GPL-3.0-or-later
// Where the running program lives, in place of GetModuleFileName: its configuration and
// language files sit beside it.
#pragma once

#include <string>

namespace rondel {

// The folder of the running executable, without a trailing slash; "." when unknown.
std::string ExecutableDir();

}  // namespace rondel
