// SPDX-License-Identifier: GPL-3.0-or-later
// rondel-radiosim: a virtual radio for trying the tool without one. Prints the device path,
// answers until Ctrl+C (or its own hang-up), and logs the frames it receives.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <unistd.h>

#include "core/digit_codec.h"
#include "platform/version.h"
#include "tools/radiosim/radiosim_args.h"
#include "tools/radiosim/virtual_radio.h"

namespace {

constexpr int kExitUsage = 64;
constexpr int kExitNoInput = 66;
constexpr int kExitOsError = 71;
constexpr int kExitCantCreate = 73;

// Replaces an old link of ours; anything else at the path is left alone.
bool MakeLink(const std::string& link, const std::string& target) {
  char old[512];
  if (::readlink(link.c_str(), old, sizeof old) >= 0) ::unlink(link.c_str());
  return ::symlink(target.c_str(), link.c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace rondel::sim;
  RadioSimConfig config;
  const std::string why = ParseRadioSimArgs(std::vector<std::string>(argv + 1, argv + argc), config);
  if (!why.empty()) {
    std::cerr << "rondel-radiosim: " << why << "\n" << kRadioSimUsage;
    return kExitUsage;
  }
  if (config.help) {
    std::cout << kRadioSimUsage;
    return 0;
  }
  if (config.version) {
    std::cout << "rondel-radiosim " << rondel::ProgramVersion() << "\n";
    return 0;
  }

  VirtualRadio radio(config.radio);
  if (!config.load.empty()) {
    Memory memory{};
    if (!LoadMemory(config.load, memory)) {
      std::cerr << "rondel-radiosim: cannot load " << config.load << "\n";
      return kExitNoInput;
    }
    radio.SetMemory(memory);
  }
  if (config.setPassword) radio.SetPassword(rondel::EncodePassword(config.password));
  if (config.log) {
    radio.SetFrameObserver([](const ReceivedFrame& frame) {
      std::fprintf(stderr, "%s\n", DescribeFrame(frame).c_str());
    });
  }

  // The signals are taken by sigtimedwait below; the radio's thread inherits the mask.
  sigset_t stop;
  sigemptyset(&stop);
  sigaddset(&stop, SIGINT);
  sigaddset(&stop, SIGTERM);
  sigaddset(&stop, SIGHUP);
  pthread_sigmask(SIG_BLOCK, &stop, nullptr);

  if (!radio.Start()) {
    std::cerr << "rondel-radiosim: " << radio.error() << "\n";
    return kExitOsError;
  }
  if (!config.link.empty() && !MakeLink(config.link, radio.DevicePath())) {
    std::cerr << "rondel-radiosim: cannot make the link " << config.link << "\n";
    return kExitCantCreate;
  }
  std::cout << radio.DevicePath() << std::endl;

  const timespec tick{0, 100 * 1000 * 1000};
  while (!radio.HungUp()) {
    const int sig = sigtimedwait(&stop, nullptr, &tick);
    if (sig > 0) break;
  }
  radio.Stop();
  if (!config.link.empty()) ::unlink(config.link.c_str());

  int status = 0;
  if (!config.save.empty() && !SaveMemory(config.save, radio.GetMemory())) {
    std::cerr << "rondel-radiosim: cannot save " << config.save << "\n";
    status = kExitCantCreate;
  }
  return status;
}
