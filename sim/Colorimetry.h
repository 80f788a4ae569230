#pragma once
// Colour from a reflectance spectrum: CIE XYZ by weighted summation over the
// instrument's 10 nm bands, then CIELAB against the perfect white under the
// same illuminant and observer. The colour-matching functions and illuminant
// spectra are read from colord's data files, never typed in.

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace sxsim {

inline constexpr int firstWavelength = 360;
inline constexpr int wavelengthStep = 10;
inline constexpr int bandCount = 39; // 360, 370, ..., 740 nm

// Reflectance in percent, one value per band.
using Spectrum = std::array<double, bandCount>;

struct Lab {
    double L = 0;
    double a = 0;
    double b = 0;
};

inline constexpr int illuminantCount = 11;
inline constexpr int observerCount = 2;

// Illuminant code 0..10 as the CES command carries it: "D65", "D50", ...
const char* illuminantName(int code);

// One file of colord's spectral data: a header with the wavelength range and
// band count, then NUMBER_OF_SETS rows of values between BEGIN_DATA and
// END_DATA.
class SpectralTable {
public:
    // Throws std::runtime_error when the file is missing or malformed.
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

class Colorimeter {
public:
    // dataDir holds cmf/ and illuminant/. Throws std::runtime_error when a
    // colour-matching function or D65 cannot be read; any other illuminant
    // that cannot be read is replaced by D65 and listed in substitutions().
    explicit Colorimeter(const std::string& dataDir);

    // illuminant 0..10, observer 0 = 10 degrees, 1 = 2 degrees.
    Lab lab(const Spectrum& reflectance, int illuminant, int observer) const;

    const std::vector<std::string>& substitutions() const { return notes; }

private:
    struct Weights {
        Spectrum x{};
        Spectrum y{};
        Spectrum z{};
        double whiteX = 0;
        double whiteY = 0;
        double whiteZ = 0;
    };
    std::array<std::array<Weights, observerCount>, illuminantCount> weights;
    std::vector<std::string> notes;
};

} // namespace sxsim
