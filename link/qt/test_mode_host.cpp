#include "link/qt/test_mode_host.h"

#include "platform/prompt.h"

namespace rondel {

void ShowTestModeMessage(TestModeHost& host, TestModeResult result, bool writeAll) {
  const TestModeMessage m = MessageOf(result, writeAll);
  if (m.text == nullptr) return;
  ShowPrompt(host.Text(m.text), host.Text(m.caption),
             m.errorIcon ? PromptIcon::Error : PromptIcon::None, PromptButtons::Ok);
}

}  // namespace rondel
