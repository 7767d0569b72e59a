#include "Json.h"

namespace {

const char* const kReplacement = "\xEF\xBF\xBD"; // U+FFFD

// Length of the well-formed UTF-8 sequence starting at s[i], or 0 when it is not one
// (overlong forms, surrogates and code points above U+10FFFF are not well-formed).
std::size_t utf8SequenceLength(std::string_view s, std::size_t i)
{
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b0 = byte(i);
    std::size_t length;
    unsigned char low = 0x80, high = 0xBF; // allowed range of the second byte
    if (b0 < 0x80)
        return 1;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3;
        if (b0 == 0xE0)
            low = 0xA0;
        if (b0 == 0xED)
            high = 0x9F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4;
        if (b0 == 0xF0)
            low = 0x90;
        if (b0 == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (i + length > s.size())
        return 0;
    if (byte(i + 1) < low || byte(i + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k)
        if (byte(i + k) < 0x80 || byte(i + k) > 0xBF)
            return 0;
    return length;
}

void appendUtf8(std::string& out, std::uint32_t cp)
{
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

void dumpString(std::string& out, std::string_view s)
{
    static const char* const hex = "0123456789abcdef";
    out += '"';
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (c < 0x20) {
                out += "\\u00";
                out += hex[c >> 4];
                out += hex[c & 0xF];
            } else if (const std::size_t n = utf8SequenceLength(s, i)) {
                out.append(s.substr(i, n));
                i += n;
                continue;
            } else {
                out += kReplacement;
            }
        }
        ++i;
    }
    out += '"';
}

} // namespace

Json Json::number(std::string text)
{
    Json value(Type::Number);
    value.m_text = std::move(text);
    return value;
}

Json& Json::set(const std::string& key, Json value)
{
    for (auto& member : m_members) {
        if (member.first == key) {
            member.second = std::move(value);
            return *this;
        }
    }
    m_members.emplace_back(key, std::move(value));
    return *this;
}

const Json* Json::find(const std::string& key) const
{
    for (const auto& member : m_members)
        if (member.first == key)
            return &member.second;
    return nullptr;
}

Json& Json::push(Json value)
{
    m_items.push_back(std::move(value));
    return *this;
}

std::string Json::dump() const
{
    std::string out;
    dumpTo(out);
    return out;
}

void Json::dumpTo(std::string& out) const
{
    switch (m_type) {
    case Type::Null:
        out += "null";
        break;
    case Type::Bool:
    case Type::Number:
        out += m_text;
        break;
    case Type::String:
        dumpString(out, m_text);
        break;
    case Type::Array:
        out += '[';
        for (std::size_t i = 0; i < m_items.size(); ++i) {
            if (i)
                out += ',';
            m_items[i].dumpTo(out);
        }
        out += ']';
        break;
    case Type::Object:
        out += '{';
        for (std::size_t i = 0; i < m_members.size(); ++i) {
            if (i)
                out += ',';
            dumpString(out, m_members[i].first);
            out += ':';
            m_members[i].second.dumpTo(out);
        }
        out += '}';
        break;
    }
}

class JsonParser
{
public:
    explicit JsonParser(std::string_view text) : m_s(text) {}

    std::optional<Json> parseDocument()
    {
        Json value;
        if (!parseValue(value, 0))
            return std::nullopt;
        skipSpace();
        if (m_i != m_s.size())
            return std::nullopt;
        return value;
    }

private:
    // Deep nesting is refused rather than allowed to exhaust the stack.
    static constexpr int kMaxDepth = 64;

    void skipSpace()
    {
        while (m_i < m_s.size() && (m_s[m_i] == ' ' || m_s[m_i] == '\t' || m_s[m_i] == '\n' || m_s[m_i] == '\r'))
            ++m_i;
    }

    bool consume(std::string_view word)
    {
        if (m_s.substr(m_i, word.size()) != word)
            return false;
        m_i += word.size();
        return true;
    }

    bool parseValue(Json& out, int depth)
    {
        if (depth > kMaxDepth)
            return false;
        skipSpace();
        if (m_i >= m_s.size())
            return false;
        switch (m_s[m_i]) {
        case '{':
            return parseObject(out, depth);
        case '[':
            return parseArray(out, depth);
        case '"': {
            std::string text;
            if (!parseString(text))
                return false;
            out = Json(std::move(text));
            return true;
        }
        case 't':
            out = Json(true);
            return consume("true");
        case 'f':
            out = Json(false);
            return consume("false");
        case 'n':
            out = Json();
            return consume("null");
        default:
            return parseNumber(out);
        }
    }

    bool parseObject(Json& out, int depth)
    {
        out = Json::object();
        ++m_i; // '{'
        skipSpace();
        if (m_i < m_s.size() && m_s[m_i] == '}') {
            ++m_i;
            return true;
        }
        for (;;) {
            skipSpace();
            std::string key;
            if (m_i >= m_s.size() || m_s[m_i] != '"' || !parseString(key))
                return false;
            skipSpace();
            if (!consume(":"))
                return false;
            Json value;
            if (!parseValue(value, depth + 1))
                return false;
            out.set(key, std::move(value));
            skipSpace();
            if (consume("}"))
                return true;
            if (!consume(","))
                return false;
        }
    }

    bool parseArray(Json& out, int depth)
    {
        out = Json::array();
        ++m_i; // '['
        skipSpace();
        if (consume("]"))
            return true;
        for (;;) {
            Json value;
            if (!parseValue(value, depth + 1))
                return false;
            out.push(std::move(value));
            skipSpace();
            if (consume("]"))
                return true;
            if (!consume(","))
                return false;
        }
    }

    bool parseHex4(std::uint32_t& value)
    {
        if (m_i + 4 > m_s.size())
            return false;
        value = 0;
        for (int k = 0; k < 4; ++k) {
            const char c = m_s[m_i++];
            value <<= 4;
            if (c >= '0' && c <= '9')
                value |= static_cast<std::uint32_t>(c - '0');
            else if (c >= 'a' && c <= 'f')
                value |= static_cast<std::uint32_t>(c - 'a' + 10);
            else if (c >= 'A' && c <= 'F')
                value |= static_cast<std::uint32_t>(c - 'A' + 10);
            else
                return false;
        }
        return true;
    }

    bool parseString(std::string& out)
    {
        ++m_i; // opening quote
        while (m_i < m_s.size()) {
            const unsigned char c = static_cast<unsigned char>(m_s[m_i]);
            if (c == '"') {
                ++m_i;
                return true;
            }
            if (c < 0x20)
                return false;
            if (c != '\\') {
                const std::size_t n = utf8SequenceLength(m_s, m_i);
                if (n == 0)
                    return false;
                out.append(m_s.substr(m_i, n));
                m_i += n;
                continue;
            }
            if (++m_i >= m_s.size())
                return false;
            const char e = m_s[m_i++];
            switch (e) {
            case '"':
                out += '"';
                break;
            case '\\':
                out += '\\';
                break;
            case '/':
                out += '/';
                break;
            case 'b':
                out += '\b';
                break;
            case 'f':
                out += '\f';
                break;
            case 'n':
                out += '\n';
                break;
            case 'r':
                out += '\r';
                break;
            case 't':
                out += '\t';
                break;
            case 'u': {
                std::uint32_t cp;
                if (!parseHex4(cp))
                    return false;
                if (cp >= 0xD800 && cp <= 0xDBFF) {
                    std::uint32_t low;
                    if (!consume("\\u") || !parseHex4(low) || low < 0xDC00 || low > 0xDFFF)
                        return false;
                    cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
                    return false;
                }
                appendUtf8(out, cp);
                break;
            }
            default:
                return false;
            }
        }
        return false;
    }

    bool parseNumber(Json& out)
    {
        const std::size_t start = m_i;
        const auto digits = [&] {
            const std::size_t from = m_i;
            while (m_i < m_s.size() && m_s[m_i] >= '0' && m_s[m_i] <= '9')
                ++m_i;
            return m_i - from;
        };
        if (m_i < m_s.size() && m_s[m_i] == '-')
            ++m_i;
        const std::size_t intStart = m_i;
        const std::size_t intDigits = digits();
        if (intDigits == 0 || (intDigits > 1 && m_s[intStart] == '0'))
            return false;
        if (m_i < m_s.size() && m_s[m_i] == '.') {
            ++m_i;
            if (digits() == 0)
                return false;
        }
        if (m_i < m_s.size() && (m_s[m_i] == 'e' || m_s[m_i] == 'E')) {
            ++m_i;
            if (m_i < m_s.size() && (m_s[m_i] == '+' || m_s[m_i] == '-'))
                ++m_i;
            if (digits() == 0)
                return false;
        }
        out = Json::number(std::string(m_s.substr(start, m_i - start)));
        return true;
    }

    std::string_view m_s;
    std::size_t m_i = 0;
};

std::optional<Json> Json::parse(std::string_view text)
{
    return JsonParser(text).parseDocument();
}
