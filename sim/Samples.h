#pragma once
// The surfaces the simulated instrument can be held against. Each has a
// smooth reflectance curve, a specular part that SCE leaves out, and an
// optical brightener whose blue fluorescence depends on the UV condition.

#include "Colorimetry.h"

#include <string>
#include <vector>

namespace sxsim {

struct Sample {
    std::string name;
    double gloss;      // specular reflectance in percent, included only in SCI
    double brightener; // fluorescence peak in percent under full UV
    double (*body)(double nm);
};

const std::vector<Sample>& samples();

// The reflectance the instrument sees. uvCondition is the mode's UV index:
// 0 full UV, 1 UV cut, 2 UV adjusted.
Spectrum reflectance(const Sample& sample, bool specularExcluded, int uvCondition);

} // namespace sxsim
