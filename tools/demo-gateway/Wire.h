#pragma once

#include <cstdint>
#include <ctime>
#include <map>
#include <optional>
#include <string>
#include <string_view>

// Helpers for the text the gateway receives and sends: form bodies, amounts and times.

// A decoded form body or query string. When a key occurs twice the first value counts, so a free-text
// value that smuggles in "&token=..." cannot replace a field sent before it.
class Form
{
public:
    static Form parse(std::string_view text);

    // The decoded value, or "" when the field is absent.
    const std::string& get(const std::string& key) const;
    bool has(const std::string& key) const { return m_fields.count(key) != 0; }
    const std::map<std::string, std::string>& fields() const { return m_fields; }

private:
    std::map<std::string, std::string> m_fields;
};

// Decodes %XX escapes; a "%" not followed by two hex digits stays as it is, and "+" stays a plus
// (the cashier client encodes a space as %20).
std::string percentDecode(std::string_view text);

// A non-negative integer written in plain decimal digits only (at most 15 of them, so that sums of
// amounts cannot overflow). Amounts in fen, page numbers and Unix seconds all use this.
std::optional<std::int64_t> parseDecimal(std::string_view text);

// Fen as yuan with two decimals ("1234" -> "12.34"), for messages.
std::string formatYuan(std::int64_t fen);

// Number of characters (code points) of UTF-8 text.
std::size_t utf8Length(std::string_view text);

// Local-time conversions. Text in is "yyyy-M-d h:m:s" (leading zeros optional, the time may be
// left out for midnight); text out is "yyyy-MM-dd hh:mm:ss".
std::optional<std::int64_t> parseLocalTime(std::string_view text);
std::string formatLocalTime(std::int64_t seconds, const char* format = "%Y-%m-%d %H:%M:%S");
std::int64_t startOfLocalDay(std::int64_t seconds);
std::int64_t nowSeconds();
