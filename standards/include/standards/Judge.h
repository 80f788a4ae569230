#pragma once
// Judging a measured sample against a standard: both colours under one
// illuminant and observer, their difference in the tolerance's formula and
// in components, and the verdict.
//
// The verdict is taken on the differences as the operator reads them, to
// two decimals: a difference equal to its limit passes. A sample passes
// when ΔE is within the limit and each given component limit holds
// (|ΔL*|, |Δa*|, |Δb*| at most their ± limits); one component beyond its
// limit fails the sample whatever its ΔE.

#include "standards/Standard.h"

#include "colour/Colorimetry.h"
#include "colour/Difference.h"

#include <optional>
#include <variant>
#include <vector>

namespace standards {

// A measured colour as it is judged.
struct Sample {
    // The reflectance (percent, the instrument's bands) of spectral data;
    // without it the sample is lab.
    std::optional<colour::Spectrum> reflectance;
    colour::Lab lab;
    // The conditions lab holds under; -1 when the instrument's button
    // measured under its own setting, which the program does not know.
    int illuminant = -1;
    int observer = -1;
};

// Why a sample was not judged.
enum class NotJudged {
    // L*a*b* measured under the instrument's own setting: whether it is
    // comparable with the standard cannot be known.
    UnknownConditions,
    // The standard is L*a*b* under its own illuminant and observer, and the
    // sample is seen under others: any number would compare two lights.
    OtherConditions,
};

struct Judgement {
    // What both colours were computed under.
    int illuminant = 0;
    int observer = 0;
    colour::Lab standard;
    colour::Lab sample;
    Formula formula = Formula::E00;
    double deltaE = 0;
    // The sample minus the standard.
    colour::Components components;
    bool pass = false;
    // Which limits the sample is beyond.
    bool deltaEFailed = false;
    bool dLFailed = false;
    bool daFailed = false;
    bool dbFailed = false;
    // ΔE in the same formula under the second illuminant (same observer),
    // when standard and sample both have a reflectance.
    std::optional<double> secondDeltaE;
    int secondIlluminant = 0;
};

// The formula as the view and the journal name it: "ΔE*ab", "ΔE*94",
// "ΔE00", "CMC(2:1)".
const char* formulaLabel(Formula formula);

// A difference to the two decimals it is shown, journalled and judged with.
double asShown(double difference);

// ΔE from reference to sample in formula: ΔE00 with kL:kC:kH 1:1:1, CMC
// with l:c 2:1 (acceptability), ΔE*94 with the graphic-arts weights.
double deltaE(Formula formula, const colour::Lab& reference, const colour::Lab& sample);

// Judges sample against standard. A spectral sample is seen under the
// view's illuminant and observer, a lab sample under its own; a spectral
// standard is computed under the same, a lab standard holds under its own
// only. Throws std::out_of_range for a condition out of the codes' range.
std::variant<Judgement, NotJudged> judge(const Standard& standard, const Sample& sample,
                                         int illuminant, int observer, int secondIlluminant,
                                         const colour::Colorimetry& colorimetry);

// How far from centre, along the direction (dL, da, db) (not necessarily of
// length 1), a colour reaches ΔE = limit in formula. Found by bisection
// with the formula itself: the formulas other than ΔE*ab weigh directions
// differently, and ΔE00 and CMC depend on where the colour lies.
double reach(Formula formula, const colour::Lab& centre, double limit, const colour::Lab& direction);

// The limit's boundary in the a*b* plane at the centre's L*: points colours
// at angles 0°, 360°/points, ... about the centre, each at ΔE = limit.
std::vector<colour::Lab> outline(Formula formula, const colour::Lab& centre, double limit,
                                 int points);

} // namespace standards
