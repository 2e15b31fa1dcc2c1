// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/version.h"

namespace rondel {

const char* ProgramVersion() { return RONDEL_VERSION; }

}  // namespace rondel
