// SPDX-License-Identifier: GPL-3.0-or-later
// The version of the Rondel programs, the project's version at build time.
#pragma once

namespace rondel {

// "1.0.0": what every program's --version prints after its name.
const char* ProgramVersion();

}  // namespace rondel
