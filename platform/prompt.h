// SPDX-License-Identifier: GPL-3.0-or-later
// The one way the program asks or tells the user something: a message with caption, icon and
// buttons, and the two file choosers. The desktop program answers with Qt dialogs; tests
// install a scripted answerer; the command line has its own.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace rondel {

enum class PromptIcon { None, Error, Warning, Stop, Information };
enum class PromptButtons { Ok, OkCancel, YesNoCancel };
enum class PromptAnswer { Ok, Cancel, Yes, No };

struct PromptRequest {
  std::string text;
  std::string caption;
  PromptIcon icon = PromptIcon::None;
  PromptButtons buttons = PromptButtons::Ok;
};

struct FileDialogRequest {
  std::string filterName;     // "Radio Program Data Files(*.dig)"
  std::string extension;      // ".dig"
  std::string proposedPath;   // save: the name offered; open: the folder to start in
};

// A short secret typed into a masked field: only the `allowed` characters, at most `maxLength`.
struct SecretRequest {
  std::string text;
  std::string caption;
  std::size_t maxLength = 0;
  std::string allowed;
};

class Prompter {
 public:
  virtual ~Prompter() = default;
  virtual PromptAnswer Ask(const PromptRequest& request) = 0;
  // The chosen path, or nothing when the user cancelled.
  virtual std::optional<std::string> ChooseFileToOpen(const FileDialogRequest& request) = 0;
  virtual std::optional<std::string> ChooseFileToSave(const FileDialogRequest& request) = 0;
  // What was typed, or nothing when the user cancelled. Without an answerer of its own, a
  // prompter cancels.
  virtual std::optional<std::string> AskSecret(const SecretRequest& request) {
    (void)request;
    return std::nullopt;
  }
};

// The prompter of the process. Until one is installed every question is answered Cancel and
// every file choice with nothing, so nothing is ever done without the user's consent.
Prompter& CurrentPrompter();
void SetPrompter(Prompter* prompter);

// Shorthand for CurrentPrompter().Ask(...).
PromptAnswer ShowPrompt(const std::string& text, const std::string& caption, PromptIcon icon,
                        PromptButtons buttons);

// The save dialog's path with the extension added when the user typed none.
std::string WithExtension(const std::string& path, const std::string& extension);

}  // namespace rondel
