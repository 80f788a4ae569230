#pragma once
// The instrument's spectra and the spectral tables they are weighted with.
// The colour-matching functions and illuminant spectra are colord's data
// files, never typed in.

#include <array>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace colour {

inline constexpr int firstWavelength = 360;
inline constexpr int wavelengthStep = 10;
inline constexpr int bandCount = 39; // 360, 370, ..., 740 nm

// Reflectance in percent, one value per band.
using Spectrum = std::array<double, bandCount>;

// A table that cannot be used; what() names the file and the reason.
class DataError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One file of colord's spectral data: a header with the wavelength range and
// band count, then NUMBER_OF_SETS rows of values between BEGIN_DATA and
// END_DATA.
class SpectralTable {
public:
    // Throws DataError when the file is missing or malformed.
    static SpectralTable load(const std::string& path);

    int setCount() const { return static_cast<int>(sets.size()); }
    // Linear interpolation between the table's bands; nothing outside them.
    std::optional<double> at(int set, double nm) const;

private:
    double startNm = 0;
    double endNm = 0;
    int bands = 0;
    std::vector<std::vector<double>> sets;
};

} // namespace colour
