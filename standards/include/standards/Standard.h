#pragma once
// A colour standard: the colour a lab compares its samples with, and how
// close a sample must come to it to pass.

#include "colour/Colorimetry.h"
#include "colour/Spectral.h"

#include <cstdint>
#include <optional>
#include <string>

namespace standards {

// The colour-difference formula a tolerance is given in.
enum class Formula { Eab, E94, E00, Cmc };

struct Tolerance {
    Formula formula = Formula::E00;
    // The ΔE limit in that formula; greater than 0.
    double deltaE = 1.0;
    // ± limits of ΔL*, Δa*, Δb*, each greater than 0 when given. A sample
    // beyond one fails whatever its ΔE.
    std::optional<double> dL;
    std::optional<double> da;
    std::optional<double> db;
};

struct Standard {
    // Unique in a store; any text, Japanese included.
    std::string name;
    // The reflectance of a measured standard (percent, the instrument's 39
    // bands), which can be compared under any illuminant and observer.
    // Without it the standard is lab, which holds under illuminant and
    // observer only (the instrument's codes, as in colour/Colorimetry.h).
    std::optional<colour::Spectrum> reflectance;
    colour::Lab lab;
    int illuminant = 0;
    int observer = 0;
    Tolerance tolerance;
    std::string note;
    // When it was made and last changed: seconds since 1970-01-01 UTC.
    std::int64_t created = 0;
    std::int64_t changed = 0;
};

} // namespace standards
