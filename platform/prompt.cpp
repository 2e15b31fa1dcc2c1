// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/prompt.h"

namespace rondel {
namespace {

class RefusingPrompter final : public Prompter {
 public:
  PromptAnswer Ask(const PromptRequest&) override { return PromptAnswer::Cancel; }
  std::optional<std::string> ChooseFileToOpen(const FileDialogRequest&) override { return {}; }
  std::optional<std::string> ChooseFileToSave(const FileDialogRequest&) override { return {}; }
};

RefusingPrompter g_refusing;
Prompter* g_prompter = &g_refusing;

}  // namespace

Prompter& CurrentPrompter() { return *g_prompter; }

void SetPrompter(Prompter* prompter) { g_prompter = prompter ? prompter : &g_refusing; }

PromptAnswer ShowPrompt(const std::string& text, const std::string& caption, PromptIcon icon,
                        PromptButtons buttons) {
  return CurrentPrompter().Ask({text, caption, icon, buttons});
}

std::string WithExtension(const std::string& path, const std::string& extension) {
  const std::size_t slash = path.rfind('/');
  const std::size_t dot = path.rfind('.');
  if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) return path;
  return path + extension;
}

}  // namespace rondel
