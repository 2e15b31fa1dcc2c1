// A small, strict JSON reader for checking what the programs print: objects keep their key
// order, numbers must be integers, and anything malformed is reported instead of guessed at.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rondel::test::json {

enum class Kind { Null, Bool, Integer, String, Array, Object };

struct Value;
using Array = std::vector<Value>;
using Member = std::pair<std::string, Value>;
using Object = std::vector<Member>;  // in the order of the text; duplicate keys are refused

// One value; only the member of its kind is used. A plain record rather than std::variant keeps
// the compilers' uninitialised-use warnings quiet on the recursive type.
struct Value {
  Kind kind = Kind::Null;
  bool boolean = false;
  std::int64_t integer = 0;
  std::string string;
  Array array;
  Object object;

  Value() = default;
  Value(std::nullptr_t) {}
  Value(bool b) : kind(Kind::Bool), boolean(b) {}
  Value(int i) : kind(Kind::Integer), integer(i) {}
  Value(std::int64_t i) : kind(Kind::Integer), integer(i) {}
  Value(std::string s) : kind(Kind::String), string(std::move(s)) {}
  Value(const char* s) : kind(Kind::String), string(s) {}
  Value(Array a) : kind(Kind::Array), array(std::move(a)) {}
  Value(Object o) : kind(Kind::Object), object(std::move(o)) {}

  bool IsNull() const { return kind == Kind::Null; }
  // Typed views: nullptr when the value is of another kind.
  const bool* AsBool() const { return kind == Kind::Bool ? &boolean : nullptr; }
  const std::int64_t* AsInteger() const { return kind == Kind::Integer ? &integer : nullptr; }
  const std::string* AsString() const { return kind == Kind::String ? &string : nullptr; }
  const Array* AsArray() const { return kind == Kind::Array ? &array : nullptr; }
  const Object* AsObject() const { return kind == Kind::Object ? &object : nullptr; }
  // The member named `key` of an object; nullptr when absent or not an object.
  const Value* Find(std::string_view key) const;

  // Same kind and same content; objects must also agree in the order of their keys.
  bool operator==(const Value& other) const;
};

struct ParseResult {
  bool ok = false;
  Value value;
  std::string error;       // what was wrong, with the byte offset
  std::size_t offset = 0;  // where it went wrong
};

// The whole text must be one value, with nothing but white space around it.
ParseResult Parse(std::string_view text);

// Compact JSON text of a value, for messages.
std::string ToText(const Value& v);

std::string_view KindName(Kind k);

}  // namespace rondel::test::json
