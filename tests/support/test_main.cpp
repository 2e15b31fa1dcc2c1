// SPDX-License-Identifier: GPL-3.0-or-later
// Test entry point: points per-user folders at the build tree and tells the tests where the
// programs and the sources are, so neither the developer's account nor ctest's quirks matter.
#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <string>

int main(int argc, char** argv) {
  // A job started in the background of a script inherits SIGINT and SIGQUIT ignored, and the
  // programs rightly leave an ignored signal ignored; the tests of what a signal does (and
  // the programs they start) run with the dispositions of a foreground command.
  for (const int sig : {SIGINT, SIGQUIT, SIGTERM}) std::signal(sig, SIG_DFL);
  const std::string home = RONDEL_TEST_HOME;
  std::filesystem::create_directories(home);
  ::setenv("HOME", home.c_str(), 1);
  ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
  ::setenv("XDG_STATE_HOME", (home + "/state").c_str(), 1);
  ::setenv("XDG_DATA_HOME", (home + "/data").c_str(), 1);
  ::setenv("RONDEL_SOURCE_DIR", RONDEL_SOURCE_DIR, 0);
  ::setenv("RONDEL_BIN_DIR", RONDEL_BIN_DIR, 0);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
