#include "Samples.h"

#include <cmath>

namespace sxsim {
namespace {

double rise(double nm, double centre, double width)
{
    return 1 / (1 + std::exp(-(nm - centre) / width));
}

double peak(double nm, double centre, double width)
{
    const double t = (nm - centre) / width;
    return std::exp(-t * t / 2);
}

// How much of the brightener's emission each UV condition excites.
constexpr double uvExcitation[3] = {1.0, 0.0, 0.6};

} // namespace

const std::vector<Sample>& samples()
{
    static const std::vector<Sample> all = {
        {"white", 4.0, 0, [](double nm) { return 74 + 16 * rise(nm, 405, 12); }},
        {"grey", 0.4, 0, [](double) { return 18.0; }},
        {"black", 4.0, 0, [](double nm) { return 0.4 + 0.3 * rise(nm, 600, 40); }},
        {"red", 2.5, 0,
         [](double nm) { return 5 + 65 * rise(nm, 600, 14) + 3 * peak(nm, 420, 25); }},
        {"yellow", 2.5, 0, [](double nm) { return 6 + 76 * rise(nm, 505, 16); }},
        {"green", 1.2, 0, [](double nm) { return 6 + 42 * peak(nm, 530, 35); }},
        {"blue", 1.5, 0,
         [](double nm) { return 8 + 50 * peak(nm, 450, 35) + 10 * rise(nm, 690, 20); }},
        {"paper", 0.6, 14, [](double nm) { return 4 + 82 * rise(nm, 390, 10); }},
    };
    return all;
}

Spectrum reflectance(const Sample& sample, bool specularExcluded, int uvCondition)
{
    Spectrum values{};
    for (int k = 0; k < bandCount; ++k) {
        const double nm = firstWavelength + wavelengthStep * k;
        double r = sample.body(nm) +
                   sample.brightener * uvExcitation[uvCondition] * peak(nm, 440, 20);
        if (!specularExcluded)
            r += sample.gloss;
        values[k] = r;
    }
    return values;
}

} // namespace sxsim
