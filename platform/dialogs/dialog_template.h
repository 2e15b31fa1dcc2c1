// SPDX-License-Identifier: GPL-3.0-or-later
// Dialog templates as the program keeps them: one table of controls per dialog (number, kind,
// rectangle in dialog units, built-in text, style words), parsed from the text form in
// resources/dialogs, which the build compiles into the program. Plain C++.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace rondel {

enum class ControlKind {
  LText,          // static text, left-aligned
  RText,          // static text, right-aligned
  CText,          // static text, centred
  GroupBox,
  PushButton,
  DefPushButton,  // the dialog's default button
  RadioButton,    // automatic: a click selects it and clears the others of its group
  CheckBox,       // automatic
  ComboBox,       // its height is that of the opened list
  Edit,
  Progress,
  Icon,           // its text names the icon resource
  Slider,
  ScrollBar,      // a scroll bar control: it moves only where its owner puts it
  Custom,         // a control class of the program's own ("class=<name>")
};

// The unnamed controls' number.
inline constexpr int kUnnamedControl = 65535;

struct ControlTemplate {
  ControlKind kind = ControlKind::LText;
  int id = kUnnamedControl;
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  std::string text;
  std::vector<std::string> styles;  // as written: "hidden", "group", "class=CGridCtrl", ...

  bool HasStyle(std::string_view word) const;
  // The value of a "key=value" style word; empty when there is none.
  std::string StyleValue(std::string_view key) const;
};

struct DialogTemplate {
  int number = 0;
  int width = 0;
  int height = 0;
  std::string caption;
  std::vector<std::string> styles;  // "modal", "caption", "sysmenu", "child"
  int fontPoints = 8;
  std::string fontFace;
  std::vector<ControlTemplate> controls;  // in creation order

  bool HasStyle(std::string_view word) const;
  // The first control with this number; nullptr when there is none.
  const ControlTemplate* Control(int id) const;
};

const char* ControlKindName(ControlKind kind);

// Parses the text form. False with a message naming the line when the text is not a valid
// template: unknown words, numbers out of range, an unterminated text, a named control
// twice, no "dialog" line.
bool ParseDialogTemplate(std::string_view text, DialogTemplate& out, std::string& error);

// The compiled-in template of dialog `number`; nullptr when the program has none.
const DialogTemplate* FindDialogTemplate(int number);
// The numbers of the compiled-in templates, ascending.
std::vector<int> DialogTemplateNumbers();

// What the build compiles in: each template file's name and text.
struct EmbeddedTemplate {
  const char* fileName;
  const char* text;
};
const std::vector<EmbeddedTemplate>& EmbeddedTemplates();

}  // namespace rondel
