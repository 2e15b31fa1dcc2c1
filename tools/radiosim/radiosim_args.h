// SPDX-License-Identifier: GPL-3.0-or-later
// The command line of rondel-radiosim: the radio's options, its fault knobs and what to do
// with its memory and device path.
#pragma once

#include <string>
#include <vector>

#include "tools/radiosim/virtual_radio.h"

namespace rondel::sim {

struct RadioSimConfig {
  RadioOptions radio;
  std::string password;  // empty: keep the memory's read password
  bool setPassword = false;
  std::string load;      // data file to start from
  std::string save;      // data file written on exit
  std::string link;      // symbolic link made to the device
  bool log = true;       // frames received, one line each on stderr
  bool help = false;
  bool version = false;
};

extern const char* const kRadioSimUsage;

// Returns an error text, empty when the line is usable.
std::string ParseRadioSimArgs(const std::vector<std::string>& args, RadioSimConfig& config);

}  // namespace rondel::sim
