// What an unlimited wait for a line costs: the CPU used while recvString
// waits 5 s on a quiet line, and how soon a cancel from another thread ends
// such a wait. Goals: under 1 % of one core, under 100 ms.

#include "termin/PortLink.h"
#include "termin/SerialPort.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <pty.h>
#include <unistd.h>

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

namespace {

double processCpuSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// Waits with time-out 0 until a cancel made after delay; the time from the
// cancel to the return.
Clock::duration cancelLatency(termin::SerialPort& port, std::chrono::milliseconds delay)
{
    Clock::time_point cancelled;
    std::thread canceller([&] {
        std::this_thread::sleep_for(delay);
        cancelled = Clock::now();
        port.cancel();
    });
    std::string line;
    const int result = port.recvString(line);
    const auto returned = Clock::now();
    canceller.join();
    if (result != -1) {
        std::fprintf(stderr, "recvString returned %d instead of -1\n", result);
        std::exit(1);
    }
    return returned - cancelled;
}

} // namespace

int main()
{
    int master = -1, slave = -1;
    char slaveName[256] = {};
    if (openpty(&master, &slave, slaveName, nullptr, nullptr) != 0) {
        std::perror("openpty");
        return 1;
    }
    std::string dir = (std::filesystem::temp_directory_path() / "termin-bench-XXXXXX").string();
    if (mkdtemp(dir.data()) == nullptr) {
        std::perror("mkdtemp");
        return 1;
    }
    setenv("XDG_CONFIG_HOME", dir.c_str(), 1);
    std::filesystem::create_directories(std::filesystem::path(dir) / "termin" / "ports");
    std::filesystem::create_symlink(slaveName, termin::portLinkPath("COM1"));

    termin::SerialPort port;
    port.open();
    port.setTimeout(0);

    const double cpuBefore = processCpuSeconds();
    const auto start = Clock::now();
    const auto firstLatency = cancelLatency(port, 5s);
    const double wall = std::chrono::duration<double>(Clock::now() - start).count();
    const double cpu = processCpuSeconds() - cpuBefore;
    std::printf("unlimited wait: %.3f s wall, %.3f ms CPU = %.4f %% of one core (goal < 1 %%)\n",
                wall, cpu * 1e3, 100.0 * cpu / wall);

    std::vector<double> latencies{ms(firstLatency)};
    for (int i = 0; i < 49; ++i)
        latencies.push_back(ms(cancelLatency(port, 20ms)));
    std::sort(latencies.begin(), latencies.end());
    std::printf("cancel to return: median %.3f ms, max %.3f ms over %zu waits (goal < 100 ms)\n",
                latencies[latencies.size() / 2], latencies.back(), latencies.size());

    port.close();
    close(master);
    close(slave);
    std::filesystem::remove_all(dir);
    return 0;
}
