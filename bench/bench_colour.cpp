// What the colour library costs a measurement: one spectrum under all 22
// illuminant/observer combinations (XYZ, L*a*b*, L*C*h° and the display
// colour of each), and judging it against a reference in the four
// difference formulas. Goal: the 22 combinations in at most 0.2 ms.
// Argument: colord's data directory (default /usr/share/colord).

#include "colour/Difference.h"
#include "colour/Display.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

using Clock = std::chrono::steady_clock;

namespace {

constexpr int runs = 2000;
constexpr double goalMs = 0.2;

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    const std::string dataDir = argc > 1 ? argv[1] : "/usr/share/colord";
    const auto loadStart = Clock::now();
    const colour::Colorimetry colorimetry(dataDir);
    const double loadMs = std::chrono::duration<double, std::milli>(Clock::now() - loadStart).count();

    colour::Spectrum sample;
    for (int k = 0; k < colour::bandCount; ++k)
        sample[k] = 20 + 60.0 * k / colour::bandCount;
    const colour::Lab reference{55, 10, 20};

    double sink = 0;
    std::vector<double> all, judge;
    for (int run = 0; run < runs; ++run) {
        auto start = Clock::now();
        for (int i = 0; i < colour::illuminantCount; ++i) {
            for (int o = 0; o < colour::observerCount; ++o) {
                const colour::Weighting& w = colorimetry.weighting(i, o);
                const colour::Lab lab = colour::toLab(w.xyz(sample), w.white());
                const colour::LCh lch = colour::toLCh(lab);
                const colour::DisplayColour shown = colour::toDisplay(lab, w.white());
                sink += lch.h + shown.red;
            }
        }
        all.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());

        start = Clock::now();
        const colour::Lab lab = colorimetry.lab(sample, 0, 0);
        sink += colour::deltaEab(reference, lab) + colour::deltaE94(reference, lab) +
                colour::deltaE00(reference, lab) + colour::deltaECmc(reference, lab) +
                colour::components(reference, lab).dH;
        judge.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }

    const double allMs = median(all);
    std::printf("tables loaded (22 weightings): %.2f ms\n", loadMs);
    std::printf("22 illuminant/observer combinations of one spectrum: %.4f ms (median of %d; goal <= %.1f ms) %s\n",
                allMs, runs, goalMs, allMs <= goalMs ? "met" : "MISSED");
    std::printf("one spectrum judged in four formulas: %.4f ms (median)\n", median(judge));
    std::printf("(checksum %.1f)\n", sink);
    return 0;
}
