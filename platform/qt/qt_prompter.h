// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop program's answerer of the prompt layer: Qt message boxes and file dialogs, modal
// to the main window.
#pragma once

#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "platform/prompt.h"

namespace rondel {

class CQtPrompter : public Prompter {
 public:
  // The texts of the buttons come from `texts` ("IDS_BUTTON_OK", "IDS_BUTTON_CANCEL",
  // "IDS_BUTTON_YES", "IDS_BUTTON_NO"); without it, or where it answers "Not Found", Qt's
  // own button texts stay.
  using TextLookup = std::function<std::string(std::string_view key)>;

  explicit CQtPrompter(QWidget* parent = nullptr, TextLookup texts = {});

  void SetParent(QWidget* parent) { m_parent = parent; }
  QWidget* Parent() const { return m_parent; }

  // Escape and the close box answer Cancel where there is a Cancel button, else Ok.
  PromptAnswer Ask(const PromptRequest& request) override;
  // Both offer the data files and "IDS_FILTER_ALL" (all files), and start in the folder of
  // the request's path, else where the last dialog ended.
  std::optional<std::string> ChooseFileToOpen(const FileDialogRequest& request) override;
  std::optional<std::string> ChooseFileToSave(const FileDialogRequest& request) override;
  // A masked line under the request's text, OK and Cancel; only allowed characters type.
  std::optional<std::string> AskSecret(const SecretRequest& request) override;

 private:
  QString ButtonText(const char* key) const;  // empty: keep Qt's text
  std::optional<std::string> RunFileDialog(const FileDialogRequest& request, bool save);

  QPointer<QWidget> m_parent;
  TextLookup m_texts;
  QString m_lastFolder;  // where the previous file dialog of this run ended
};

// The masked field of AskSecret: the request's text above it, OK and Cancel below (their texts
// from `texts` as the message boxes have them). Only the allowed characters can be typed.
class CSecretDialog : public QDialog {
 public:
  CSecretDialog(const SecretRequest& request, const CQtPrompter::TextLookup& texts,
                QWidget* parent = nullptr);
  QLineEdit* Field() const { return m_field; }
  std::string Text() const;

 private:
  QLineEdit* m_field = nullptr;
};

// The name filter Qt's file dialog wants for `filterName` and `extension`: the name, then the
// pattern in parentheses, e.g. "Radio Program Data Files(*.dig) (*.dig)". Qt takes the last
// parenthesised group as the patterns, so a name that itself ends in "(*.dig)" stays whole.
QString FileDialogFilter(const std::string& filterName, const std::string& extension);

// `text` with word joiners between the characters of every word that holds a "/", so a line
// break never falls inside a path.
QString KeepPathsWhole(const QString& text);

}  // namespace rondel
