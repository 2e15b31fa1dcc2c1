#include "platform/version.h"

namespace rondel {

const char* ProgramVersion() { return RONDEL_VERSION; }

}  // namespace rondel
