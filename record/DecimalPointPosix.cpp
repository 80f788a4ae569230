// The decimal separator of a POSIX locale.

#include "ValueText.h"

#include <langinfo.h>
#include <locale.h>

namespace tonvale {
namespace {

// Length of the UTF-8 character that starts with lead.
std::size_t characterLength(unsigned char lead)
{
    if (lead >= 0xF0)
        return 4;
    if (lead >= 0xE0)
        return 3;
    if (lead >= 0xC0)
        return 2;
    return 1;
}

} // namespace

std::string decimalPointOf(const char* localeName)
{
    const locale_t numeric = ::newlocale(LC_NUMERIC_MASK, localeName, static_cast<locale_t>(nullptr));
    if (numeric == static_cast<locale_t>(nullptr))
        return ".";
    std::string point = ::nl_langinfo_l(RADIXCHAR, numeric);
    ::freelocale(numeric);
    if (point.empty())
        return ".";
    return point.substr(0, characterLength(static_cast<unsigned char>(point[0])));
}

} // namespace tonvale
