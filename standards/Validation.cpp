#include "standards/Validation.h"

#include <charconv>
#include <cmath>

namespace standards {
namespace {

// Whether text is well-formed UTF-8 without control characters; a note
// may have lines and tabs.
bool cleanText(std::string_view text, bool multiline)
{
    std::size_t i = 0;
    while (i < text.size()) {
        const auto lead = static_cast<unsigned char>(text[i]);
        if (lead < 0x80) {
            const bool layout = lead == '\r' || lead == '\n' || lead == '\t';
            if ((lead < 0x20 && !(multiline && layout)) || lead == 0x7F)
                return false;
            ++i;
            continue;
        }
        std::size_t length = 0;
        char32_t code = 0;
        if ((lead & 0xE0) == 0xC0) {
            length = 2;
            code = lead & 0x1F;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3;
            code = lead & 0x0F;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4;
            code = lead & 0x07;
        } else {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80)
                return false;
            code = (code << 6) | (next & 0x3F);
        }
        // Overlong forms, surrogates and code points beyond Unicode.
        static constexpr char32_t smallest[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < smallest[length] || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF)
            return false;
        // The C1 controls.
        if (code >= 0x80 && code < 0xA0)
            return false;
        i += length;
    }
    return true;
}

bool positive(const std::optional<double>& limit)
{
    return !limit || (std::isfinite(*limit) && *limit > 0);
}

} // namespace

std::optional<double> parseNumber(std::string_view text)
{
    const char* first = text.data();
    const char* last = text.data() + text.size();
    // from_chars takes no plus sign; one sign only.
    if (first != last && *first == '+') {
        ++first;
        if (first != last && *first == '-')
            return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
    if (first == last || error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::size_t characterCount(std::string_view utf8)
{
    std::size_t count = 0;
    for (char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++count;
    return count;
}

Problem checkName(std::string_view name)
{
    if (name.find_first_not_of(' ') == std::string_view::npos)
        return Problem::NameEmpty;
    if (!cleanText(name, false))
        return Problem::BadCharacters;
    if (characterCount(name) > maxNameCharacters)
        return Problem::NameTooLong;
    return Problem::None;
}

Problem checkNote(std::string_view note)
{
    return cleanText(note, true) ? Problem::None : Problem::BadCharacters;
}

Problem checkTolerance(const Tolerance& tolerance)
{
    if (!std::isfinite(tolerance.deltaE))
        return Problem::DeltaENotNumber;
    for (const auto& limit : {tolerance.dL, tolerance.da, tolerance.db})
        if (limit && !std::isfinite(*limit))
            return Problem::LimitNotNumber;
    if (tolerance.deltaE <= 0 || !positive(tolerance.dL) || !positive(tolerance.da) || !positive(tolerance.db))
        return Problem::NotPositive;
    return Problem::None;
}

Problem checkColour(const Standard& standard)
{
    const colour::Lab& lab = standard.lab;
    if (!std::isfinite(lab.L) || lab.L < 0 || lab.L > 100)
        return Problem::LightnessRange;
    if (!std::isfinite(lab.a) || !std::isfinite(lab.b) || std::abs(lab.a) > maxAbsAB ||
        std::abs(lab.b) > maxAbsAB)
        return Problem::ChromaRange;
    if (standard.illuminant < 0 || standard.illuminant >= colour::illuminantCount ||
        standard.observer < 0 || standard.observer >= colour::observerCount)
        return Problem::Conditions;
    if (standard.reflectance)
        for (double value : *standard.reflectance)
            if (!std::isfinite(value))
                return Problem::Reflectance;
    return Problem::None;
}

Problem check(const Standard& standard)
{
    for (Problem problem : {checkName(standard.name), checkNote(standard.note),
                            checkTolerance(standard.tolerance), checkColour(standard)})
        if (problem != Problem::None)
            return problem;
    return Problem::None;
}

} // namespace standards
