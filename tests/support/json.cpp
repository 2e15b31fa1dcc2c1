#include "support/json.h"

#include <cstdio>
#include <limits>

namespace rondel::test::json {
namespace {

// Deep enough for any listing, shallow enough that a hostile text cannot exhaust the stack.
constexpr int kMaxDepth = 64;

class Parser {
 public:
  explicit Parser(std::string_view text) : m_text(text) {}

  ParseResult Run() {
    ParseResult r;
    SkipSpace();
    if (!ParseValue(r.value, 0)) return Fail(r);
    SkipSpace();
    if (m_pos != m_text.size()) {
      m_error = "unexpected text after the value";
      return Fail(r);
    }
    r.ok = true;
    return r;
  }

 private:
  ParseResult& Fail(ParseResult& r) {
    r.ok = false;
    r.value = Value();
    r.offset = m_pos;
    r.error = m_error + " at offset " + std::to_string(m_pos);
    return r;
  }

  bool Error(const char* what) {
    if (m_error.empty()) m_error = what;
    return false;
  }

  bool AtEnd() const { return m_pos >= m_text.size(); }
  char Peek() const { return AtEnd() ? '\0' : m_text[m_pos]; }

  void SkipSpace() {
    while (!AtEnd()) {
      const char c = m_text[m_pos];
      if (c != ' ' && c != '\t' && c != '\n' && c != '\r') break;
      ++m_pos;
    }
  }

  bool Literal(std::string_view word) {
    if (m_text.substr(m_pos, word.size()) != word) return Error("unknown literal");
    m_pos += word.size();
    return true;
  }

  bool ParseValue(Value& v, int depth) {
    if (depth > kMaxDepth) return Error("nesting too deep");
    switch (Peek()) {
      case '{': return ParseObject(v, depth);
      case '[': return ParseArray(v, depth);
      case '"': {
        std::string s;
        if (!ParseString(s)) return false;
        v = Value(std::move(s));
        return true;
      }
      case 't': v = Value(true); return Literal("true");
      case 'f': v = Value(false); return Literal("false");
      case 'n': v = Value(nullptr); return Literal("null");
      default:
        if (Peek() == '-' || (Peek() >= '0' && Peek() <= '9')) return ParseInteger(v);
        return Error(AtEnd() ? "unexpected end of text" : "unexpected character");
    }
  }

  bool ParseInteger(Value& v) {
    bool negative = false;
    if (Peek() == '-') {
      negative = true;
      ++m_pos;
    }
    if (!(Peek() >= '0' && Peek() <= '9')) return Error("digit expected");
    if (Peek() == '0' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] >= '0' &&
        m_text[m_pos + 1] <= '9')
      return Error("leading zero");
    // Accumulate negatively so the most negative value fits.
    std::int64_t value = 0;
    constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
    while (Peek() >= '0' && Peek() <= '9') {
      const int d = Peek() - '0';
      if (value < (kMin + d) / 10) return Error("integer out of range");
      value = value * 10 - d;
      ++m_pos;
    }
    if (Peek() == '.' || Peek() == 'e' || Peek() == 'E') return Error("only integers are accepted");
    if (!negative) {
      if (value == kMin) return Error("integer out of range");
      value = -value;
    }
    v = Value(value);
    return true;
  }

  bool Hex4(unsigned& out) {
    if (m_pos + 4 > m_text.size()) return Error("short \\u escape");
    out = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = m_text[m_pos++];
      out <<= 4;
      if (c >= '0' && c <= '9') out |= static_cast<unsigned>(c - '0');
      else if (c >= 'a' && c <= 'f') out |= static_cast<unsigned>(c - 'a' + 10);
      else if (c >= 'A' && c <= 'F') out |= static_cast<unsigned>(c - 'A' + 10);
      else return Error("bad hex digit in \\u escape");
    }
    return true;
  }

  static void AppendUtf8(std::string& s, unsigned cp) {
    if (cp < 0x80) {
      s += static_cast<char>(cp);
    } else if (cp < 0x800) {
      s += static_cast<char>(0xC0 | (cp >> 6));
      s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      s += static_cast<char>(0xE0 | (cp >> 12));
      s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      s += static_cast<char>(0xF0 | (cp >> 18));
      s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      s += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  // One multi-byte UTF-8 sequence, checked for shape, overlong forms and surrogates.
  bool CopyUtf8(std::string& s) {
    const auto lead = static_cast<unsigned char>(m_text[m_pos]);
    int extra = 0;
    unsigned cp = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      extra = 1;
      cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      extra = 2;
      cp = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      extra = 3;
      cp = lead & 0x07;
    } else {
      return Error("invalid UTF-8");
    }
    if (m_pos + 1 + static_cast<std::size_t>(extra) > m_text.size()) return Error("invalid UTF-8");
    for (int i = 1; i <= extra; ++i) {
      const auto c = static_cast<unsigned char>(m_text[m_pos + static_cast<std::size_t>(i)]);
      if ((c & 0xC0) != 0x80) return Error("invalid UTF-8");
      cp = (cp << 6) | (c & 0x3F);
    }
    static constexpr unsigned kSmallest[4] = {0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
      return Error("invalid UTF-8");
    s.append(m_text.substr(m_pos, 1 + static_cast<std::size_t>(extra)));
    m_pos += 1 + static_cast<std::size_t>(extra);
    return true;
  }

  bool ParseString(std::string& s) {
    ++m_pos;  // the opening quote
    for (;;) {
      if (AtEnd()) return Error("unterminated string");
      const char c = m_text[m_pos++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) {
        --m_pos;
        return Error("control character in string");
      }
      if (static_cast<unsigned char>(c) >= 0x80) {
        --m_pos;
        if (!CopyUtf8(s)) return false;
        continue;
      }
      if (c != '\\') {
        s += c;
        continue;
      }
      if (AtEnd()) return Error("unterminated escape");
      const char e = m_text[m_pos++];
      switch (e) {
        case '"': s += '"'; break;
        case '\\': s += '\\'; break;
        case '/': s += '/'; break;
        case 'b': s += '\b'; break;
        case 'f': s += '\f'; break;
        case 'n': s += '\n'; break;
        case 'r': s += '\r'; break;
        case 't': s += '\t'; break;
        case 'u': {
          unsigned cp = 0;
          if (!Hex4(cp)) return false;
          if (cp >= 0xDC00 && cp <= 0xDFFF) return Error("lone low surrogate");
          if (cp >= 0xD800 && cp <= 0xDBFF) {
            unsigned low = 0;
            if (m_text.substr(m_pos, 2) != "\\u") return Error("high surrogate without its pair");
            m_pos += 2;
            if (!Hex4(low)) return false;
            if (low < 0xDC00 || low > 0xDFFF) return Error("high surrogate without its pair");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          }
          AppendUtf8(s, cp);
          break;
        }
        default:
          --m_pos;
          return Error("unknown escape");
      }
    }
  }

  bool ParseArray(Value& v, int depth) {
    ++m_pos;
    Array items;
    SkipSpace();
    if (Peek() == ']') {
      ++m_pos;
      v = Value(std::move(items));
      return true;
    }
    for (;;) {
      SkipSpace();
      Value item;
      if (!ParseValue(item, depth + 1)) return false;
      items.push_back(std::move(item));
      SkipSpace();
      if (Peek() == ',') {
        ++m_pos;
        continue;
      }
      if (Peek() == ']') {
        ++m_pos;
        v = Value(std::move(items));
        return true;
      }
      return Error("',' or ']' expected");
    }
  }

  bool ParseObject(Value& v, int depth) {
    ++m_pos;
    Object members;
    SkipSpace();
    if (Peek() == '}') {
      ++m_pos;
      v = Value(std::move(members));
      return true;
    }
    for (;;) {
      SkipSpace();
      if (Peek() != '"') return Error("key expected");
      std::string key;
      if (!ParseString(key)) return false;
      for (const auto& m : members)
        if (m.first == key) return Error("duplicate key");
      SkipSpace();
      if (Peek() != ':') return Error("':' expected");
      ++m_pos;
      SkipSpace();
      Value item;
      if (!ParseValue(item, depth + 1)) return false;
      members.emplace_back(std::move(key), std::move(item));
      SkipSpace();
      if (Peek() == ',') {
        ++m_pos;
        continue;
      }
      if (Peek() == '}') {
        ++m_pos;
        v = Value(std::move(members));
        return true;
      }
      return Error("',' or '}' expected");
    }
  }

  std::string_view m_text;
  std::size_t m_pos = 0;
  std::string m_error;
};

void AppendText(std::string& out, const Value& v) {
  switch (v.kind) {
    case Kind::Null: out += "null"; break;
    case Kind::Bool: out += *v.AsBool() ? "true" : "false"; break;
    case Kind::Integer: out += std::to_string(*v.AsInteger()); break;
    case Kind::String:
      out += '"';
      for (const char c : *v.AsString()) {
        if (c == '"' || c == '\\') {
          out += '\\';
          out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
          char esc[8];
          std::snprintf(esc, sizeof esc, "\\u%04x", static_cast<unsigned>(c));
          out += esc;
        } else {
          out += c;
        }
      }
      out += '"';
      break;
    case Kind::Array: {
      out += '[';
      bool first = true;
      for (const auto& item : *v.AsArray()) {
        if (!first) out += ',';
        first = false;
        AppendText(out, item);
      }
      out += ']';
      break;
    }
    case Kind::Object: {
      out += '{';
      bool first = true;
      for (const auto& [key, item] : *v.AsObject()) {
        if (!first) out += ',';
        first = false;
        AppendText(out, Value(key));
        out += ':';
        AppendText(out, item);
      }
      out += '}';
      break;
    }
  }
}

}  // namespace

const Value* Value::Find(std::string_view key) const {
  const Object* o = AsObject();
  if (!o) return nullptr;
  for (const auto& m : *o)
    if (m.first == key) return &m.second;
  return nullptr;
}

bool Value::operator==(const Value& other) const {
  if (kind != other.kind) return false;
  switch (kind) {
    case Kind::Null: return true;
    case Kind::Bool: return boolean == other.boolean;
    case Kind::Integer: return integer == other.integer;
    case Kind::String: return string == other.string;
    case Kind::Array: return array == other.array;
    case Kind::Object: return object == other.object;
  }
  return false;
}

ParseResult Parse(std::string_view text) { return Parser(text).Run(); }

std::string ToText(const Value& v) {
  std::string out;
  AppendText(out, v);
  return out;
}

std::string_view KindName(Kind k) {
  switch (k) {
    case Kind::Null: return "null";
    case Kind::Bool: return "boolean";
    case Kind::Integer: return "integer";
    case Kind::String: return "string";
    case Kind::Array: return "array";
    case Kind::Object: return "object";
  }
  return "?";
}

}  // namespace rondel::test::json
