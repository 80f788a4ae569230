// The colour-difference formulas against published test data.

#include "colour/Difference.h"

#include <gtest/gtest.h>

#include <lcms2.h>

#include <cmath>

namespace {

using colour::Lab;

struct Pair {
    Lab reference;
    Lab sample;
    double expected;
};

// Sharma, Wu and Dalal (2005), "The CIEDE2000 color-difference formula:
// implementation notes, supplementary test data, and mathematical
// observations", Table 1: all 34 pairs, kL = kC = kH = 1, to four decimals.
const Pair sharma2005[] = {
    {{50.0000, 2.6772, -79.7751}, {50.0000, 0.0000, -82.7485}, 2.0425},
    {{50.0000, 3.1571, -77.2803}, {50.0000, 0.0000, -82.7485}, 2.8615},
    {{50.0000, 2.8361, -74.0200}, {50.0000, 0.0000, -82.7485}, 3.4412},
    {{50.0000, -1.3802, -84.2814}, {50.0000, 0.0000, -82.7485}, 1.0000},
    {{50.0000, -1.1848, -84.8006}, {50.0000, 0.0000, -82.7485}, 1.0000},
    {{50.0000, -0.9009, -85.5211}, {50.0000, 0.0000, -82.7485}, 1.0000},
    {{50.0000, 0.0000, 0.0000}, {50.0000, -1.0000, 2.0000}, 2.3669},
    {{50.0000, -1.0000, 2.0000}, {50.0000, 0.0000, 0.0000}, 2.3669},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0009}, 7.1792},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0010}, 7.1792},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0011}, 7.2195},
    {{50.0000, 2.4900, -0.0010}, {50.0000, -2.4900, 0.0012}, 7.2195},
    {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0009, -2.4900}, 4.8045},
    {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0010, -2.4900}, 4.8045},
    {{50.0000, -0.0010, 2.4900}, {50.0000, 0.0011, -2.4900}, 4.7461},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 0.0000, -2.5000}, 4.3065},
    {{50.0000, 2.5000, 0.0000}, {73.0000, 25.0000, -18.0000}, 27.1492},
    {{50.0000, 2.5000, 0.0000}, {61.0000, -5.0000, 29.0000}, 22.8977},
    {{50.0000, 2.5000, 0.0000}, {56.0000, -27.0000, -3.0000}, 31.9030},
    {{50.0000, 2.5000, 0.0000}, {58.0000, 24.0000, 15.0000}, 19.4535},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 3.1736, 0.5854}, 1.0000},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 3.2972, 0.0000}, 1.0000},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 1.8634, 0.5757}, 1.0000},
    {{50.0000, 2.5000, 0.0000}, {50.0000, 3.2592, 0.3350}, 1.0000},
    {{60.2574, -34.0099, 36.2677}, {60.4626, -34.1751, 39.4387}, 1.2644},
    {{63.0109, -31.0961, -5.8663}, {62.8187, -29.7946, -4.0864}, 1.2630},
    {{61.2901, 3.7196, -5.3901}, {61.4292, 2.2480, -4.9620}, 1.8731},
    {{35.0831, -44.1164, 3.7933}, {35.0232, -40.0716, 1.5901}, 1.8645},
    {{22.7233, 20.0904, -46.6940}, {23.0331, 14.9730, -42.5619}, 2.0373},
    {{36.4612, 47.8580, 18.3852}, {36.2715, 50.5065, 21.2231}, 1.4146},
    {{90.8027, -2.0831, 1.4410}, {91.1528, -1.6435, 0.0447}, 1.4441},
    {{90.9257, -0.5406, -0.9208}, {88.6381, -0.8985, -0.7239}, 1.5381},
    {{6.7747, -0.2908, -2.4247}, {5.8714, -0.0985, -2.2286}, 0.6377},
    {{2.0776, 0.0795, -1.1350}, {0.9033, -0.0636, -0.5514}, 0.9082},
};

TEST(Ciede2000, AgreesWithAllPublishedPairsToFourDecimals)
{
    int pair = 1;
    for (const Pair& p : sharma2005) {
        EXPECT_NEAR(colour::deltaE00(p.reference, p.sample), p.expected, 0.00005) << "pair " << pair;
        // The formula is symmetric.
        EXPECT_NEAR(colour::deltaE00(p.sample, p.reference), p.expected, 0.00005) << "pair " << pair;
        ++pair;
    }
}

TEST(Ciede2000, ParametricFactorsReachTheFormula)
{
    // A pure lightness difference of 10 about L* 50 (where SL = 1): ΔE00 is
    // ΔL / kL, so kL = 2 halves it while kC and kH leave it alone.
    const Lab a{45, 0, 0};
    const Lab b{55, 0, 0};
    EXPECT_NEAR(colour::deltaE00(a, b), 10, 1e-9);
    EXPECT_NEAR(colour::deltaE00(a, b, 2, 1, 1), colour::deltaE00(a, b) / 2, 1e-9);
    EXPECT_NEAR(colour::deltaE00(a, b, 1, 3, 5), colour::deltaE00(a, b), 1e-9);
    // A pure chroma difference answers to kC only.
    const Lab c{50, 20, 0};
    const Lab d{50, 30, 0};
    EXPECT_NEAR(colour::deltaE00(c, d, 1, 2, 1), colour::deltaE00(c, d) / 2, 1e-9);
    EXPECT_NEAR(colour::deltaE00(c, d, 4, 1, 4), colour::deltaE00(c, d), 1e-9);
}

// Worked examples of the colour difference calculator published by B.
// Lindbloom (reference first, sample second): ΔE*ab, ΔE*94 for graphic
// arts, CMC(1:1) and CMC(2:1).
struct Worked {
    Lab reference;
    Lab sample;
    double ab;
    double e94;
    double cmc11;
    double cmc21;
};

const Worked lindbloom[] = {
    {{0, 0, 0}, {0, 0, 0}, 0, 0, 0, 0},
    {{100, 0, 0}, {0, 0, 0}, 100, 100, 67.480171, 33.740085},
    {{100, -50, 50}, {20, 10, -20}, 122.06555, 89.358114, 66.320207, 47.038863},
    {{10.3454, 3.2151, -189.1230}, {51.7781, -22.5151, 1.0001}, 196.27915, 51.361909, 98.577755,
     69.187455},
};

TEST(ColourDifference, AgreesWithPublishedWorkedExamples)
{
    for (const Worked& w : lindbloom) {
        SCOPED_TRACE(testing::Message() << w.reference.L << "," << w.reference.a << "," << w.reference.b);
        EXPECT_NEAR(colour::deltaEab(w.reference, w.sample), w.ab, 1e-4);
        EXPECT_NEAR(colour::deltaE94(w.reference, w.sample), w.e94, 1e-4);
        EXPECT_NEAR(colour::deltaECmc(w.reference, w.sample, 1, 1), w.cmc11, 1e-4);
        EXPECT_NEAR(colour::deltaECmc(w.reference, w.sample, 2, 1), w.cmc21, 1e-4);
        // The defaults are the acceptability weights 2:1.
        EXPECT_NEAR(colour::deltaECmc(w.reference, w.sample), w.cmc21, 1e-4);
    }
}

// Little CMS's own CIE94 is not the published graphic-arts formula (other
// weights, on both chromas): this is why the library computes ΔE*94 itself.
// Should Little CMS ever agree, its function may be used instead.
TEST(ColourDifference, LittleCmsCie94DisagreesWithThePublishedFormula)
{
    const Worked& w = lindbloom[2];
    const cmsCIELab r{w.reference.L, w.reference.a, w.reference.b};
    const cmsCIELab s{w.sample.L, w.sample.a, w.sample.b};
    EXPECT_GT(std::abs(cmsCIE94DeltaE(&r, &s) - w.e94), 1.0);
}

TEST(ColourDifference, ComponentsAreSampleMinusReferenceWithASignedHue)
{
    const struct {
        Lab reference;
        Lab sample;
        colour::Components expected;
    } cases[] = {
        // Lighter and more saturated on the same hue: no hue difference.
        {{50, 10, 10}, {52, 12, 12}, {2, 2, 2, std::hypot(12, 12) - std::hypot(10, 10), 0}},
        // Same chroma, hue turned anticlockwise by 90° from +a* to +b*.
        {{50, 20, 0}, {50, 0, 20}, {0, -20, 20, 0, 2 * 20 * std::sin(M_PI / 4)}},
        // And clockwise: the hue difference is negative.
        {{50, 0, 20}, {50, 20, 0}, {0, 20, -20, 0, -2 * 20 * std::sin(M_PI / 4)}},
        // Across 0°: from 350° to 10° is a turn of +20°.
        {{50, 20 * std::cos(350 * M_PI / 180), 20 * std::sin(350 * M_PI / 180)},
         {50, 20 * std::cos(10 * M_PI / 180), 20 * std::sin(10 * M_PI / 180)},
         {0, 0, 2 * 20 * std::sin(10 * M_PI / 180), 0, 2 * 20 * std::sin(10 * M_PI / 180)}},
    };
    for (const auto& c : cases) {
        const colour::Components d = colour::components(c.reference, c.sample);
        SCOPED_TRACE(testing::Message() << c.sample.a << "," << c.sample.b);
        EXPECT_NEAR(d.dL, c.expected.dL, 1e-9);
        EXPECT_NEAR(d.da, c.expected.da, 1e-9);
        EXPECT_NEAR(d.db, c.expected.db, 1e-9);
        EXPECT_NEAR(d.dC, c.expected.dC, 1e-9);
        EXPECT_NEAR(d.dH, c.expected.dH, 1e-6);
        // ΔE*ab² = ΔL*² + ΔC*² + ΔH*².
        EXPECT_NEAR(std::hypot(d.dL, d.dC, d.dH), colour::deltaEab(c.reference, c.sample), 1e-6);
    }
}

} // namespace
