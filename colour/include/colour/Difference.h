#pragma once
// Colour differences of a sample from a reference (standard), both in
// CIELAB under the same illuminant and observer. The formulas that are not
// symmetric (CIE94, CMC) weigh by the reference, as colour quality control
// does.

#include "colour/Colorimetry.h"

namespace colour {

// The sample minus the reference.
struct Components {
    double dL = 0;
    double da = 0;
    double db = 0;
    double dC = 0;
    // Signed as the hue angle turns from the reference to the sample
    // (anticlockwise positive).
    double dH = 0;
};

Components components(const Lab& reference, const Lab& sample);

// ΔE*ab (CIE 1976).
double deltaEab(const Lab& reference, const Lab& sample);
// ΔE*94 with the graphic-arts weights (kL 1, K1 0.045, K2 0.015).
double deltaE94(const Lab& reference, const Lab& sample);
// ΔE00 (CIEDE2000) with the parametric factors kL:kC:kH.
double deltaE00(const Lab& reference, const Lab& sample, double kL = 1, double kC = 1,
                double kH = 1);
// CMC(l:c).
double deltaECmc(const Lab& reference, const Lab& sample, double l = 2, double c = 1);

} // namespace colour
