#include "colour/Spectral.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <fstream>
#include <iterator>
#include <map>

namespace colour {
namespace {

double number(const std::string& token, const std::string& path)
{
    double value = 0;
    const char* end = token.data() + token.size();
    auto [ptr, ec] = std::from_chars(token.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value))
        throw DataError(path + ": not a number: " + token);
    return value;
}

} // namespace

SpectralTable SpectralTable::load(const std::string& path)
{
    std::ifstream in(path);
    if (!in)
        throw DataError(path + ": cannot be read");
    std::vector<std::string> tokens{std::istream_iterator<std::string>(in),
                                    std::istream_iterator<std::string>()};

    std::map<std::string, std::string> header;
    std::vector<double> values;
    bool inData = false;
    bool ended = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const std::string& token = tokens[i];
        if (token == "BEGIN_DATA")
            inData = true;
        else if (token == "END_DATA") {
            inData = false;
            ended = true;
        } else if (inData)
            values.push_back(number(token, path));
        else if (i + 1 < tokens.size())
            header.emplace(token, tokens[i + 1]);
    }
    // A file cut short has no END_DATA: its last row may be a part of one.
    if (!ended)
        throw DataError(path + ": no END_DATA (the file is cut short)");

    auto field = [&](const char* key) {
        auto it = header.find(key);
        if (it == header.end())
            throw DataError(path + ": no " + key);
        return number(it->second, path);
    };
    SpectralTable table;
    table.startNm = field("SPECTRAL_START_NM");
    table.endNm = field("SPECTRAL_END_NM");
    table.bands = static_cast<int>(field("SPECTRAL_BANDS"));
    const int setCount = static_cast<int>(field("NUMBER_OF_SETS"));
    if (table.bands < 2 || setCount < 1 || table.endNm <= table.startNm ||
        values.size() != static_cast<std::size_t>(table.bands) * setCount)
        throw DataError(path + ": the data do not match the header's band and set counts");
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

} // namespace colour
