#include "tools/cli_harness.h"

#include <cstdlib>

namespace rondel::test::cli {

std::string BinDir() {
  const char* dir = std::getenv("RONDEL_BIN_DIR");
  return dir ? dir : "";
}

std::string CliPath() { return BinDir() + "/rondel-cli"; }

std::string ShippedIniPath() { return BinDir() + "/setting.ini"; }

ProcessResult RunCli(const std::vector<std::string>& args) {
  return RunProcess(CliPath(), args, std::chrono::seconds(30));
}

std::string TestIniText() {
  std::string text =
      "; settings of the command-line tests\r\n"
      "[setup]\r\n"
      "channel=16\r\n"
      "\r\n"
      "[modelINFO]\r\n";
  int k = 0;
  for (const IniModel& m : kTestModels) {
    text += std::string(m.key) + "=" + std::string(m.value) + "\r\n";
    text += "Freq" + std::to_string(k++) + "=range\r\n";
  }
  return text;
}

std::vector<std::string> TestModelValues() {
  std::vector<std::string> values;
  for (const IniModel& m : kTestModels) values.emplace_back(m.value);
  return values;
}

std::vector<std::uint8_t> DataFile(const ImageBytes& image, std::string_view header) {
  std::vector<std::uint8_t> bytes(header.begin(), header.end());
  bytes.resize(kHeaderBytes, 0);
  bytes.insert(bytes.end(), image.begin(), image.end());
  return bytes;
}

ImageBytes BlankImage() {
  ImageBytes image;
  image.fill(0xFF);
  return image;
}

}  // namespace rondel::test::cli
