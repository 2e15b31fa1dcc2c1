// SPDX-License-Identifier: GPL-3.0-or-later
// The temporary files of saves in progress, removed when Ctrl+C or a kill (SIGINT, SIGTERM)
// ends the program in the middle of one, so no half-made ".rondel-XXXXXX" stays behind.
#pragma once

namespace rondel {

// Sets the handler of SIGINT and SIGTERM where the program has none (a signal that is
// ignored, as for a job started in the background, stays ignored; a handler of the program's
// own is kept). The handler removes every temporary still registered, then ends the program
// by the signal's default action, so the parent sees the signal as before. Call once, early.
void InstallTemporaryCleanup();

// A temporary file `name` (at most 15 bytes) in the folder open as `folderFd`, which stays
// open until the file is forgotten. Returns a slot number for ForgetTemporary, or -1 when
// every slot is in use (the file then is only swept later). Safe from any thread.
int RegisterTemporary(int folderFd, const char* name);
// The temporary of `slot` is renamed or removed: the handler leaves it alone from now on.
void ForgetTemporary(int slot);

}  // namespace rondel
