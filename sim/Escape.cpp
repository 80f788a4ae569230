#include "Escape.h"

#include <cstdio>

namespace sxsim {

std::string escapeBytes(std::string_view bytes)
{
    std::string text;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        switch (c) {
        case '\r': text += "\\r"; break;
        case '\n': text += "\\n"; break;
        case '\t': text += "\\t"; break;
        case '\0': text += "\\0"; break;
        case '\\': text += "\\\\"; break;
        default:
            if (byte < 0x20 || byte > 0x7e) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", byte);
                text += hex;
            } else {
                text += c;
            }
        }
    }
    return text;
}

std::optional<std::string> unescapeBytes(std::string_view text)
{
    auto hexDigit = [](char c) -> int {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        return -1;
    };
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\') {
            bytes += text[i];
            continue;
        }
        if (++i == text.size())
            return std::nullopt;
        switch (text[i]) {
        case 'r': bytes += '\r'; break;
        case 'n': bytes += '\n'; break;
        case 't': bytes += '\t'; break;
        case '0': bytes += '\0'; break;
        case '\\': bytes += '\\'; break;
        case 'x': {
            const int high = i + 1 < text.size() ? hexDigit(text[i + 1]) : -1;
            const int low = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
            if (high < 0 || low < 0)
                return std::nullopt;
            bytes += static_cast<char>(high * 16 + low);
            i += 2;
            break;
        }
        default:
            return std::nullopt;
        }
    }
    return bytes;
}

} // namespace sxsim
