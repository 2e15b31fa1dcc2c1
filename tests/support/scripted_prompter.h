// SPDX-License-Identifier: GPL-3.0-or-later
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
  void ChooseOpen(std::optional<std::string> path) { m_open.push_back(std::move(path)); }
  void ChooseSave(std::optional<std::string> path) { m_save.push_back(std::move(path)); }
  void TypeSecret(std::optional<std::string> text) { m_secrets.push_back(std::move(text)); }
  bool Exhausted() const {
    return m_answers.empty() && m_open.empty() && m_save.empty() && m_secrets.empty();
  }

  PromptAnswer Ask(const PromptRequest& request) override {
    prompts.push_back(request);
    // A message that needs no decision is simply acknowledged.
    if (m_answers.empty() && request.buttons == PromptButtons::Ok) return PromptAnswer::Ok;
    return Next(m_answers, PromptAnswer::Cancel, "question: " + request.text);
  }
  std::optional<std::string> ChooseFileToOpen(const FileDialogRequest& request) override {
    openDialogs.push_back(request);
    return Next(m_open, {}, "open dialog");
  }
  std::optional<std::string> ChooseFileToSave(const FileDialogRequest& request) override {
    saveDialogs.push_back(request);
    return Next(m_save, {}, "save dialog");
  }
  std::optional<std::string> AskSecret(const SecretRequest& request) override {
    secrets.push_back(request);
    return Next(m_secrets, {}, "secret: " + request.text);
  }

  std::vector<PromptRequest> prompts;
  std::vector<FileDialogRequest> openDialogs, saveDialogs;
  std::vector<SecretRequest> secrets;

 private:
  template <typename T>
  static T Next(std::deque<T>& script, T unscripted, const std::string& what) {
    if (script.empty()) ADD_FAILURE() << "unexpected " << what;
    if (script.empty()) return unscripted;
    T next = std::move(script.front());
    script.pop_front();
    return next;
  }

  std::deque<PromptAnswer> m_answers;
  std::deque<std::optional<std::string>> m_open, m_save, m_secrets;
};

}  // namespace rondel::test
