#pragma once
// JSON output with members in the order they were added. QJsonObject sorts its keys,
// while listings and manifests show their fields in a fixed, readable order; so objects
// are assembled here and each string is escaped by QJsonDocument.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace pdt::cli {

class JsonValue {
  public:
    JsonValue() = default; // null
    JsonValue(bool b) : kind_(Kind::Bool), bool_(b) {}
    JsonValue(int i) : kind_(Kind::Integer), integer_(i) {}
    JsonValue(std::int64_t i) : kind_(Kind::Integer), integer_(i) {}
    JsonValue(std::string_view utf8) : kind_(Kind::String), text_(utf8) {}
    JsonValue(const char* utf8) : kind_(Kind::String), text_(utf8) {}
    JsonValue(const std::string& utf8) : kind_(Kind::String), text_(utf8) {}

    static JsonValue array() { return JsonValue(Kind::Array); }
    static JsonValue object() { return JsonValue(Kind::Object); }

    // Appends to an array.
    JsonValue& push(JsonValue v);
    // Appends a member to an object; keys are not checked for repeats.
    JsonValue& add(std::string_view key, JsonValue v);

    // Prints this array or object on one line, as {"a": 1, "b": 2}.
    JsonValue& inlined() {
        inline_ = true;
        return *this;
    }

    // Two-space indentation, except where inlined; empty arrays and objects as [] and {}.
    std::string text() const;

  private:
    enum class Kind { Null, Bool, Integer, String, Array, Object };
    explicit JsonValue(Kind k) : kind_(k) {}
    void write(std::string& out, int depth) const;

    Kind kind_ = Kind::Null;
    bool bool_ = false;
    bool inline_ = false;
    std::int64_t integer_ = 0;
    std::string text_;
    std::vector<std::string> keys_; // objects: one per child
    std::vector<JsonValue> children_;
};

// A JSON string literal, quotes included.
std::string JsonQuoted(std::string_view utf8);

} // namespace pdt::cli
