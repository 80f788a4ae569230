#include "ColourViewModel.h"

namespace tonvale {
namespace {

// L*a*b* measured with the instrument's button holds under an illuminant
// the program does not know; its swatch is shown as under daylight.
constexpr int unknownShownAsIlluminant = 0;
constexpr int unknownShownAsObserver = 0;

colour::Lab labOf(const ColourSample::Line& line)
{
    return {line.values.at(0), line.values.at(1), line.values.at(2)};
}

} // namespace

ColourViewModel::ColourViewModel(std::string colordDir, int illuminant, int observer)
    : colordDir(std::move(colordDir))
{
    choose(illuminant, observer);
}

ColourViewModel::~ColourViewModel() = default;

void ColourViewModel::add(ColourSample sample)
{
    samples.push_back(std::move(sample));
    if (samples.size() > stripLength)
        samples.pop_front();
    shownAt = samples.size() - 1;
}

void ColourViewModel::show(std::size_t index)
{
    if (index < samples.size())
        shownAt = index;
}

void ColourViewModel::choose(int illuminant, int observer)
{
    const bool known = illuminant >= 0 && illuminant < colour::illuminantCount && observer >= 0 &&
                       observer < colour::observerCount;
    chosenIlluminant = known ? illuminant : 0;
    chosenObserver = known ? observer : 0;
}

const colour::Colorimetry* ColourViewModel::colorimetry() const
{
    if (!tables && tablesProblem.empty()) {
        try {
            tables = std::make_unique<colour::Colorimetry>(colordDir);
        } catch (const colour::DataError& e) {
            tablesProblem = e.what();
        }
    }
    return tables.get();
}

std::optional<colour::Xyz> ColourViewModel::white(int illuminant, int observer) const
{
    const colour::Colorimetry* c = colorimetry();
    if (c == nullptr)
        return std::nullopt;
    if (illuminant < 0 || observer < 0)
        return c->weighting(unknownShownAsIlluminant, unknownShownAsObserver).white();
    return c->weighting(illuminant, observer).white();
}

std::vector<ColourViewModel::Row> ColourViewModel::rows(const ColourSample& sample, int illuminant,
                                                        int observer) const
{
    std::vector<Row> result;
    for (const ColourSample::Line& line : sample.lines) {
        Row row{line.component, {}, {}};
        if (sample.dataType == 0) {
            const colour::Colorimetry* c = colorimetry();
            if (c == nullptr || line.values.size() != colour::bandCount)
                continue;
            colour::Spectrum reflectance;
            std::copy(line.values.begin(), line.values.end(), reflectance.begin());
            row.lab = c->lab(reflectance, illuminant, observer);
        } else {
            if (line.values.size() != 3)
                continue;
            row.lab = labOf(line);
        }
        row.lch = colour::toLCh(row.lab);
        result.push_back(std::move(row));
    }
    return result;
}

ColourViewModel::Shown ColourViewModel::shown() const
{
    Shown s;
    s.illuminant = chosenIlluminant;
    s.observer = chosenObserver;
    if (!shownAt)
        return s;
    const ColourSample& sample = samples[*shownAt];
    s.sample = &sample;
    if (sample.dataType == 1) {
        s.illuminant = sample.illuminant;
        s.observer = sample.observer;
        s.conditionsEnabled = false;
    }
    s.rows = rows(sample, s.illuminant, s.observer);
    if (!s.rows.empty())
        if (const auto w = white(s.illuminant, s.observer))
            s.swatch = colour::toDisplay(s.rows.front().lab, *w);
    if (colorimetry() == nullptr)
        s.problem = tablesProblem;
    return s;
}

std::optional<colour::DisplayColour> ColourViewModel::swatchOf(const ColourSample& sample) const
{
    const int illuminant = sample.dataType == 1 ? sample.illuminant : chosenIlluminant;
    const int observer = sample.dataType == 1 ? sample.observer : chosenObserver;
    const std::vector<Row> r = rows(sample, illuminant, observer);
    const auto w = white(illuminant, observer);
    if (r.empty() || !w)
        return std::nullopt;
    return colour::toDisplay(r.front().lab, *w);
}

} // namespace tonvale
