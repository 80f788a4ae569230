#pragma once
// Colour from a reflectance spectrum: CIE XYZ by weighted summation over the
// instrument's bands (CIE 15), normalised so that the perfect reflecting
// diffuser has Y = 100 under the same illuminant, then CIELAB and CIELCh
// against that white.

#include "colour/Spectral.h"

#include <string>
#include <vector>

namespace colour {

struct Xyz {
    double X = 0;
    double Y = 0;
    double Z = 0;
};

struct Lab {
    double L = 0;
    double a = 0;
    double b = 0;
};

struct LCh {
    double L = 0;
    double C = 0;
    double h = 0; // degrees, 0 <= h < 360
};

// The instrument's illuminant codes 0..10 and observer codes (0 = 10°,
// 1 = 2°), as the data type setting and the CES command carry them.
inline constexpr int illuminantCount = 11;
inline constexpr int observerCount = 2;

// "D65", "D50", ...; empty for a code out of range.
const char* illuminantName(int code);

// The files under colord's data directory that hold an illuminant's spectrum
// and an observer's colour-matching functions.
std::string illuminantPath(const std::string& dataDir, int illuminant);
std::string observerPath(const std::string& dataDir, int observer);

// Tristimulus weights of one illuminant seen by one observer on the
// instrument's bands. Bands where either table has no value weigh nothing,
// for the sample and the white alike, so the perfect reflector stays at
// L* 100 whatever range a table covers.
class Weighting {
public:
    // Throws DataError when the colour-matching table does not hold x, y and
    // z, or the illuminant has no power on the bands.
    Weighting(const SpectralTable& illuminant, const SpectralTable& observer);

    Xyz xyz(const Spectrum& reflectance) const;
    // The perfect reflecting diffuser: Y = 100.
    const Xyz& white() const { return whitePoint; }

private:
    Spectrum x{};
    Spectrum y{};
    Spectrum z{};
    Xyz whitePoint;
};

Lab toLab(const Xyz& colour, const Xyz& white);
// Lab under a white back to XYZ.
Xyz toXyz(const Lab& colour, const Xyz& white);
LCh toLCh(const Lab& colour);

// Every illuminant under both observers. No table is ever replaced by
// another: one that cannot be read makes the constructor throw DataError
// naming its file.
class Colorimetry {
public:
    explicit Colorimetry(const std::string& dataDir);

    // Throws std::out_of_range for a code out of range.
    const Weighting& weighting(int illuminant, int observer) const;
    Lab lab(const Spectrum& reflectance, int illuminant, int observer) const;

private:
    std::vector<Weighting> weights; // illuminant by illuminant, each under both observers
};

} // namespace colour
