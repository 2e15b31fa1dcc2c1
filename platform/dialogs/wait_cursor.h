// SPDX-License-Identifier: GPL-3.0-or-later
// The hourglass while the user-interface thread talks to the radio: the windows do not
// respond meanwhile, and the cursor says why. Shown for the lifetime of the object.
#pragma once

namespace rondel {

class CWaitCursor {
 public:
  CWaitCursor();
  ~CWaitCursor();
  CWaitCursor(const CWaitCursor&) = delete;
  CWaitCursor& operator=(const CWaitCursor&) = delete;
};

}  // namespace rondel
