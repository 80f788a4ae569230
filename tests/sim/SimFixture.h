#pragma once
// A simulator published as COM1 and the PC's end of its line, opened
// through the port link as Termin would find it.

#include "SimControl.h"
#include "SimLine.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

namespace simtest {

class SimFixture : public ::testing::Test {
protected:
    explicit SimFixture(const sxsim::SimOptions& options = {})
        : sim(options), line(sim.linkPath())
    {
    }

    // One reply line, or a marker that fails any comparison with a reply.
    std::string reply(std::string_view command)
    {
        auto answer = line.exchange(command);
        return answer ? *answer : "<no reply>";
    }

    // count reply lines to one command.
    std::vector<std::string> replies(std::string_view command, std::size_t count)
    {
        line.send(std::string(command) + "\r\n");
        std::vector<std::string> lines;
        for (std::size_t i = 0; i < count; ++i)
            if (auto answer = line.readLine())
                lines.push_back(*answer);
        return lines;
    }

    sxsim::SimProcess sim;
    SimLine line;
};

// Data lines per mode code, and the calibration flag that the program
// reads for area, component index and UV index.
inline constexpr int lineCountTable[6] = {1, 2, 2, 4, 3, 6};
inline constexpr int calibrationSlotTable[18] = {0, 4, 4, 1, 5, 5, 1, 5, 5,
                                                 2, 6, 6, 3, 7, 7, 3, 7, 7};

inline int flagIndex(int area, int mode)
{
    return calibrationSlotTable[9 * area + 3 * (mode % 2 == 1 ? 2 : 0) + mode / 2];
}

} // namespace simtest
