// Fuzzes the reading of one line received from the instrument: the judgement
// of its reply code, the fields read at fixed positions, whether it is taken
// for a data line, its values, and the measurement record made of it. Any
// bytes must give a judged result within the known messages, fields within
// the line, and values exactly where the line holds values of the right
// shape.

#include "DataLine.h"
#include "MeasurementRecord.h"
#include "Reply.h"

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include <locale.h>
#include <stdlib.h>

namespace {

bool within(std::string_view part, std::string_view whole)
{
    return part.empty() ||
           (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// One to three characters before the point, a sign only first, two digits
// after it.
bool isValue(std::string_view v)
{
    if (v.size() < 4 || v.size() > 6 || v[v.size() - 3] != '.')
        return false;
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (i == v.size() - 3)
            continue;
        const bool sign = i == 0 && (v[i] == '-' || v[i] == '+') && v.size() > 4;
        if (!sign && !isDigit(v[i]))
            return false;
    }
    return true;
}

double cValue(std::string_view text)
{
    static const locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
    return strtod_l(std::string(text).c_str(), nullptr, c);
}

void checkJudgement(std::string_view line)
{
    static const std::set<int> messages{0,   102, 104, 105, 106, 107, 108, 109, 110, 111, 112,
                                        113, 114, 115, 116, 117, 118, 119, 120, 121, 159};
    const tonvale::ReplyJudgement judgement = tonvale::judgeReply(line);
    if (messages.count(judgement.message) == 0)
        abort();
    if (judgement.success && (line.substr(0, 2) != "OK" || judgement.message > 108))
        abort();
    if (!judgement.success && judgement.message == 0 && !line.empty())
        abort();
}

void checkFields(std::string_view line)
{
    // The fields that identify, readConditions, readCalibrationState and
    // waitReady read.
    const std::pair<std::size_t, std::size_t> fields[] = {{5, 2}, {5, 1}, {7, 1}, {9, 8}, {2, 2}};
    for (const auto& [position, length] : fields) {
        const std::string_view field = tonvale::replyField(line, position, length);
        if (field.size() > length || !within(field, line))
            abort();
        tonvale::replyNumber(line, position, length);
    }
}

void checkRecord(std::string_view line, const std::vector<std::string_view>& values)
{
    const bool measurement = values.size() == 39 || values.size() == 3;
    const int dataType = values.size() == 39 ? 0 : 1;
    const std::string text(line);
    for (const int mode : {0, 1}) {
        const std::vector<std::string> lines(mode == 0 ? 1 : 2, text);
        for (const int asked : {0, 1}) {
            tonvale::MeasurementRecord texts(nullptr, ".");
            tonvale::MeasurementRecord numbers(nullptr, ".");
            const bool textOk = texts.parseLines(asked, tonvale::OutputText, 0, mode, lines);
            const bool numberOk = numbers.parseLines(asked, tonvale::OutputSpreadsheet, 0, mode, lines);
            if (textOk != measurement || numberOk != measurement)
                abort();
            if (!measurement)
                continue;
            if (texts.dataType() != dataType || numbers.dataType() != dataType)
                abort();
            for (int i = 0; i < texts.lineCount(); ++i) {
                for (std::size_t k = 0; k < values.size(); ++k) {
                    if (texts.valueText(i, static_cast<int>(k)) != values[k])
                        abort();
                    if (numbers.value(i, static_cast<int>(k)) != cValue(values[k]))
                        abort();
                }
            }
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Its own copy, so that a read beyond the line is a read beyond a buffer.
    const std::vector<char> bytes(data, data + size);
    const std::string_view line(bytes.data(), bytes.size());

    checkJudgement(line);
    checkFields(line);

    const std::vector<std::string_view> values = tonvale::dataLineValues(line);
    for (const std::string_view value : values)
        if (!within(value, line) || !isValue(value))
            abort();
    // A data line is never taken for the reply to switching remote mode off.
    if (!values.empty() && !tonvale::isDataLineOrRest(line))
        abort();
    checkRecord(line, values);
    return 0;
}
