#include "ValueText.h"

#include <charconv>
#include <cmath>

namespace tonvale {
namespace {

bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigit(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// The end of the hexadecimal number (after its "0x") that strtod reads:
// from_chars also takes "p+-3" as an exponent, where strtod stops before the
// "p" because the exponent's digits must follow its one sign.
const char* hexNumberEnd(const char* first, const char* last)
{
    const char* end = first;
    while (end < last && isHexDigit(*end))
        ++end;
    if (end < last && *end == '.')
        for (++end; end < last && isHexDigit(*end);)
            ++end;
    if (end == last || (*end != 'p' && *end != 'P'))
        return end;
    const char* exponent = end + 1;
    if (exponent < last && (*exponent == '+' || *exponent == '-'))
        ++exponent;
    if (exponent == last || !isDigit(*exponent))
        return end;
    while (exponent < last && isDigit(*exponent))
        ++exponent;
    return exponent;
}

} // namespace

double valueOf(std::string_view text)
{
    std::size_t i = 0;
    while (i < text.size() && isSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    // from_chars takes its own minus sign; a second sign is no number.
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        return 0.0;

    auto format = std::chars_format::general;
    const char* first = text.data() + i;
    const char* last = text.data() + text.size();
    // strtod reads "0x" as a hexadecimal prefix only when a hexadecimal
    // mantissa follows; otherwise the "0" alone is the number.
    if (last - first > 2 && first[0] == '0' && (first[1] == 'x' || first[1] == 'X') &&
        (isHexDigit(first[2]) || (first[2] == '.' && last - first > 3 && isHexDigit(first[3])))) {
        format = std::chars_format::hex;
        first += 2;
        last = hexNumberEnd(first, last);
    }
    double value = 0.0;
    const auto result = std::from_chars(first, last, value, format);
    if (result.ec == std::errc::result_out_of_range) {
        // strtod gives infinity for a value too large for a double and rounds
        // a too small one towards zero; a wider type tells which it is, and
        // beyond that the sign of the number's exponent does (not of
        // whatever follows the number).
        long double wide = 0.0L;
        const std::string_view number(first, static_cast<std::size_t>(result.ptr - first));
        if (std::from_chars(first, last, wide, format).ec == std::errc())
            value = std::fabs(wide) > 1.0L ? HUGE_VAL : static_cast<double>(wide);
        else
            value = number.find("e-") == number.npos && number.find("E-") == number.npos &&
                            number.find("p-") == number.npos && number.find("P-") == number.npos
                        ? HUGE_VAL
                        : 0.0;
    } else if (result.ec != std::errc()) {
        return 0.0;
    }
    return negative ? -value : value;
}

const std::string& userDecimalPoint()
{
    static const std::string point = decimalPointOf("");
    return point;
}

} // namespace tonvale
