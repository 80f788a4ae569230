#include "DataLine.h"

namespace tonvale {
namespace {

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

bool isValue(std::string_view text)
{
    const std::size_t point = text.find('.');
    if (point == std::string_view::npos || point < 1 || point > 3 || text.size() != point + 3)
        return false;
    const std::size_t firstDigit = text[0] == '-' || text[0] == '+' ? 1 : 0;
    if (firstDigit == point)
        return false; // a sign alone
    for (std::size_t i = firstDigit; i < text.size(); ++i)
        if (i != point && !isDigit(text[i]))
            return false;
    return true;
}

} // namespace

std::vector<std::string_view> dataLineValues(std::string_view line)
{
    if (!line.empty() && line.back() == '\r')
        line.remove_suffix(1);
    std::size_t comma = line.find(',', 1);
    if (comma == std::string_view::npos)
        return {};
    std::vector<std::string_view> values;
    while (comma != std::string_view::npos) {
        const std::size_t start = comma + 1;
        comma = line.find(',', start);
        const std::string_view value =
            line.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start);
        if (!isValue(value))
            return {};
        values.push_back(value);
    }
    return values;
}

} // namespace tonvale
