#include "Colorimetry.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <stdexcept>

namespace sxsim {
namespace {

constexpr const char* illuminantNames[illuminantCount] = {
    "D65", "D50", "C", "A", "F2", "F6", "F7", "F8", "F10", "F11", "F12"};

// Observer code 0 is the 10 degree observer, 1 the 2 degree one.
constexpr const char* cmfFiles[observerCount] = {"CIE1964-10deg-XYZ.cmf",
                                                 "CIE1931-2deg-XYZ.cmf"};

double number(const std::string& token, const std::string& path)
{
    double value = 0;
    const char* end = token.data() + token.size();
    auto [ptr, ec] = std::from_chars(token.data(), end, value);
    if (ec != std::errc() || ptr != end)
        throw std::runtime_error(path + ": not a number: " + token);
    return value;
}

// CIELAB's cube root with its linear segment near black.
double labF(double t)
{
    constexpr double delta = 6.0 / 29.0;
    return t > delta * delta * delta ? std::cbrt(t) : t / (3 * delta * delta) + 4.0 / 29.0;
}

} // namespace

const char* illuminantName(int code)
{
    return code >= 0 && code < illuminantCount ? illuminantNames[code] : "";
}

SpectralTable SpectralTable::load(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        throw std::runtime_error(path + ": cannot be read");
    std::vector<std::string> tokens{std::istream_iterator<std::string>(in),
                                    std::istream_iterator<std::string>()};

    std::map<std::string, std::string> header;
    std::vector<double> values;
    bool inData = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if (token == "BEGIN_DATA")
            inData = true;
        else if (token == "END_DATA")
            inData = false;
        else if (inData)
            values.push_back(number(token, path));
        else if (i + 1 < tokens.size())
            header.emplace(token, tokens[i + 1]);
    }

    auto field = [&](const char* key) {
        auto it = header.find(key);
        if (it == header.end())
            throw std::runtime_error(path + ": no " + key);
        return number(it->second, path);
    };
    SpectralTable table;
    table.startNm = field("SPECTRAL_START_NM");
    table.endNm = field("SPECTRAL_END_NM");
    table.bands = static_cast<int>(field("SPECTRAL_BANDS"));
    const int setCount = static_cast<int>(field("NUMBER_OF_SETS"));
    if (table.bands < 2 || setCount < 1 || table.endNm <= table.startNm ||
        values.size() != static_cast<std::size_t>(table.bands) * setCount)
        throw std::runtime_error(path + ": data do not match the header");
    for (int s = 0; s < setCount; ++s)
        table.sets.emplace_back(values.begin() + s * table.bands,
                                values.begin() + (s + 1) * table.bands);
    return table;
}

std::optional<double> SpectralTable::at(int set, double nm) const
{
    const double step = (endNm - startNm) / (bands - 1);
    const double position = (nm - startNm) / step;
    if (set < 0 || set >= setCount() || position < -1e-9 || position > bands - 1 + 1e-9)
        return std::nullopt;
    const int below = std::min(static_cast<int>(std::floor(position + 1e-9)), bands - 1);
    const double fraction = position - below;
    const std::vector<double>& values = sets[set];
    if (fraction < 1e-9)
        return values[below];
    return values[below] + fraction * (values[below + 1] - values[below]);
}

Colorimeter::Colorimeter(const std::string& dataDir)
{
    std::array<SpectralTable, observerCount> cmfs;
    for (int o = 0; o < observerCount; ++o) {
        cmfs[o] = SpectralTable::load(dataDir + "/cmf/" + cmfFiles[o]);
        if (cmfs[o].setCount() != 3)
            throw std::runtime_error(std::string(cmfFiles[o]) + ": expected x, y and z");
    }
    const SpectralTable d65 = SpectralTable::load(dataDir + "/illuminant/CIE-D65.sp");

    for (int i = 0; i < illuminantCount; ++i) {
        SpectralTable illuminant = d65;
        if (i != 0) {
            const std::string path =
                dataDir + "/illuminant/CIE-" + illuminantNames[i] + ".sp";
            try {
                illuminant = SpectralTable::load(path);
            } catch (const std::runtime_error& e) {
                notes.push_back(std::string("illuminant ") + illuminantNames[i] +
                                " replaced by D65 (" + e.what() + ")");
            }
        }
        for (int o = 0; o < observerCount; ++o) {
            // Bands where the illuminant or the observer has no value weigh
            // nothing, for the sample and the white alike, so a perfect
            // reflector stays at L* 100 whatever range a table covers.
            Weights& w = weights[i][o];
            double normaliser = 0;
            for (int k = 0; k < bandCount; ++k) {
                const double nm = firstWavelength + wavelengthStep * k;
                auto power = illuminant.at(0, nm);
                auto x = cmfs[o].at(0, nm);
                auto y = cmfs[o].at(1, nm);
                auto z = cmfs[o].at(2, nm);
                if (!power || !x || !y || !z)
                    continue;
                w.x[k] = *power * *x;
                w.y[k] = *power * *y;
                w.z[k] = *power * *z;
                normaliser += w.y[k];
            }
            if (normaliser <= 0)
                throw std::runtime_error(std::string("illuminant ") + illuminantNames[i] +
                                         " has no power in 360-740 nm");
            for (int k = 0; k < bandCount; ++k) {
                w.x[k] *= 100 / normaliser;
                w.y[k] *= 100 / normaliser;
                w.z[k] *= 100 / normaliser;
                w.whiteX += w.x[k];
                w.whiteY += w.y[k];
                w.whiteZ += w.z[k];
            }
        }
    }
}

Lab Colorimeter::lab(const Spectrum& reflectance, int illuminant, int observer) const
{
    const Weights& w = weights.at(illuminant).at(observer);
    double x = 0, y = 0, z = 0;
    for (int k = 0; k < bandCount; ++k) {
        const double r = reflectance[k] / 100;
        x += w.x[k] * r;
        y += w.y[k] * r;
        z += w.z[k] * r;
    }
    const double fx = labF(x / w.whiteX);
    const double fy = labF(y / w.whiteY);
    const double fz = labF(z / w.whiteZ);
    return {116 * fy - 16, 500 * (fx - fy), 200 * (fy - fz)};
}

} // namespace sxsim
