#pragma once
// The simulator's colorimetry: the colour library's, except that an
// illuminant whose table cannot be read is stood in for by D65 and noted,
// so that a machine with a damaged data package still gets an instrument.

#include "colour/Colorimetry.h"

#include <string>
#include <vector>

namespace sxsim {

using colour::bandCount;
using colour::firstWavelength;
using colour::illuminantCount;
using colour::Lab;
using colour::observerCount;
using colour::Spectrum;
using colour::wavelengthStep;

class Colorimeter {
public:
    // dataDir holds colord's cmf/ and illuminant/. Throws colour::DataError
    // when a colour-matching function or D65 cannot be read.
    explicit Colorimeter(const std::string& dataDir);

    // illuminant 0..10, observer 0 = 10 degrees, 1 = 2 degrees.
    Lab lab(const Spectrum& reflectance, int illuminant, int observer) const;

    const std::vector<std::string>& substitutions() const { return notes; }

private:
    std::vector<colour::Weighting> weights; // illuminant by illuminant, both observers each
    std::vector<std::string> notes;
};

} // namespace sxsim
