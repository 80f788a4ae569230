#pragma once
// A measurement as the colour view sees it: its number and name, and the
// values of each data line that passes the output filter, as numbers.

#include <span>
#include <string>
#include <vector>

namespace tonvale {

class MeasurementRecord;

struct ColourSample {
    struct Line {
        std::string component; // "SCI" or "SCE"
        // 39 reflectances in percent (360..740 nm), or L*, a*, b*.
        std::vector<double> values;
        // Its place among the measurement's data lines, the filtered ones
        // included (as the journal numbers them).
        int index = 0;
    };

    int number = 0;
    std::string name;
    int dataType = 0; // 0 spectral, 1 L*a*b*
    // For L*a*b* data, the illuminant and observer codes the values hold
    // under; -1 when the instrument's button measured under its own setting,
    // which the program does not know.
    int illuminant = -1;
    int observer = -1;
    std::vector<Line> lines;
};

// The measurement the record holds, the values read from its data lines as
// received. illuminant and observer: what L*a*b* was asked for under, or -1.
ColourSample colourSample(const MeasurementRecord& record, std::span<const std::string> lines,
                          int illuminant, int observer);

} // namespace tonvale
