#include "ColourViewModel.h"

#include "Strings.h"

#include <charconv>

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

// The tolerance's boundary is drawn through this many points.
constexpr int outlinePoints = 90;

// A difference in words: the first for a positive one, the second for a
// negative one, none where it shows as 0.
std::string word(double difference, int positive, int negative)
{
    const double shown = standards::asShown(difference);
    if (shown == 0)
        return {};
    return strings().get(shown > 0 ? positive : negative);
}

// "D50/2°".
std::string conditionsName(int illuminant, int observer)
{
    return std::string(colour::illuminantName(illuminant)) + "/" + (observer == 0 ? "10°" : "2°");
}

bool sameConditions(const standards::Judgement& j, int illuminant, int observer)
{
    return j.illuminant == illuminant && j.observer == observer;
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
    ColourSample first = sample;
    first.lines.resize(std::min<std::size_t>(first.lines.size(), 1));
    session.push_back({++added, std::move(first)});
    if (session.size() > diagramLength)
        session.pop_front();
    samples.push_back(std::move(sample));
    stripSerials.push_back(added);
    if (samples.size() > stripLength) {
        samples.pop_front();
        stripSerials.pop_front();
    }
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

void ColourViewModel::chooseSecond(int illuminant)
{
    if (illuminant >= 0 && illuminant < colour::illuminantCount)
        second = illuminant;
}

void ColourViewModel::setStandard(std::optional<standards::Standard> standard)
{
    active = std::move(standard);
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

    const auto result = judgeUnder(sample, s.illuminant, s.observer);
    if (!result)
        return s;
    if (const auto* reason = std::get_if<standards::NotJudged>(&*result)) {
        s.notJudged = *reason == standards::NotJudged::UnknownConditions
                          ? strings().get(232)
                          : strings().format(231, conditionsName(active->illuminant, active->observer));
        return s;
    }
    const standards::Judgement& j = std::get<standards::Judgement>(*result);
    s.judgement = j;
    s.lighterOrDarker = word(j.components.dL, 222, 223);
    s.redderOrGreener = word(j.components.da, 224, 225);
    s.yellowerOrBluer = word(j.components.db, 226, 227);
    s.brighterOrDuller = word(j.components.dC, 228, 229);
    return s;
}

std::optional<std::variant<standards::Judgement, standards::NotJudged>>
ColourViewModel::judgeUnder(const ColourSample& sample, int illuminant, int observer) const
{
    const colour::Colorimetry* c = colorimetry();
    if (!active || sample.lines.empty() || c == nullptr)
        return std::nullopt;
    const ColourSample::Line& line = sample.lines.front();
    standards::Sample judged;
    if (sample.dataType == 0) {
        if (line.values.size() != colour::bandCount)
            return std::nullopt;
        colour::Spectrum reflectance;
        std::copy(line.values.begin(), line.values.end(), reflectance.begin());
        judged.reflectance = reflectance;
    } else {
        if (line.values.size() != 3)
            return std::nullopt;
        judged.lab = labOf(line);
        judged.illuminant = sample.illuminant;
        judged.observer = sample.observer;
    }
    return standards::judge(*active, judged, illuminant, observer, second, *c);
}

std::optional<standards::Judgement> ColourViewModel::judge(const ColourSample& sample) const
{
    const auto result = judgeUnder(sample, chosenIlluminant, chosenObserver);
    if (!result || !std::holds_alternative<standards::Judgement>(*result))
        return std::nullopt;
    return std::get<standards::Judgement>(*result);
}

std::optional<ColourViewModel::Diagram> ColourViewModel::diagram() const
{
    const Shown s = shown();
    if (!s.judgement)
        return std::nullopt;
    const standards::Judgement& j = *s.judgement;
    const standards::Tolerance& tolerance = active->tolerance;
    Diagram d;
    d.standard = j.standard;
    d.outline = standards::outline(j.formula, j.standard, tolerance.deltaE, outlinePoints);
    d.lighter = standards::reach(j.formula, j.standard, tolerance.deltaE, {1, 0, 0});
    d.darker = standards::reach(j.formula, j.standard, tolerance.deltaE, {-1, 0, 0});
    // Measurements under other conditions would be compared with another
    // standard colour: they are left out.
    for (const SessionEntry& entry : session) {
        if (entry.serial == stripSerials[*shownAt])
            continue;
        const auto result = judgeUnder(entry.first, s.illuminant, s.observer);
        if (!result)
            continue;
        if (const auto* other = std::get_if<standards::Judgement>(&*result))
            if (sameConditions(*other, j.illuminant, j.observer))
                d.points.push_back({other->sample, other->pass, false});
    }
    d.points.push_back({j.sample, j.pass, true});
    return d;
}

JournalMeasurement::Judgement journalJudgement(const standards::Standard& standard,
                                               const standards::Judgement& judgement, int line)
{
    JournalMeasurement::Judgement j;
    j.line = static_cast<std::size_t>(line);
    j.standard = standard.name;
    j.formula = standards::formulaLabel(judgement.formula);
    j.illuminant = colour::illuminantName(judgement.illuminant);
    j.observer = judgement.observer == 0 ? "10°" : "2°";
    // '.' whatever the locale, as every number in the journal.
    char text[32];
    const auto end = std::to_chars(text, text + sizeof text, standards::asShown(judgement.deltaE),
                                   std::chars_format::fixed, 2);
    j.deltaE.assign(text, end.ptr);
    j.pass = judgement.pass;
    return j;
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
