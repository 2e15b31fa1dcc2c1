// Answers the program's questions from a script and records every prompt, so a test states
// exactly which messages the user sees and how they answer them.
#pragma once

#include <gtest/gtest.h>

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "platform/prompt.h"

namespace rondel::test {

class ScriptedPrompter : public Prompter {
 public:
  ScriptedPrompter() { SetPrompter(this); }
  ~ScriptedPrompter() override { SetPrompter(nullptr); }

  // The next answers, in order.
  void Answer(PromptAnswer a) { m_answers.push_back(a); }
  void ChooseOpen(std::optional<std::string> path) { m_openChoices.push_back(std::move(path)); }
  void ChooseSave(std::optional<std::string> path) { m_saveChoices.push_back(std::move(path)); }

  PromptAnswer Ask(const PromptRequest& request) override {
    prompts.push_back(request);
    if (m_answers.empty()) {
      // A message that needs no decision is simply acknowledged.
      if (request.buttons == PromptButtons::Ok) return PromptAnswer::Ok;
      ADD_FAILURE() << "unexpected question: " << request.text;
      return PromptAnswer::Cancel;
    }
    const PromptAnswer a = m_answers.front();
    m_answers.pop_front();
    return a;
  }
  std::optional<std::string> ChooseFileToOpen(const FileDialogRequest& request) override {
    openDialogs.push_back(request);
    return Next(m_openChoices, "open");
  }
  std::optional<std::string> ChooseFileToSave(const FileDialogRequest& request) override {
    saveDialogs.push_back(request);
    return Next(m_saveChoices, "save");
  }

  bool Exhausted() const {
    return m_answers.empty() && m_openChoices.empty() && m_saveChoices.empty();
  }

  std::vector<PromptRequest> prompts;
  std::vector<FileDialogRequest> openDialogs;
  std::vector<FileDialogRequest> saveDialogs;

 private:
  static std::optional<std::string> Next(std::deque<std::optional<std::string>>& q, const char* what) {
    if (q.empty()) {
      ADD_FAILURE() << "unexpected " << what << " dialog";
      return std::nullopt;
    }
    auto v = q.front();
    q.pop_front();
    return v;
  }

  std::deque<PromptAnswer> m_answers;
  std::deque<std::optional<std::string>> m_openChoices;
  std::deque<std::optional<std::string>> m_saveChoices;
};

}  // namespace rondel::test
