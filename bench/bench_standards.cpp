// What the standards library costs at start-up and when a standard is
// chosen: opening a library of 10,000 standards (every check the program
// makes of the file included) and finding one of them by name; also
// reading the whole list, as the standards dialog does. Goal: opening and
// finding together at most 50 ms. The library is made in a folder in the
// working directory (give another as the argument): a disk, as the user's.

#include "standards/SqliteStore.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

using Clock = std::chrono::steady_clock;

namespace {

constexpr int standardCount = 10000;
constexpr int runs = 50;
constexpr double goalMs = 50;

double msSince(Clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// Half spectral, half L*a*b*, with names of the length and kind a lab uses.
std::vector<standards::Standard> library()
{
    std::vector<standards::Standard> all;
    for (int i = 0; i < standardCount; ++i) {
        standards::Standard s;
        s.name = "基準 PX-" + std::to_string(100000 + i) + " 赤";
        if (i % 2 == 0) {
            colour::Spectrum spectrum{};
            for (std::size_t band = 0; band < spectrum.size(); ++band)
                spectrum[band] = 5 + (i % 90) + band * 0.5;
            s.reflectance = spectrum;
        }
        s.lab = {40.0 + i % 50, double(i % 60) - 30, double(i % 70) - 35};
        s.tolerance.deltaE = 1.0;
        s.tolerance.dL = 0.5;
        s.note = "batch " + std::to_string(i / 100);
        all.push_back(std::move(s));
    }
    return all;
}

void summary(const char* what, std::vector<double> ms)
{
    std::sort(ms.begin(), ms.end());
    std::printf("  %-32s median %7.2f ms, 95th percentile %7.2f ms, max %7.2f ms\n", what, ms[ms.size() / 2],
                ms[ms.size() * 95 / 100], ms.back());
}

} // namespace

int main(int argc, char** argv)
{
    const std::filesystem::path dir =
        argc > 1 ? std::filesystem::path(argv[1])
                 : std::filesystem::current_path() / ("bench-standards-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "standards.sqlite").string();
    std::filesystem::remove(path);

    try {
        const auto making = Clock::now();
        standards::SqliteStore(path).add(library());
        const double madeMs = msSince(making);

        std::vector<double> open, find, openFind, list;
        for (int run = 0; run < runs; ++run) {
            const std::string name = "基準 PX-" + std::to_string(100000 + (run * 7919) % standardCount) + " 赤";
            const auto start = Clock::now();
            standards::SqliteStore store(path);
            const double opened = msSince(start);
            const auto finding = Clock::now();
            const auto found = store.find(name);
            const double foundMs = msSince(finding);
            openFind.push_back(msSince(start));
            if (!found) {
                std::fprintf(stderr, "bench_standards: %s not found\n", name.c_str());
                return 1;
            }
            open.push_back(opened);
            find.push_back(foundMs);
            const auto listing = Clock::now();
            if (store.all().size() != standardCount) {
                std::fprintf(stderr, "bench_standards: the list is not whole\n");
                return 1;
            }
            list.push_back(msSince(listing));
        }
        std::printf("standards library of %d standards (%.1f MB) in %s, %d runs\n", standardCount,
                    double(std::filesystem::file_size(path)) / 1e6, dir.string().c_str(), runs);
        std::printf("  made in one transaction: %.0f ms\n", madeMs);
        summary("open (with its checks)", open);
        summary("find one by name", find);
        summary("open and find", openFind);
        summary("read the whole list", list);
        std::sort(openFind.begin(), openFind.end());
        const double p95 = openFind[openFind.size() * 95 / 100];
        std::printf("  open and find, 95th percentile %.2f ms; goal <= %.0f ms: %s\n", p95, goalMs,
                    p95 <= goalMs ? "met" : "NOT met");
    } catch (const standards::StoreError& error) {
        std::fprintf(stderr, "bench_standards: %s\n", error.what());
        return 1;
    }
    if (argc <= 1)
        std::filesystem::remove_all(dir);
    return 0;
}
