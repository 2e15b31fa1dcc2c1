// SPDX-License-Identifier: GPL-3.0-or-later
// A test hook of the program: with RONDEL_PROMPT_SCRIPT=<file> in the environment, every
// message box and file dialog is answered from that file instead of being shown, and written
// to RONDEL_PROMPT_LOG (default: the script's path + ".log"), so a test can run the real
// program without a person. Plain C++.
//
// The script holds one answer a line, used in order: "ok", "cancel", "yes", "no",
// "open <path>", "open-cancel", "save <path>", "save-cancel", "secret <text>" (a masked
// field's entry; anything else cancels it); empty lines and lines starting
// with "#" are skipped. When the answers run out, a message with only an OK button is
// acknowledged and everything else is cancelled. Each log line is one prompt:
//   ask<TAB><icon><TAB><buttons><TAB><caption><TAB><text>     (line breaks as \n, tabs as \t)
//   open<TAB><filter name><TAB><extension>
//   save<TAB><filter name><TAB><proposed path>
//   secret<TAB><caption><TAB><text>
// The script is held to what any file the program reads is held to: only a regular file of at
// most 1 MiB, opened without waiting, is read. A refused one counts as a script without
// answers, and PromptScriptFromEnvironment says so on stderr.
#pragma once

#include <deque>
#include <memory>
#include <string>

#include "platform/atomic_file.h"
#include "platform/prompt.h"

namespace rondel {

inline constexpr const char* kPromptScriptVariable = "RONDEL_PROMPT_SCRIPT";
inline constexpr const char* kPromptLogVariable = "RONDEL_PROMPT_LOG";
inline constexpr std::size_t kMaxPromptScriptBytes = std::size_t{1} << 20;

class CPromptScript : public Prompter {
 public:
  CPromptScript(const std::string& scriptPath, std::string logPath);

  PromptAnswer Ask(const PromptRequest& request) override;
  std::optional<std::string> ChooseFileToOpen(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseFileToSave(const FileDialogRequest& request) override;
  std::optional<std::string> AskSecret(const SecretRequest& request) override;

  // Why the script was not read; ReadProblem::None when it was.
  const ReadError& Refusal() const { return m_refusal; }

 private:
  void Log(const std::string& line);
  bool NextLine(std::string& line);

  std::deque<std::string> m_lines;
  std::string m_logPath;
  ReadError m_refusal;
};

// The hook when the environment asks for it; nullptr otherwise. A script that is refused is
// named on stderr, with the reason, in the words of the language file the program starts with.
std::unique_ptr<Prompter> PromptScriptFromEnvironment();

const char* PromptIconName(PromptIcon icon);
const char* PromptButtonsName(PromptButtons buttons);

}  // namespace rondel
