#pragma once
// Reading and writing the instrument's decimal values without touching the
// process-wide locale: decoding runs on the remote worker thread too, and
// changing the locale there would race with the user-interface thread.

#include <string>
#include <string_view>

namespace tonvale {

// The text as the C library's strtod reads it in the "C" locale (leading
// white space, sign, decimal or hexadecimal digits, "inf", "nan"; reading
// stops at the first character that does not fit; no number gives 0), but
// independent of any locale and safe on any thread.
double valueOf(std::string_view text);

// The first character of the decimal separator of the named locale ("" for
// the user's locale); "." when the locale is unknown. Names are the
// platform's: "de_DE.UTF-8" on Linux, "de-DE" on Windows.
std::string decimalPointOf(const char* localeName);

// The user's decimal separator, read once for the whole run.
const std::string& userDecimalPoint();

} // namespace tonvale
