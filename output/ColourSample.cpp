#include "ColourSample.h"

#include "DataLine.h"
#include "MeasurementRecord.h"

#include <algorithm>
#include <charconv>

namespace tonvale {
namespace {

double number(std::string_view text)
{
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

} // namespace

ColourSample colourSample(const MeasurementRecord& record, std::span<const std::string> lines,
                          int illuminant, int observer)
{
    ColourSample sample;
    sample.number = record.measurementNumber();
    sample.name = record.outputName();
    sample.dataType = record.dataType();
    if (sample.dataType == 1) {
        sample.illuminant = illuminant;
        sample.observer = observer;
    }
    const int count = std::min(static_cast<int>(lines.size()), record.lineCount());
    for (int i = 0; i < count; ++i) {
        if (!record.passesFilter(i))
            continue;
        ColourSample::Line line{record.componentLabel(i), {}, i};
        for (const std::string_view value : dataLineValues(lines[i]))
            line.values.push_back(number(value));
        sample.lines.push_back(std::move(line));
    }
    return sample;
}

} // namespace tonvale
