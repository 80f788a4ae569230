#include "colour/Difference.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace colour {
namespace {

cmsCIELab toCms(const Lab& c) { return {c.L, c.a, c.b}; }

double square(double v) { return v * v; }

// ΔH*² from ΔE*ab² = ΔL*² + ΔC*² + ΔH*²; never below 0 for rounding.
double hueDifferenceSquared(const Lab& reference, const Lab& sample)
{
    const double dC = toLCh(sample).C - toLCh(reference).C;
    return std::max(0.0, square(sample.a - reference.a) + square(sample.b - reference.b) - square(dC));
}

} // namespace

Components components(const Lab& reference, const Lab& sample)
{
    const LCh r = toLCh(reference);
    const LCh s = toLCh(sample);
    Components d;
    d.dL = sample.L - reference.L;
    d.da = sample.a - reference.a;
    d.db = sample.b - reference.b;
    d.dC = s.C - r.C;
    // The hue angle's turn, within ±180°, gives ΔH* its sign.
    double turn = s.h - r.h;
    if (turn > 180)
        turn -= 360;
    else if (turn < -180)
        turn += 360;
    d.dH = std::copysign(std::sqrt(hueDifferenceSquared(reference, sample)), turn);
    return d;
}

double deltaEab(const Lab& reference, const Lab& sample)
{
    const cmsCIELab r = toCms(reference);
    const cmsCIELab s = toCms(sample);
    return cmsDeltaE(&r, &s);
}

// Written here: the library's CIE94 takes other weights (0.048 and 0.014 on
// the geometric mean of both chromas) than the published formula, whose
// SC and SH grow with the reference's chroma alone.
double deltaE94(const Lab& reference, const Lab& sample)
{
    const double chroma = toLCh(reference).C;
    const double sC = 1 + 0.045 * chroma;
    const double sH = 1 + 0.015 * chroma;
    const double dL = sample.L - reference.L;
    const double dC = toLCh(sample).C - chroma;
    return std::sqrt(square(dL) + square(dC / sC) + hueDifferenceSquared(reference, sample) / square(sH));
}

double deltaE00(const Lab& reference, const Lab& sample, double kL, double kC, double kH)
{
    const cmsCIELab r = toCms(reference);
    const cmsCIELab s = toCms(sample);
    return cmsCIE2000DeltaE(&r, &s, kL, kC, kH);
}

double deltaECmc(const Lab& reference, const Lab& sample, double l, double c)
{
    const cmsCIELab r = toCms(reference);
    const cmsCIELab s = toCms(sample);
    return cmsCMCdeltaE(&r, &s, l, c);
}

} // namespace colour
