#include "standards/Judge.h"

#include <cmath>
#include <limits>
#include <numbers>

namespace standards {
namespace {

// A limit holds when the difference, as shown, is at most the limit.
bool within(double difference, double limit)
{
    return std::abs(asShown(difference)) <= limit;
}

colour::Lab along(const colour::Lab& centre, const colour::Lab& unit, double t)
{
    return {centre.L + t * unit.L, centre.a + t * unit.a, centre.b + t * unit.b};
}

} // namespace

const char* formulaLabel(Formula formula)
{
    switch (formula) {
    case Formula::Eab: return "ΔE*ab";
    case Formula::E94: return "ΔE*94";
    case Formula::E00: return "ΔE00";
    case Formula::Cmc: return "CMC(2:1)";
    }
    return "";
}

double asShown(double difference)
{
    return std::round(difference * 100) / 100;
}

double deltaE(Formula formula, const colour::Lab& reference, const colour::Lab& sample)
{
    switch (formula) {
    case Formula::Eab: return colour::deltaEab(reference, sample);
    case Formula::E94: return colour::deltaE94(reference, sample);
    case Formula::E00: return colour::deltaE00(reference, sample, 1, 1, 1);
    case Formula::Cmc: return colour::deltaECmc(reference, sample, 2, 1);
    }
    return std::numeric_limits<double>::quiet_NaN();
}

std::variant<Judgement, NotJudged> judge(const Standard& standard, const Sample& sample,
                                         int illuminant, int observer, int secondIlluminant,
                                         const colour::Colorimetry& colorimetry)
{
    Judgement j;
    if (sample.reflectance) {
        j.illuminant = illuminant;
        j.observer = observer;
        j.sample = colorimetry.lab(*sample.reflectance, illuminant, observer);
    } else {
        if (sample.illuminant < 0 || sample.observer < 0)
            return NotJudged::UnknownConditions;
        j.illuminant = sample.illuminant;
        j.observer = sample.observer;
        j.sample = sample.lab;
    }
    if (standard.reflectance) {
        j.standard = colorimetry.lab(*standard.reflectance, j.illuminant, j.observer);
    } else {
        if (standard.illuminant != j.illuminant || standard.observer != j.observer)
            return NotJudged::OtherConditions;
        j.standard = standard.lab;
    }

    const Tolerance& tolerance = standard.tolerance;
    j.formula = tolerance.formula;
    j.deltaE = deltaE(j.formula, j.standard, j.sample);
    j.components = colour::components(j.standard, j.sample);
    j.deltaEFailed = !within(j.deltaE, tolerance.deltaE);
    j.dLFailed = tolerance.dL && !within(j.components.dL, *tolerance.dL);
    j.daFailed = tolerance.da && !within(j.components.da, *tolerance.da);
    j.dbFailed = tolerance.db && !within(j.components.db, *tolerance.db);
    j.pass = !(j.deltaEFailed || j.dLFailed || j.daFailed || j.dbFailed);

    if (standard.reflectance && sample.reflectance) {
        j.secondIlluminant = secondIlluminant;
        j.secondDeltaE =
            deltaE(j.formula, colorimetry.lab(*standard.reflectance, secondIlluminant, j.observer),
                   colorimetry.lab(*sample.reflectance, secondIlluminant, j.observer));
    }
    return j;
}

double reach(Formula formula, const colour::Lab& centre, double limit, const colour::Lab& direction)
{
    const double length = std::hypot(direction.L, direction.a, direction.b);
    if (length == 0 || !(limit > 0))
        return 0;
    const colour::Lab unit{direction.L / length, direction.a / length, direction.b / length};
    auto difference = [&](double t) { return deltaE(formula, centre, along(centre, unit, t)); };
    // Bracket the crossing, then halve the bracket: every formula grows
    // along a ray from the centre.
    constexpr double farthest = 1000;
    double low = 0;
    double high = limit;
    while (difference(high) < limit) {
        if (high >= farthest)
            return high;
        low = high;
        high *= 2;
    }
    for (int step = 0; step < 40; ++step) {
        const double middle = (low + high) / 2;
        (difference(middle) < limit ? low : high) = middle;
    }
    return (low + high) / 2;
}

std::vector<colour::Lab> outline(Formula formula, const colour::Lab& centre, double limit, int points)
{
    std::vector<colour::Lab> boundary;
    for (int k = 0; k < points; ++k) {
        const double angle = 2 * std::numbers::pi * k / points;
        const colour::Lab direction{0, std::cos(angle), std::sin(angle)};
        boundary.push_back(along(centre, direction, reach(formula, centre, limit, direction)));
    }
    return boundary;
}

} // namespace standards
