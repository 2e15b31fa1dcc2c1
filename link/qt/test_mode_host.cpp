// SPDX-License-Identifier: GPL-3.0-or-later
#include "link/qt/test_mode_host.h"

#include "platform/prompt.h"

namespace rondel {

void ShowTestModeMessage(TestModeHost& host, TestModeResult result, bool writeAll) {
  const TestModeMessage m = MessageOf(result, writeAll);
  if (m.text == nullptr) return;
  // No port opened at all: why not is the whole story, the radio was never asked.
  std::optional<std::string> why;
  if (result == TestModeResult::NoConnection) why = host.NoPortOpenedText();
  ShowPrompt(why ? *why : host.Text(m.text), host.Text(m.caption),
             m.errorIcon ? PromptIcon::Error : PromptIcon::None, PromptButtons::Ok);
}

}  // namespace rondel
