#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// A small JSON value: enough to build the gateway's replies and to read the bodies of the test
// controls. Numbers keep their text, so no amount ever passes through floating point; object
// members keep their insertion order.
class Json
{
public:
    Json() = default;
    Json(bool value) : m_type(Type::Bool), m_text(value ? "true" : "false") {}
    Json(int value) : Json(static_cast<std::int64_t>(value)) {}
    Json(std::int64_t value) : m_type(Type::Number), m_text(std::to_string(value)) {}
    Json(const char* text) : m_type(Type::String), m_text(text) {}
    Json(std::string text) : m_type(Type::String), m_text(std::move(text)) {}

    static Json array() { return Json(Type::Array); }
    static Json object() { return Json(Type::Object); }

    bool isArray() const { return m_type == Type::Array; }
    bool isObject() const { return m_type == Type::Object; }

    // The bytes of a string, or the literal text of a number or boolean; empty otherwise.
    const std::string& text() const { return m_text; }

    // Object access. set() replaces an existing member in place.
    Json& set(const std::string& key, Json value);
    const Json* find(const std::string& key) const;

    // Array access.
    Json& push(Json value);
    const std::vector<Json>& items() const { return m_items; }
    std::size_t size() const { return m_type == Type::Array ? m_items.size() : m_members.size(); }

    // Compact text. Strings are written as valid UTF-8 whatever bytes they hold: control characters
    // are escaped and bytes that are not UTF-8 become U+FFFD, so a stray byte in stored data cannot
    // make a whole reply unreadable.
    std::string dump() const;

    // Strict RFC 8259 parsing of a whole text (surrounding white space allowed); nullopt on any error.
    static std::optional<Json> parse(std::string_view text);

private:
    enum class Type { Null, Bool, Number, String, Array, Object };

    explicit Json(Type type) : m_type(type) {}
    static Json number(std::string text);
    void dumpTo(std::string& out) const;

    friend class JsonParser;

    Type m_type = Type::Null;
    std::string m_text;
    std::vector<Json> m_items;
    std::vector<std::pair<std::string, Json>> m_members;
};
