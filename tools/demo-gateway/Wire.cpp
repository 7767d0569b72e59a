#include "Wire.h"

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

std::tm localParts(std::int64_t seconds)
{
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm parts{};
    localtime_r(&t, &parts);
    return parts;
}

} // namespace

Form Form::parse(std::string_view text)
{
    Form form;
    while (!text.empty()) {
        const std::size_t amp = text.find('&');
        const std::string_view pair = text.substr(0, amp);
        text = amp == std::string_view::npos ? std::string_view() : text.substr(amp + 1);
        if (pair.empty())
            continue;
        const std::size_t eq = pair.find('=');
        const std::string key = percentDecode(pair.substr(0, eq));
        const std::string value = eq == std::string_view::npos ? std::string() : percentDecode(pair.substr(eq + 1));
        form.m_fields.emplace(key, value); // keeps the first value of a repeated key
    }
    return form;
}

const std::string& Form::get(const std::string& key) const
{
    static const std::string empty;
    const auto it = m_fields.find(key);
    return it == m_fields.end() ? empty : it->second;
}

std::string percentDecode(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            out += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::optional<std::int64_t> parseDecimal(std::string_view text)
{
    if (text.empty() || text.size() > 15)
        return std::nullopt;
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

std::string formatYuan(std::int64_t fen)
{
    const std::int64_t cents = fen % 100;
    return std::to_string(fen / 100) + (cents < 10 ? ".0" : ".") + std::to_string(cents);
}

std::size_t utf8Length(std::string_view text)
{
    std::size_t count = 0;
    for (const char c : text)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count;
}

std::optional<std::int64_t> parseLocalTime(std::string_view text)
{
    std::size_t i = 0;
    // A run of 1..maxDigits digits, then `next` (0: the end of the text).
    const auto field = [&](std::size_t maxDigits, char next, int& value) {
        const std::size_t start = i;
        value = 0;
        while (i < text.size() && i - start < maxDigits && text[i] >= '0' && text[i] <= '9')
            value = value * 10 + (text[i++] - '0');
        if (i == start)
            return false;
        if (next == 0)
            return i == text.size();
        if (i >= text.size() || text[i] != next)
            return false;
        ++i;
        return true;
    };
    const bool withTime = text.find(' ') != std::string_view::npos;
    int y, mo, d, h = 0, mi = 0, sec = 0;
    if (!field(4, '-', y) || !field(2, '-', mo) || !field(2, withTime ? ' ' : 0, d))
        return std::nullopt;
    if (withTime && (!field(2, ':', h) || !field(2, ':', mi) || !field(2, 0, sec)))
        return std::nullopt;
    if (y < 1970 || mo < 1 || mo > 12 || d < 1 || d > 31 || h < 0 || h > 23 || mi < 0 || mi > 59 || sec < 0 || sec > 59)
        return std::nullopt;
    std::tm parts{};
    parts.tm_year = y - 1900;
    parts.tm_mon = mo - 1;
    parts.tm_mday = d;
    parts.tm_hour = h;
    parts.tm_min = mi;
    parts.tm_sec = sec;
    parts.tm_isdst = -1;
    const std::time_t t = std::mktime(&parts);
    if (t == static_cast<std::time_t>(-1) || parts.tm_mday != d) // 2024-2-31 is not a date
        return std::nullopt;
    return static_cast<std::int64_t>(t);
}

std::string formatLocalTime(std::int64_t seconds, const char* format)
{
    const std::tm parts = localParts(seconds);
    char buffer[64];
    const std::size_t n = std::strftime(buffer, sizeof buffer, format, &parts);
    return std::string(buffer, n);
}

std::int64_t startOfLocalDay(std::int64_t seconds)
{
    std::tm parts = localParts(seconds);
    parts.tm_hour = parts.tm_min = parts.tm_sec = 0;
    parts.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&parts));
}

std::int64_t nowSeconds()
{
    return static_cast<std::int64_t>(std::time(nullptr));
}
