// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-cli entry point.
#include <iostream>

#include "platform/temporary_cleanup.h"
#include "tools/cli/cli_main.h"

int main(int argc, char** argv) {
  rondel::InstallTemporaryCleanup();
  std::vector<std::string> args(argv + 1, argv + argc);
  return rondel::cli::Run(args, std::cout, std::cerr);
}
