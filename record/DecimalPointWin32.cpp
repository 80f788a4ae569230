// The decimal separator of a Windows locale.

#include "ValueText.h"

#include <wx/string.h>

#include <windows.h>

namespace tonvale {

std::string decimalPointOf(const char* localeName)
{
    const wxString name = wxString::FromUTF8(localeName);
    wchar_t point[8] = {};
    const int length =
        GetLocaleInfoEx(name.empty() ? LOCALE_NAME_USER_DEFAULT : name.wc_str(), LOCALE_SDECIMAL,
                        point, int(sizeof point / sizeof point[0]));
    if (length <= 1)
        return ".";
    // The first character only, as on every platform.
    return wxString(point, 1).utf8_string();
}

} // namespace tonvale
