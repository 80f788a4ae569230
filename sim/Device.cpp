#include "Device.h"

#include "Samples.h"

#include <algorithm>
#include <charconv>
#include <cstdio>

namespace sxsim {
namespace {

Reply answer(std::string line, std::chrono::milliseconds work = {})
{
    return Reply{{std::move(line)}, work};
}

std::string twoDigits(int value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d", value);
    return text;
}

// The parameters of "NAME,p1,p2,..." as non-negative integers, or nothing
// when the name, the count or any digit is wrong.
std::optional<std::vector<int>> parameters(std::string_view command, std::string_view name,
                                           std::size_t count)
{
    if (command.substr(0, name.size()) != name)
        return std::nullopt;
    std::string_view rest = command.substr(name.size());
    std::vector<int> values;
    while (!rest.empty()) {
        if (rest.front() != ',')
            return std::nullopt;
        rest.remove_prefix(1);
        const std::size_t end = std::min(rest.find(','), rest.size());
        int value = -1;
        auto [ptr, ec] = std::from_chars(rest.data(), rest.data() + end, value);
        if (end == 0 || end > 2 || rest.front() < '0' || rest.front() > '9' ||
            ec != std::errc() || ptr != rest.data() + end)
            return std::nullopt;
        values.push_back(value);
        rest.remove_prefix(end);
    }
    if (values.size() != count)
        return std::nullopt;
    return values;
}

// A data line holds one to three characters before the point, sign
// included, and always two decimals.
std::string dataValue(double value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%.2f", std::clamp(value, -99.99, 999.99));
    return std::string_view(text) == "-0.00" ? "0.00" : text;
}

} // namespace

Device::Device(const Colorimeter& colorimeter, std::chrono::milliseconds measureTime,
               std::chrono::milliseconds calibrateTime)
    : colorimeter(colorimeter), measureTime(measureTime), calibrateTime(calibrateTime)
{
}

char& Device::calibrationFlag()
{
    const int uvSlots = state.mode / 2 == 0 ? 0 : 4;
    return state.flags[uvSlots + 2 * state.area + (state.mode & 1)];
}

Reply Device::handle(std::string_view line)
{
    if (line.size() < 2 || line.substr(line.size() - 2) != "\r\n")
        return answer("ER00");
    const std::string_view command = line.substr(0, line.size() - 2);

    if (command == "IDR")
        return answer("OK00," + twoDigits(state.productId));
    if (command == "CPR")
        return answer("OK00," + std::to_string(state.area) + "," + std::to_string(state.mode));
    if (command == "STR") {
        int busy = 0;
        if (state.busyPolls > 0) {
            --state.busyPolls;
            busy = 1;
        }
        return answer("OK00," + twoDigits(busy) + ",," + state.flags);
    }
    if (auto p = parameters(command, "CPS", 2)) {
        if ((*p)[0] > 1 || (*p)[1] > 5)
            return answer("ER00");
        state.area = (*p)[0];
        state.mode = (*p)[1];
        return answer("OK00");
    }
    if (command == "UZC") {
        // A new zero calibration asks for a new white calibration.
        calibrationFlag() = '1';
        return answer("OK00", calibrateTime);
    }
    if (command == "CAL") {
        char& flag = calibrationFlag();
        if (flag != '1' && flag != '2')
            return answer("ER07");
        flag = '2';
        return answer("OK00", calibrateTime);
    }
    if (command == "MES")
        return measure(std::nullopt);
    if (auto p = parameters(command, "CES", 5)) {
        const std::vector<int>& v = *p;
        if (v[0] != 0 || v[1] >= illuminantCount || v[2] != 11 || v[3] >= observerCount ||
            v[4] != 0)
            return answer("ER00");
        return measure(LabRequest{v[1], v[3]});
    }
    if (command == "SWE") {
        state.remote = true;
        return answer("OK00");
    }
    if (command == "SWD") {
        state.remote = false;
        return answer("OK00");
    }
    return answer("ER00");
}

Reply Device::press(const std::optional<LabRequest>& lab)
{
    if (!state.remote)
        return {};
    return measure(lab);
}

Reply Device::measure(const std::optional<LabRequest>& lab)
{
    const char flag = calibrationFlag();
    if (flag == '1')
        return answer("ER24");
    if (flag != '2')
        return answer("ER07");

    const Sample& sample = samples()[sampleIndex];
    // The small aperture sees less of the surface and reads less steadily.
    const double spread = state.area == 0 ? 0.03 : 0.08;
    std::uniform_real_distribution<double> jitter(-spread, spread);

    Reply reply;
    reply.work = measureTime;
    // Component codes 0..5: odd ones exclude the specular part, code / 2 is
    // the UV condition; a mode measures the codes it covers.
    for (int code = 0; code < 6; ++code) {
        const bool sce = code % 2 == 1;
        if ((sce && state.mode % 2 == 0) || code / 2 > state.mode / 2)
            continue;
        Spectrum r = reflectance(sample, sce, code / 2);
        for (double& value : r)
            value = std::max(0.0, value + jitter(noise));
        std::string line = "OK00";
        if (lab) {
            const Lab c = colorimeter.lab(r, lab->illuminant, lab->observer);
            for (double value : {c.L, c.a, c.b})
                line += "," + dataValue(value);
        } else {
            for (double value : r)
                line += "," + dataValue(value);
        }
        reply.lines.push_back(std::move(line));
    }
    if (cycling)
        sampleIndex = (sampleIndex + 1) % samples().size();
    return reply;
}

void Device::holdSample(std::optional<std::size_t> index)
{
    cycling = !index;
    if (index)
        sampleIndex = *index;
}

const std::string& Device::sampleName() const
{
    return samples()[sampleIndex].name;
}

} // namespace sxsim
