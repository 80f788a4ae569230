#include "Colorimetry.h"

namespace sxsim {

Colorimeter::Colorimeter(const std::string& dataDir)
{
    std::vector<colour::SpectralTable> observers;
    for (int o = 0; o < observerCount; ++o)
        observers.push_back(colour::SpectralTable::load(colour::observerPath(dataDir, o)));
    const colour::SpectralTable d65 = colour::SpectralTable::load(colour::illuminantPath(dataDir, 0));

    for (int i = 0; i < illuminantCount; ++i) {
        colour::SpectralTable illuminant = d65;
        if (i != 0) {
            try {
                illuminant = colour::SpectralTable::load(colour::illuminantPath(dataDir, i));
            } catch (const colour::DataError& e) {
                notes.push_back(std::string("illuminant ") + colour::illuminantName(i) +
                                " replaced by D65 (" + e.what() + ")");
                illuminant = d65;
            }
        }
        for (int o = 0; o < observerCount; ++o)
            weights.emplace_back(illuminant, observers[o]);
    }
}

Lab Colorimeter::lab(const Spectrum& reflectance, int illuminant, int observer) const
{
    const colour::Weighting& w = weights.at(illuminant * observerCount + observer);
    return colour::toLab(w.xyz(reflectance), w.white());
}

} // namespace sxsim
