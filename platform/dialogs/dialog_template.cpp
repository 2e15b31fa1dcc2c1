// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/dialogs/dialog_template.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <map>
#include <memory>
#include <set>

namespace rondel {
namespace {

struct KindName {
  ControlKind kind;
  const char* name;
};
constexpr std::array<KindName, 15> kKindNames = {{
    {ControlKind::LText, "ltext"},
    {ControlKind::RText, "rtext"},
    {ControlKind::CText, "ctext"},
    {ControlKind::GroupBox, "groupbox"},
    {ControlKind::PushButton, "pushbutton"},
    {ControlKind::DefPushButton, "defpushbutton"},
    {ControlKind::RadioButton, "radio"},
    {ControlKind::CheckBox, "checkbox"},
    {ControlKind::ComboBox, "combobox"},
    {ControlKind::Edit, "edit"},
    {ControlKind::Progress, "progress"},
    {ControlKind::Icon, "icon"},
    {ControlKind::Slider, "slider"},
    {ControlKind::ScrollBar, "scrollbar"},
    {ControlKind::Custom, "custom"},
}};

// A misspelt style word would silently lose its effect, so only these are taken.
const std::set<std::string_view> kDialogStyles = {"modal", "caption", "sysmenu", "child"};
// "name=<NAME>" gives the number a name in the code (the build makes a header of them).
const std::set<std::string_view> kDialogValueStyles = {"name"};
const std::set<std::string_view> kControlStyles = {
    "hidden",   "disabled", "group",  "tabstop",   "noprefix", "password", "autohscroll",
    "dropdownlist", "sorted", "vscroll", "uppercase", "smooth", "border", "vertical",
    "autoticks", "readonly"};
const std::set<std::string_view> kControlValueStyles = {"class", "name"};

constexpr int kMaxCoordinate = 32767;

struct Token {
  std::string text;
  bool quoted = false;
};

// Splits a line into words and quoted texts; false for an unterminated text.
bool Tokenize(std::string_view line, std::vector<Token>& tokens) {
  std::size_t i = 0;
  while (i < line.size()) {
    const char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    Token t;
    if (c == '"') {
      t.quoted = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        const char d = line[i++];
        if (d == '\\' && i < line.size() && (line[i] == '"' || line[i] == '\\')) {
          t.text += line[i++];
        } else if (d == '"') {
          closed = true;
          break;
        } else {
          t.text += d;
        }
      }
      if (!closed) return false;
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r' &&
             line[i] != '"')
        t.text += line[i++];
    }
    tokens.push_back(std::move(t));
  }
  return true;
}

bool ToInt(const Token& t, int low, int high, int& value) {
  if (t.quoted || t.text.empty()) return false;
  const char* first = t.text.data();
  const char* last = first + t.text.size();
  const auto [end, ec] = std::from_chars(first, last, value);
  return ec == std::errc() && end == last && value >= low && value <= high;
}

bool IsStyleWord(const std::string& word, const std::set<std::string_view>& plain,
                 const std::set<std::string_view>* valued) {
  if (plain.count(word)) return true;
  const std::size_t eq = word.find('=');
  if (valued == nullptr || eq == std::string::npos || eq + 1 == word.size()) return false;
  return valued->count(std::string_view(word).substr(0, eq)) != 0;
}

bool HasWord(const std::vector<std::string>& words, std::string_view word) {
  return std::find(words.begin(), words.end(), word) != words.end();
}

}  // namespace

bool ControlTemplate::HasStyle(std::string_view word) const { return HasWord(styles, word); }

std::string ControlTemplate::StyleValue(std::string_view key) const {
  for (const std::string& s : styles) {
    if (s.size() > key.size() && s.compare(0, key.size(), key) == 0 && s[key.size()] == '=')
      return s.substr(key.size() + 1);
  }
  return {};
}

bool DialogTemplate::HasStyle(std::string_view word) const { return HasWord(styles, word); }

const ControlTemplate* DialogTemplate::Control(int id) const {
  for (const ControlTemplate& c : controls)
    if (c.id == id) return &c;
  return nullptr;
}

const char* ControlKindName(ControlKind kind) {
  for (const KindName& k : kKindNames)
    if (k.kind == kind) return k.name;
  return "?";
}

bool ParseDialogTemplate(std::string_view text, DialogTemplate& out, std::string& error) {
  DialogTemplate tpl;
  bool haveDialog = false;
  std::set<int> named;
  int lineNumber = 0;
  std::size_t pos = 0;
  auto fail = [&](const std::string& why) {
    error = "line " + std::to_string(lineNumber) + ": " + why;
    return false;
  };
  while (pos <= text.size()) {
    std::size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNumber;

    const std::size_t first = line.find_first_not_of(" \t\r");
    if (first == std::string_view::npos || line[first] == ';' || line[first] == '#') continue;
    std::vector<Token> tokens;
    if (!Tokenize(line, tokens)) return fail("a text without its closing quote");
    const std::string& word = tokens[0].text;

    if (word == "dialog") {
      if (haveDialog) return fail("a second \"dialog\" line");
      if (tokens.size() < 4 || !ToInt(tokens[1], 1, 65534, tpl.number) ||
          !ToInt(tokens[2], 1, kMaxCoordinate, tpl.width) ||
          !ToInt(tokens[3], 1, kMaxCoordinate, tpl.height))
        return fail("expected: dialog <number> <width> <height>");
      std::size_t i = 4;
      if (i < tokens.size() && tokens[i].quoted) tpl.caption = tokens[i++].text;
      for (; i < tokens.size(); ++i) {
        if (tokens[i].quoted || !IsStyleWord(tokens[i].text, kDialogStyles, &kDialogValueStyles))
          return fail("unknown dialog style \"" + tokens[i].text + "\"");
        tpl.styles.push_back(tokens[i].text);
      }
      haveDialog = true;
      continue;
    }
    if (!haveDialog) return fail("\"" + word + "\" before the \"dialog\" line");
    if (word == "font") {
      if (tokens.size() != 3 || !ToInt(tokens[1], 1, 72, tpl.fontPoints) || !tokens[2].quoted)
        return fail("expected: font <points> \"<face>\"");
      tpl.fontFace = tokens[2].text;
      continue;
    }

    const auto kind = std::find_if(kKindNames.begin(), kKindNames.end(),
                                   [&](const KindName& k) { return word == k.name; });
    if (kind == kKindNames.end() || tokens[0].quoted)
      return fail("unknown control kind \"" + word + "\"");
    ControlTemplate c;
    c.kind = kind->kind;
    if (tokens.size() < 6 || !ToInt(tokens[1], 1, kUnnamedControl, c.id) ||
        !ToInt(tokens[2], 0, kMaxCoordinate, c.x) || !ToInt(tokens[3], 0, kMaxCoordinate, c.y) ||
        !ToInt(tokens[4], 0, kMaxCoordinate, c.width) ||
        !ToInt(tokens[5], 0, kMaxCoordinate, c.height))
      return fail("expected: " + word + " <id> <x> <y> <width> <height>");
    std::size_t i = 6;
    if (i < tokens.size() && tokens[i].quoted) c.text = tokens[i++].text;
    for (; i < tokens.size(); ++i) {
      if (tokens[i].quoted || !IsStyleWord(tokens[i].text, kControlStyles, &kControlValueStyles))
        return fail("unknown control style \"" + tokens[i].text + "\"");
      c.styles.push_back(tokens[i].text);
    }
    if (c.kind == ControlKind::Custom && c.StyleValue("class").empty())
      return fail("a custom control needs class=<name>");
    // Translation finds a control by its number, so a named one must be unique.
    if (c.id != kUnnamedControl && !named.insert(c.id).second)
      return fail("control " + std::to_string(c.id) + " twice");
    tpl.controls.push_back(std::move(c));
  }
  if (!haveDialog) {
    error = "no \"dialog\" line";
    return false;
  }
  out = std::move(tpl);
  error.clear();
  return true;
}

namespace {

const std::map<int, DialogTemplate>& ParsedTemplates() {
  // Parsed once: the texts are part of the program and never change while it runs. A text
  // that does not parse is left out (the tests parse every one).
  static const std::map<int, DialogTemplate> parsed = [] {
    std::map<int, DialogTemplate> m;
    for (const EmbeddedTemplate& e : EmbeddedTemplates()) {
      DialogTemplate t;
      std::string error;
      if (ParseDialogTemplate(e.text, t, error)) m.emplace(t.number, std::move(t));
    }
    return m;
  }();
  return parsed;
}

}  // namespace

const DialogTemplate* FindDialogTemplate(int number) {
  const auto& m = ParsedTemplates();
  const auto it = m.find(number);
  return it == m.end() ? nullptr : &it->second;
}

std::vector<int> DialogTemplateNumbers() {
  std::vector<int> numbers;
  for (const auto& [n, t] : ParsedTemplates()) numbers.push_back(n);
  return numbers;
}

}  // namespace rondel
