#pragma once
// The checks every standard passes before it is stored, whether typed in a
// dialog, taken from a measurement or read from a CSV file. Plain C++: the
// dialogs turn a Problem into the operator's message.

#include "standards/Standard.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace standards {

// A name is shown whole in the standards list, the colour view's verdict and
// a journal column: 64 characters hold a lab's product code with a colour
// name, Japanese included, and still fit there.
inline constexpr std::size_t maxNameCharacters = 64;

// Limits of a typed L*a*b* standard: L* within 0..100, |a*| and |b*| within
// 200, beyond which no surface colour lies.
inline constexpr double maxAbsAB = 200;

enum class Problem {
    None,
    NameEmpty,
    NameTooLong,
    // Not UTF-8, or a control character: any in a name, any but line
    // breaks and tabs in a note.
    BadCharacters,
    DeltaENotNumber,
    // The ΔE limit or a component limit at zero or below.
    NotPositive,
    LimitNotNumber,
    LightnessRange,
    ChromaRange,
    Conditions,
    Reflectance,
    DuplicateName,
    // In a CSV file: the number of fields, the quoting, the header line, the
    // formula's key or a time.
    Columns,
    Quote,
    Header,
    FormulaKey,
    Time,
};

// A number as the program writes it: '.' decimals whatever the locale, an
// optional sign and exponent, nothing else around it. Infinity and NaN are
// no numbers.
std::optional<double> parseNumber(std::string_view text);

// The number of characters (code points) of UTF-8 text.
std::size_t characterCount(std::string_view utf8);

Problem checkName(std::string_view name);
Problem checkNote(std::string_view note);
Problem checkTolerance(const Tolerance& tolerance);
// The colour: L*a*b* in range, known illuminant and observer, and finite
// reflectances when it has them.
Problem checkColour(const Standard& standard);
// Everything of checkName, checkNote, checkTolerance and checkColour.
Problem check(const Standard& standard);

} // namespace standards
