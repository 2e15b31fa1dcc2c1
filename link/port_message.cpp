#include "link/port_message.h"

namespace rondel {

PortTried PortToBeTried(bool linkOpen, const std::string& openDevice, const LinkSettings& settings) {
  PortTried port;
  port.searched = settings.SearchEnabled();
  if (linkOpen) {
    port.device = openDevice;
  } else {
    port.com = settings.Com();
    port.device = settings.PortDevice(port.com);
  }
  return port;
}

std::string DescribePort(const PortTried& port) {
  if (port.com <= 0) return port.device.empty() ? "COM" + std::to_string(port.com) : port.device;
  std::string text = "COM" + std::to_string(port.com);
  // A number outside 1..255 maps to no device at all.
  if (!port.device.empty()) text += " (" + port.device + ")";
  return text;
}

std::string PortTriedText(const PortTried& port,
                          const std::function<std::string(std::string_view)>& lang) {
  std::string text = lang(port.searched ? "IDS_ERROR_PORTSEARCHED" : "IDS_ERROR_PORTTRIED");
  // The language file's text is no format string: only its first "%s" is filled in.
  const std::size_t at = text.find("%s");
  const std::string name = DescribePort(port);
  if (at == std::string::npos) return text + " " + name;
  return text.replace(at, 2, name);
}

}  // namespace rondel
