#pragma once
// The instrument itself: its state and its answer to every command line.
// Timing, the serial line and injected faults are the Simulator's business.

#include "Colorimetry.h"

#include <chrono>
#include <cstddef>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace sxsim {

// Data lines per mode code.
inline constexpr int lineCountTable[6] = {1, 2, 2, 4, 3, 6};

// Everything the instrument remembers between commands.
struct DeviceState {
    int productId = 3; // 3 SX-4810k, 13 SX-4800k
    int area = 0;      // 0 = 8 mm, 1 = 3 mm
    int mode = 0;      // bit 0: SCI and SCE; mode / 2: UV condition
    // Calibration state per slot, '0' none, '1' zero done, '2' zero and white
    // done. Slots 0-3 are 8 mm single, 8 mm both, 3 mm single, 3 mm both
    // under full UV; 4-7 the same under the other UV conditions.
    std::string flags = "00000000";
    int busyPolls = 0; // status polls still to be answered as busy
    bool remote = false;
};

struct LabRequest {
    int illuminant = 0; // 0..10
    int observer = 0;   // 0 = 10 degrees, 1 = 2 degrees
};

struct Reply {
    std::vector<std::string> lines;    // without CR LF
    std::chrono::milliseconds work{0}; // instrument time before the first line
};

class Device {
public:
    Device(const Colorimeter& colorimeter, std::chrono::milliseconds measureTime,
           std::chrono::milliseconds calibrateTime);

    // One received command line with its CR LF.
    Reply handle(std::string_view line);

    // The measuring button. Only in remote mode do the data lines go to the PC.
    Reply press(const std::optional<LabRequest>& lab);

    // Keeps one sample under the aperture; nullopt moves on to the next
    // sample after every measurement.
    void holdSample(std::optional<std::size_t> index);
    const std::string& sampleName() const;

    DeviceState state;

private:
    Reply measure(const std::optional<LabRequest>& lab);
    char& calibrationFlag();

    const Colorimeter& colorimeter;
    std::chrono::milliseconds measureTime;
    std::chrono::milliseconds calibrateTime;
    std::size_t sampleIndex = 0;
    bool cycling = true;
    std::mt19937 noise{4810};
};

} // namespace sxsim
