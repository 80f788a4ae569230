// Fuzzes MeasurementRecord::parseLines. The first three bytes choose data
// type, area and mode; the rest are the data lines, one per LF.
// Both value kinds must accept the same lines, and every number must be what
// strtod reads from the same text in the "C" locale.

#include "MeasurementRecord.h"
#include "ValueText.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include <locale.h>
#include <stdlib.h>

namespace {

bool sameNumber(double a, double b)
{
    return (std::isnan(a) && std::isnan(b)) || a == b;
}

double cValue(const std::string& text)
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return strtod_l(text.c_str(), nullptr, c);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const int dataType = data[0] % 3;
    const int area = data[1] % 3;
    const int mode = data[2] % 8 - 1;
    std::vector<std::string> lines;
    std::string rest(reinterpret_cast<const char*>(data) + 3, size - 3);
    for (std::size_t start = 0;;) {
        const auto end = rest.find('\n', start);
        lines.push_back(rest.substr(start, end - start));
        if (end == std::string::npos)
            break;
        start = end + 1;
    }

    // Any short text reads as strtod reads it.
    const std::string head = rest.substr(0, rest.find('\n')).substr(0, 24);
    if (!sameNumber(tonvale::valueOf(head), cValue(head)))
        abort();

    tonvale::MeasurementRecord texts(nullptr, ".");
    tonvale::MeasurementRecord numbers(nullptr, ",");
    const bool textOk = texts.parseLines(dataType, tonvale::OutputText, area, mode, lines);
    const bool numberOk = numbers.parseLines(dataType, tonvale::OutputSpreadsheet, area, mode, lines);
    if (textOk != numberOk)
        abort();
    if (!textOk)
        return 0;
    // The lines say what they carry, whatever was asked for.
    if (texts.dataType() != numbers.dataType())
        abort();
    const int count = texts.dataType() == 0 ? tonvale::MeasurementRecord::spectralValues : 3;
    for (int i = 0; i < texts.lineCount(); ++i) {
        for (int k = 0; k < count; ++k) {
            const std::string& text = texts.valueText(i, k);
            if (text.empty() || text.size() > 6)
                abort();
            if (!sameNumber(numbers.value(i, k), cValue(text)))
                abort();
        }
    }
    return 0;
}
