// The simulator's measurement data look like real surfaces: L*a*b* agrees
// with the spectrum it reports.

#include "SimFixture.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numeric>
#include <string>
#include <vector>

namespace simtest {
namespace {

class SimColour : public SimFixture {
protected:
    void SetUp() override
    {
        sim.command("FLAGS 22222222");
        ASSERT_EQ(reply("CPS,0,0"), "OK00\r\n");
    }

    std::vector<double> spectrum(const std::string& sample)
    {
        sim.command("SAMPLE " + sample);
        return dataValues(reply("MES"), 39).value_or(std::vector<double>());
    }

    // L*, a*, b* of the sample, or nothing when the line is not valid.
    std::vector<double> lab(const std::string& sample, int illuminant, int observer)
    {
        sim.command("SAMPLE " + sample);
        const std::string ces = "CES,0," + std::to_string(illuminant) + ",11," +
                                std::to_string(observer) + ",0";
        return dataValues(reply(ces), 3).value_or(std::vector<double>());
    }
};

TEST_F(SimColour, TheWhiteTileIsLightAndNearlyNeutral)
{
    for (int illuminant = 0; illuminant <= 10; ++illuminant) {
        for (int observer = 0; observer <= 1; ++observer) {
            const std::vector<double> c = lab("white", illuminant, observer);
            ASSERT_EQ(c.size(), 3u);
            EXPECT_GT(c[0], 90) << illuminant << "/" << observer;
            EXPECT_LT(std::abs(c[1]), 3) << illuminant << "/" << observer;
            EXPECT_LT(std::abs(c[2]), 3) << illuminant << "/" << observer;
        }
    }
}

// A flat spectrum has the colour of the white it is compared with whatever
// the illuminant, so L* = 116 (Y/Yn)^(1/3) - 16 with Y/Yn the reflectance.
TEST_F(SimColour, AFlatGreyMatchesTheHandCalculation)
{
    const std::vector<double> r = spectrum("grey");
    ASSERT_EQ(r.size(), 39u);
    const double mean = std::accumulate(r.begin(), r.end(), 0.0) / r.size();
    for (double value : r)
        ASSERT_NEAR(value, mean, 0.2) << "the grey is not flat";
    const double expectedL = 116 * std::cbrt(mean / 100) - 16;

    for (int illuminant = 0; illuminant <= 10; ++illuminant) {
        for (int observer = 0; observer <= 1; ++observer) {
            const std::vector<double> c = lab("grey", illuminant, observer);
            ASSERT_EQ(c.size(), 3u);
            EXPECT_NEAR(c[0], expectedL, 0.15) << illuminant << "/" << observer;
            EXPECT_LT(std::abs(c[1]), 0.3) << illuminant << "/" << observer;
            EXPECT_LT(std::abs(c[2]), 0.3) << illuminant << "/" << observer;
        }
    }
}

TEST_F(SimColour, ColouredSamplesShowTheirHue)
{
    const struct {
        const char* sample;
        int axis; // 1 a*, 2 b*
        double sign;
    } cases[] = {{"red", 1, +1}, {"green", 1, -1}, {"yellow", 2, +1}, {"blue", 2, -1}};
    for (const auto& c : cases) {
        const std::vector<double> d65 = lab(c.sample, 0, 0);
        ASSERT_EQ(d65.size(), 3u) << c.sample;
        EXPECT_GT(c.sign * d65[c.axis], 30) << c.sample;
    }
    const std::vector<double> black = lab("black", 0, 0);
    ASSERT_EQ(black.size(), 3u);
    EXPECT_LT(black[0], 30);
}

TEST_F(SimColour, IlluminantAndObserverChangeTheResult)
{
    const std::vector<double> d65 = lab("red", 0, 0);
    const std::vector<double> a = lab("red", 3, 0);
    const std::vector<double> f11 = lab("red", 9, 0);
    const std::vector<double> twoDegrees = lab("green", 0, 1);
    const std::vector<double> tenDegrees = lab("green", 0, 0);
    for (const auto* c : {&d65, &a, &f11, &twoDegrees, &tenDegrees})
        ASSERT_EQ(c->size(), 3u);
    // The warm lamp lifts the red's lightness and yellowness.
    EXPECT_GT(a[0] - d65[0], 2);
    EXPECT_GT(a[2] - d65[2], 2);
    EXPECT_GT(std::abs(f11[1] - d65[1]) + std::abs(f11[2] - d65[2]), 1);
    EXPECT_GT(std::abs(twoDegrees[1] - tenDegrees[1]), 1);
}

TEST_F(SimColour, SpecularExcludedReadsDarker)
{
    ASSERT_EQ(reply("CPS,0,1"), "OK00\r\n");
    sim.command("SAMPLE black");
    const std::vector<std::string> lines = replies("CES,0,0,11,0,0", 2);
    ASSERT_EQ(lines.size(), 2u);
    auto sci = dataValues(lines[0], 3);
    auto sce = dataValues(lines[1], 3);
    ASSERT_TRUE(sci && sce);
    EXPECT_GT((*sci)[0] - (*sce)[0], 10) << "gloss black: most of its light is specular";
}

TEST_F(SimColour, WithoutAHeldSampleEveryMeasurementMeetsANewOne)
{
    sim.command("SAMPLE cycle");
    std::vector<double> previous;
    for (int i = 0; i < 4; ++i) {
        const std::vector<double> c = dataValues(reply("CES,0,0,11,0,0"), 3).value_or(
            std::vector<double>());
        ASSERT_EQ(c.size(), 3u);
        if (!previous.empty()) {
            EXPECT_GT(std::abs(c[0] - previous[0]) + std::abs(c[1] - previous[1]) +
                          std::abs(c[2] - previous[2]),
                      5);
        }
        previous = c;
    }
}

} // namespace
} // namespace simtest
