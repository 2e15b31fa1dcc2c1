// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/help/help_contents.h"

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <map>
#include <optional>

namespace rondel {
namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}

void AppendUtf8(std::string& out, std::uint32_t cp) {
  if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) cp = 0xFFFD;
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

struct Tag {
  std::string name;  // lower case, "/ul" for a closing tag
  std::map<std::string, std::string> attributes;  // names in lower case, values decoded
};

// Reads the tag whose "<" is at `at`; `at` ends after its ">". Nothing for a comment or a
// declaration, which are skipped whole.
std::optional<Tag> ReadTag(std::string_view html, std::size_t& at) {
  if (html.substr(at, 4) == "<!--") {
    const std::size_t end = html.find("-->", at + 4);
    at = end == std::string_view::npos ? html.size() : end + 3;
    return std::nullopt;
  }
  std::size_t i = at + 1;
  const auto skipSpace = [&] {
    while (i < html.size() && std::isspace(static_cast<unsigned char>(html[i]))) ++i;
  };
  const auto isNameChar = [&](std::size_t k) {
    const unsigned char c = static_cast<unsigned char>(html[k]);
    return std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == ':' || c == '!';
  };
  Tag tag;
  const std::size_t nameStart = i;
  while (i < html.size() && isNameChar(i)) ++i;
  tag.name = Lower(html.substr(nameStart, i - nameStart));
  while (i < html.size() && html[i] != '>') {
    skipSpace();
    if (i >= html.size() || html[i] == '>') break;
    if (html[i] == '/') {
      ++i;
      continue;
    }
    const std::size_t attrStart = i;
    while (i < html.size() && !std::isspace(static_cast<unsigned char>(html[i])) && html[i] != '=' &&
           html[i] != '>')
      ++i;
    std::string attrName = Lower(html.substr(attrStart, i - attrStart));
    skipSpace();
    std::string value;
    if (i < html.size() && html[i] == '=') {
      ++i;
      skipSpace();
      if (i < html.size() && (html[i] == '"' || html[i] == '\'')) {
        const char quote = html[i++];
        const std::size_t end = html.find(quote, i);
        const std::size_t stop = end == std::string_view::npos ? html.size() : end;
        value = DecodeHtmlEntities(html.substr(i, stop - i));
        i = stop == html.size() ? stop : stop + 1;
      } else {
        const std::size_t valueStart = i;
        while (i < html.size() && !std::isspace(static_cast<unsigned char>(html[i])) && html[i] != '>')
          ++i;
        value = DecodeHtmlEntities(html.substr(valueStart, i - valueStart));
      }
    }
    if (attrName.empty()) {
      ++i;  // a stray character: step over it
      continue;
    }
    tag.attributes.emplace(std::move(attrName), std::move(value));
  }
  at = i < html.size() ? i + 1 : html.size();
  if (tag.name.empty() || tag.name[0] == '!') return std::nullopt;
  return tag;
}

}  // namespace

std::string DecodeHtmlEntities(std::string_view text) {
  static const std::map<std::string, std::uint32_t> kNamed = {
      {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0}};
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      out += text[i];
      continue;
    }
    const std::size_t semi = text.find(';', i + 1);
    if (semi == std::string_view::npos || semi - i > 10) {
      out += '&';
      continue;
    }
    const std::string_view entity = text.substr(i + 1, semi - i - 1);
    std::optional<std::uint32_t> cp;
    if (entity.size() > 1 && entity[0] == '#') {
      const bool hex = entity[1] == 'x' || entity[1] == 'X';
      const std::string digits(entity.substr(hex ? 2 : 1));
      char* end = nullptr;
      const unsigned long v = std::strtoul(digits.c_str(), &end, hex ? 16 : 10);
      if (!digits.empty() && end && *end == '\0') cp = static_cast<std::uint32_t>(std::min(v, 0x110000UL));
    } else if (auto it = kNamed.find(Lower(entity)); it != kNamed.end()) {
      cp = it->second;
    }
    if (!cp) {
      out += '&';
      continue;
    }
    AppendUtf8(out, *cp);
    i = semi;
  }
  return out;
}

std::vector<HelpTopic> ParseSitemap(std::string_view html) {
  std::vector<HelpTopic> roots;
  // The lists open at the moment; each entry is the list new entries are appended to. The
  // list of a nested <UL> belongs to the entry appended last in the list around it.
  std::vector<std::vector<HelpTopic>*> lists;
  std::optional<HelpTopic> entry;  // inside <OBJECT type="text/sitemap">
  bool nameSeen = false;

  const auto current = [&]() -> std::vector<HelpTopic>& { return lists.empty() ? roots : *lists.back(); };

  std::size_t at = 0;
  while ((at = html.find('<', at)) != std::string_view::npos) {
    const std::optional<Tag> tag = ReadTag(html, at);
    if (!tag) continue;
    if (tag->name == "ul") {
      std::vector<HelpTopic>& outer = current();
      if (lists.empty()) {
        lists.push_back(&roots);  // an outermost list
      } else if (outer.empty()) {
        lists.push_back(&outer);  // a nested list with no entry before it joins its parent
      } else {
        lists.push_back(&outer.back().children);
      }
    } else if (tag->name == "/ul") {
      if (!lists.empty()) lists.pop_back();
    } else if (tag->name == "object") {
      auto type = tag->attributes.find("type");
      if (type != tag->attributes.end() && Lower(type->second) == "text/sitemap") {
        entry = HelpTopic{};
        nameSeen = false;
      }
    } else if (tag->name == "param" && entry) {
      const auto name = tag->attributes.find("name");
      const auto value = tag->attributes.find("value");
      if (name == tag->attributes.end() || value == tag->attributes.end()) continue;
      const std::string which = Lower(name->second);
      if (which == "name" && !nameSeen) {
        entry->name = value->second;
        nameSeen = true;
      } else if (which == "local" && entry->local.empty()) {
        entry->local = value->second;
      }
    } else if (tag->name == "/object" && entry) {
      // The "properties" object of a sitemap carries no name and opens nothing.
      if (!entry->name.empty() || !entry->local.empty()) current().push_back(std::move(*entry));
      entry.reset();
    }
  }
  return roots;
}

}  // namespace rondel
