// CIELAB to the screen's sRGB.

#include "colour/Display.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

colour::Xyz white(double X, double Z) { return {X, 100, Z}; }

const colour::Xyz d65 = white(95.047, 108.883);
const colour::Xyz illuminantA = white(109.850, 35.585);

TEST(Display, KnownColoursUnderD65)
{
    const struct {
        colour::Lab lab;
        int red, green, blue;
    } known[] = {
        // sRGB's own white, black, mid grey and primaries.
        {{100, 0, 0}, 255, 255, 255},
        {{0, 0, 0}, 0, 0, 0},
        {{53.585, 0, 0}, 128, 128, 128},
        {{53.2408, 80.0925, 67.2032}, 255, 0, 0},
        {{87.7347, -86.1827, 83.1793}, 0, 255, 0},
        {{32.2970, 79.1875, -107.8602}, 0, 0, 255},
    };
    for (const auto& k : known) {
        const colour::DisplayColour c = colour::toDisplay(k.lab, d65);
        SCOPED_TRACE(testing::Message() << k.lab.L << "," << k.lab.a << "," << k.lab.b);
        EXPECT_NEAR(c.red, k.red, 1);
        EXPECT_NEAR(c.green, k.green, 1);
        EXPECT_NEAR(c.blue, k.blue, 1);
        EXPECT_FALSE(c.outOfGamut);
    }
}

TEST(Display, TheWhiteOfAnyIlluminantIsTheScreensWhite)
{
    // Adapted to the display's white, a perfect white under A is white too,
    // not orange, and a neutral grey stays neutral.
    for (const colour::Xyz& w : {d65, illuminantA, white(96.422, 82.521)}) {
        const colour::DisplayColour c = colour::toDisplay({100, 0, 0}, w);
        EXPECT_EQ(c.red, 255);
        EXPECT_EQ(c.green, 255);
        EXPECT_EQ(c.blue, 255);
        EXPECT_FALSE(c.outOfGamut);
        const colour::DisplayColour grey = colour::toDisplay({50, 0, 0}, w);
        EXPECT_NEAR(grey.red, grey.green, 1);
        EXPECT_NEAR(grey.green, grey.blue, 1);
    }
}

TEST(Display, ColoursBeyondSrgbAreMarkedAndClipped)
{
    const colour::Lab outside[] = {
        {50, -120, 100}, // a green no screen shows
        {150, 0, 0},     // lighter than white (a fluorescent sample)
        {20, 0, -120},   // a deep blue
    };
    for (const colour::Lab& lab : outside) {
        const colour::DisplayColour c = colour::toDisplay(lab, d65);
        EXPECT_TRUE(c.outOfGamut) << lab.L << "," << lab.a << "," << lab.b;
    }
    EXPECT_EQ(colour::toDisplay({150, 0, 0}, d65).red, 255);
    EXPECT_FALSE(colour::toDisplay({60, 20, 20}, d65).outOfGamut);
    EXPECT_FALSE(colour::toDisplay({60, 20, 20}, illuminantA).outOfGamut);
}

} // namespace
