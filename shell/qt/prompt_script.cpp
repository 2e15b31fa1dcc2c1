// SPDX-License-Identifier: GPL-3.0-or-later
#include "shell/qt/prompt_script.h"

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <vector>

#include "platform/exe_path.h"
#include "shell/file_messages.h"
#include "shell/language.h"

namespace rondel {
namespace {

std::string Escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += "\\n";
    } else if (c == '\t') {
      out += "\\t";
    } else {
      out += c;
    }
  }
  return out;
}

bool StartsWith(const std::string& s, const char* prefix) {
  return s.rfind(prefix, 0) == 0;
}

}  // namespace

const char* PromptIconName(PromptIcon icon) {
  switch (icon) {
    case PromptIcon::None:
      return "none";
    case PromptIcon::Error:
      return "error";
    case PromptIcon::Warning:
      return "warning";
    case PromptIcon::Stop:
      return "stop";
    case PromptIcon::Information:
      return "information";
  }
  return "?";
}

const char* PromptButtonsName(PromptButtons buttons) {
  switch (buttons) {
    case PromptButtons::Ok:
      return "ok";
    case PromptButtons::OkCancel:
      return "ok-cancel";
    case PromptButtons::YesNoCancel:
      return "yes-no-cancel";
  }
  return "?";
}

CPromptScript::CPromptScript(const std::string& scriptPath, std::string logPath)
    : m_logPath(std::move(logPath)) {
  // A FIFO would hold the start-up until someone writes to it, and /dev/zero never ends.
  std::vector<std::uint8_t> bytes;
  ReadWholeFile(scriptPath, bytes, kMaxPromptScriptBytes, &m_refusal);
  const std::string text(bytes.begin(), bytes.end());
  for (std::size_t at = 0; at < text.size();) {
    std::size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    m_lines.push_back(line);
  }
}

void CPromptScript::Log(const std::string& line) {
  // Appended and closed at once, so the log is complete even if the program is killed.
  std::ofstream out(m_logPath, std::ios::app);
  out << line << '\n';
}

bool CPromptScript::NextLine(std::string& line) {
  if (m_lines.empty()) return false;
  line = m_lines.front();
  m_lines.pop_front();
  return true;
}

PromptAnswer CPromptScript::Ask(const PromptRequest& request) {
  Log(std::string("ask\t") + PromptIconName(request.icon) + "\t" +
      PromptButtonsName(request.buttons) + "\t" + Escaped(request.caption) + "\t" +
      Escaped(request.text));
  std::string line;
  if (!NextLine(line))
    return request.buttons == PromptButtons::Ok ? PromptAnswer::Ok : PromptAnswer::Cancel;
  if (line == "ok") return PromptAnswer::Ok;
  if (line == "yes") return PromptAnswer::Yes;
  if (line == "no") return PromptAnswer::No;
  return PromptAnswer::Cancel;
}

std::optional<std::string> CPromptScript::ChooseFileToOpen(const FileDialogRequest& request) {
  Log("open\t" + request.filterName + "\t" + request.extension);
  std::string line;
  if (!NextLine(line) || !StartsWith(line, "open ")) return std::nullopt;
  return line.substr(5);
}

std::optional<std::string> CPromptScript::ChooseFileToSave(const FileDialogRequest& request) {
  Log("save\t" + request.filterName + "\t" + request.proposedPath);
  std::string line;
  if (!NextLine(line) || !StartsWith(line, "save ")) return std::nullopt;
  return line.substr(5);
}

std::optional<std::string> CPromptScript::AskSecret(const SecretRequest& request) {
  Log("secret\t" + Escaped(request.caption) + "\t" + Escaped(request.text));
  std::string line;
  if (!NextLine(line) || !StartsWith(line, "secret ")) return std::nullopt;
  return line.substr(7);
}

std::unique_ptr<Prompter> PromptScriptFromEnvironment() {
  const char* script = std::getenv(kPromptScriptVariable);
  if (script == nullptr || *script == '\0') return nullptr;
  const char* log = std::getenv(kPromptLogVariable);
  auto prompter = std::make_unique<CPromptScript>(
      script, log && *log ? std::string(log) : std::string(script) + ".log");
  if (prompter->Refusal().problem != ReadProblem::None) {
    const std::string lang = StartupLanguagePath(ExecutableDir());
    std::cerr << "rondel: " << GetLangStringFrom(lang, "IDS_ERROR_PROMPTSCRIPT") << " " << script
              << ": " << ReadErrorReason(prompter->Refusal(), lang) << std::endl;
  }
  return prompter;
}

}  // namespace rondel
