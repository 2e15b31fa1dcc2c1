// The line that names the port a radio did not answer on: the port the exchange begins with
// (the open one, else the configured one through the [ports] mapping) and how it is worded.
#include <gtest/gtest.h>

#include "link/link_rig.h"
#include "link/port_message.h"

namespace rondel::test {
namespace {

std::string Lang(std::string_view key) {
  if (key == "IDS_ERROR_PORTTRIED") return "tried %s here";
  if (key == "IDS_ERROR_PORTSEARCHED") return "first %s, then all";
  return "Not Found";
}

struct PortCase {
  const char* name;
  bool linkOpen;
  std::string openDevice;
  int com;
  std::map<int, std::string> ports;
  bool search;
  std::string text;
};

const PortCase kPorts[] = {
    {"ConfiguredAndMapped", false, "", 2, {{2, "/dev/serial/by-id/usb-FTDI-if00"}}, false,
     "tried COM2 (/dev/serial/by-id/usb-FTDI-if00) here"},
    {"ConfiguredWithoutMapping", false, "", 3, {}, false, "tried COM3 (" + MissingPort(3) + ") here"},
    {"WithTheSearch", false, "", 1, {{1, "/dev/ttyACM0"}}, true, "first COM1 (/dev/ttyACM0), then all"},
    // An open port left by an earlier exchange is used as it is: its device is what was tried.
    {"LeftOpen", true, "/dev/ttyS4", 7, {{7, "/dev/other"}}, false, "tried /dev/ttyS4 here"},
};

class PortMessage : public ::testing::TestWithParam<PortCase> {};

TEST_P(PortMessage, NamesThePortAndTheDeviceBehindIt) {
  const PortCase& c = GetParam();
  TableSettings settings;
  settings.com = c.com;
  settings.search = c.search;
  settings.ports = c.ports;
  const PortTried port = PortToBeTried(c.linkOpen, c.openDevice, settings);
  EXPECT_EQ(PortTriedText(port, Lang), c.text);
}

INSTANTIATE_TEST_SUITE_P(Cases, PortMessage, ::testing::ValuesIn(kPorts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(PortMessageText, DescribesANumberWithItsDeviceOrWhatThereIs) {
  EXPECT_EQ(DescribePort({2, "/dev/x", false}), "COM2 (/dev/x)");
  EXPECT_EQ(DescribePort({0, "/dev/y", false}), "/dev/y");
  // "com" that is no number reads as 0, and numbers beyond 255 map to no device at all.
  EXPECT_EQ(DescribePort({0, "", false}), "COM0");
  EXPECT_EQ(DescribePort({300, "", false}), "COM300");
}

// A language file whose text lacks the place for the port still gets the port, after it.
TEST(PortMessageText, WithoutAPlaceholderThePortFollowsTheText) {
  const PortTried port{4, "/dev/ttyUSB3", false};
  EXPECT_EQ(PortTriedText(port, [](std::string_view) { return std::string("Port:"); }),
            "Port: COM4 (/dev/ttyUSB3)");
  // Only the first "%s" is filled in; nothing else is read as a format.
  EXPECT_EQ(PortTriedText(port, [](std::string_view) { return std::string("%s %s %d"); }),
            "COM4 (/dev/ttyUSB3) %s %d");
}

}  // namespace
}  // namespace rondel::test
