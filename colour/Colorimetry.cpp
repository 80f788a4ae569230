#include "colour/Colorimetry.h"

#include <lcms2.h>

#include <algorithm>
#include <stdexcept>

namespace colour {
namespace {

constexpr const char* illuminantNames[illuminantCount] = {
    "D65", "D50", "C", "A", "F2", "F6", "F7", "F8", "F10", "F11", "F12"};

// Observer code 0 is the 10 degree observer, 1 the 2 degree one.
constexpr const char* observerFiles[observerCount] = {"CIE1964-10deg-XYZ.cmf",
                                                      "CIE1931-2deg-XYZ.cmf"};

cmsCIEXYZ toCms(const Xyz& c) { return {c.X, c.Y, c.Z}; }

} // namespace

const char* illuminantName(int code)
{
    return code >= 0 && code < illuminantCount ? illuminantNames[code] : "";
}

std::string illuminantPath(const std::string& dataDir, int illuminant)
{
    return dataDir + "/illuminant/CIE-" + illuminantName(illuminant) + ".sp";
}

std::string observerPath(const std::string& dataDir, int observer)
{
    if (observer < 0 || observer >= observerCount)
        throw std::out_of_range("no observer " + std::to_string(observer));
    return dataDir + "/cmf/" + observerFiles[observer];
}

Weighting::Weighting(const SpectralTable& illuminant, const SpectralTable& observer)
{
    if (observer.setCount() != 3)
        throw DataError("the colour-matching functions do not hold x, y and z");
    // The sums run in 1 nm steps over the tables, with the reflectance taken
    // as linear between the instrument's bands: each band weighs what lies
    // within 10 nm of it, tapering off. Sampling the tables only at the
    // bands would miss the narrow mercury lines of the fluorescent lamps
    // (F2 at 10 nm lost a sixth of its Z).
    double normaliser = 0;
    const int lastNm = firstWavelength + wavelengthStep * (bandCount - 1);
    for (int nm = firstWavelength; nm <= lastNm; ++nm) {
        const auto power = illuminant.at(0, nm);
        const auto xBar = observer.at(0, nm);
        const auto yBar = observer.at(1, nm);
        const auto zBar = observer.at(2, nm);
        if (!power || !xBar || !yBar || !zBar)
            continue;
        const int below = std::min((nm - firstWavelength) / wavelengthStep, bandCount - 1);
        const double above = static_cast<double>(nm - firstWavelength - below * wavelengthStep) / wavelengthStep;
        // An end of the range is a band of its own, whole.
        const double share[2] = {1 - above, above};
        for (int side = 0; side < 2; ++side) {
            if (share[side] <= 0)
                continue;
            const int k = below + side;
            x[k] += share[side] * *power * *xBar;
            y[k] += share[side] * *power * *yBar;
            z[k] += share[side] * *power * *zBar;
        }
        normaliser += *power * *yBar;
    }
    if (!(normaliser > 0))
        throw DataError("the illuminant has no power in 360-740 nm");
    for (int k = 0; k < bandCount; ++k) {
        x[k] *= 100 / normaliser;
        y[k] *= 100 / normaliser;
        z[k] *= 100 / normaliser;
        whitePoint.X += x[k];
        whitePoint.Y += y[k];
        whitePoint.Z += z[k];
    }
}

Xyz Weighting::xyz(const Spectrum& reflectance) const
{
    Xyz c;
    for (int k = 0; k < bandCount; ++k) {
        const double r = reflectance[k] / 100;
        c.X += x[k] * r;
        c.Y += y[k] * r;
        c.Z += z[k] * r;
    }
    return c;
}

Lab toLab(const Xyz& colour, const Xyz& white)
{
    const cmsCIEXYZ w = toCms(white);
    const cmsCIEXYZ c = toCms(colour);
    cmsCIELab lab;
    cmsXYZ2Lab(&w, &lab, &c);
    return {lab.L, lab.a, lab.b};
}

Xyz toXyz(const Lab& colour, const Xyz& white)
{
    const cmsCIEXYZ w = toCms(white);
    const cmsCIELab lab{colour.L, colour.a, colour.b};
    cmsCIEXYZ c;
    cmsLab2XYZ(&w, &c, &lab);
    return {c.X, c.Y, c.Z};
}

LCh toLCh(const Lab& colour)
{
    const cmsCIELab lab{colour.L, colour.a, colour.b};
    cmsCIELCh lch;
    cmsLab2LCh(&lch, &lab);
    return {lch.L, lch.C, lch.h};
}

Colorimetry::Colorimetry(const std::string& dataDir)
{
    // Every table is read once; a failure names its file.
    auto load = [](const std::string& path) { return SpectralTable::load(path); };
    auto weigh = [](const SpectralTable& illuminant, const SpectralTable& observer,
                    const std::string& illuminantFile, const std::string& observerFile) {
        try {
            return Weighting(illuminant, observer);
        } catch (const DataError& e) {
            throw DataError(illuminantFile + " / " + observerFile + ": " + e.what());
        }
    };
    std::vector<SpectralTable> observers;
    for (int o = 0; o < observerCount; ++o)
        observers.push_back(load(observerPath(dataDir, o)));
    weights.reserve(illuminantCount * observerCount);
    for (int i = 0; i < illuminantCount; ++i) {
        const std::string file = illuminantPath(dataDir, i);
        const SpectralTable illuminant = load(file);
        for (int o = 0; o < observerCount; ++o)
            weights.push_back(weigh(illuminant, observers[o], file, observerPath(dataDir, o)));
    }
}

const Weighting& Colorimetry::weighting(int illuminant, int observer) const
{
    if (illuminant < 0 || illuminant >= illuminantCount || observer < 0 || observer >= observerCount)
        throw std::out_of_range("no illuminant " + std::to_string(illuminant) + " / observer " +
                                std::to_string(observer));
    return weights[illuminant * observerCount + observer];
}

Lab Colorimetry::lab(const Spectrum& reflectance, int illuminant, int observer) const
{
    const Weighting& w = weighting(illuminant, observer);
    return toLab(w.xyz(reflectance), w.white());
}

} // namespace colour
