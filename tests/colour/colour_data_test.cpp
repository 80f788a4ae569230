// Spectra to XYZ and CIELAB on colord's tables, and tables that cannot be
// used.

#include "colour/Colorimetry.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

namespace fs = std::filesystem;

const colour::Colorimetry& colorimetry()
{
    static const colour::Colorimetry c(COLORD_DIR);
    return c;
}

colour::Spectrum flat(double percent)
{
    colour::Spectrum s;
    s.fill(percent);
    return s;
}

TEST(Colorimetry, ThePerfectWhiteIsL100UnderEveryIlluminantAndObserver)
{
    for (int i = 0; i < colour::illuminantCount; ++i) {
        for (int o = 0; o < colour::observerCount; ++o) {
            const colour::Lab white = colorimetry().lab(flat(100), i, o);
            SCOPED_TRACE(testing::Message() << colour::illuminantName(i) << " observer " << o);
            EXPECT_NEAR(white.L, 100, 1e-9);
            EXPECT_NEAR(white.a, 0, 1e-9);
            EXPECT_NEAR(white.b, 0, 1e-9);
            EXPECT_NEAR(colorimetry().weighting(i, o).white().Y, 100, 1e-9);
        }
    }
}

// The illuminants' white points, X and Z for Y = 100, as CIE 15 and ASTM
// E308 publish them (computed by the same weighted summation, at 5 nm over
// the whole visible range). The instrument's range ends at 740 nm, and its
// bands are 10 nm wide: 0.3 is the agreement that leaves.
TEST(Colorimetry, WhitePointsAgreeWithThePublishedTable)
{
    const struct {
        int illuminant;
        int observer;
        double X;
        double Z;
    } published[] = {
        {0, 1, 95.047, 108.883}, {0, 0, 94.811, 107.304},  // D65
        {1, 1, 96.422, 82.521},  {1, 0, 96.720, 81.427},   // D50
        {2, 1, 98.074, 118.232}, {2, 0, 97.285, 116.145},  // C
        {3, 1, 109.850, 35.585}, {3, 0, 111.144, 35.200},  // A
        {4, 1, 99.187, 67.395},  {4, 0, 103.280, 69.026},  // F2
        {6, 1, 95.044, 108.755}, {6, 0, 95.792, 107.687},  // F7
        {9, 1, 100.966, 64.370}, {9, 0, 103.866, 65.627},  // F11
    };
    for (const auto& p : published) {
        const colour::Xyz white = colorimetry().weighting(p.illuminant, p.observer).white();
        SCOPED_TRACE(testing::Message() << colour::illuminantName(p.illuminant) << " observer " << p.observer);
        EXPECT_NEAR(white.X, p.X, 0.3);
        EXPECT_NEAR(white.Z, p.Z, 0.3);
    }
}

TEST(Colorimetry, AFlatGreyHasTheLightnessOfItsReflectanceAndNoHue)
{
    // L* = 116 (Y/Yn)^(1/3) - 16 above the linear segment, (29/3)^3 Y/Yn below.
    const struct {
        double percent;
        double L;
    } greys[] = {{50, 116 * std::cbrt(0.5) - 16}, {20, 116 * std::cbrt(0.2) - 16},
                 {0.5, 24389.0 / 27 * 0.005}, {0, 0}};
    for (const auto& g : greys) {
        for (int i = 0; i < colour::illuminantCount; ++i) {
            const colour::Lab c = colorimetry().lab(flat(g.percent), i, 1);
            EXPECT_NEAR(c.L, g.L, 1e-6) << g.percent << "% " << colour::illuminantName(i);
            EXPECT_NEAR(c.a, 0, 1e-6);
            EXPECT_NEAR(c.b, 0, 1e-6);
        }
    }
}

TEST(Colorimetry, TheIlluminantChangesAColouredSampleButNotItsFlatNeighbours)
{
    // A sample that reflects only long wavelengths looks redder and lighter
    // under the incandescent A than under daylight D65.
    colour::Spectrum red{};
    for (int k = 0; k < colour::bandCount; ++k)
        red[k] = colour::firstWavelength + colour::wavelengthStep * k >= 600 ? 80 : 5;
    const colour::Lab d65 = colorimetry().lab(red, 0, 1);
    const colour::Lab a = colorimetry().lab(red, 3, 1);
    EXPECT_GT(d65.a, 20);
    EXPECT_GT(a.L, d65.L);
    // Every illuminant gives its own colour: none stands in for another.
    for (int i = 1; i < colour::illuminantCount; ++i) {
        const colour::Lab c = colorimetry().lab(red, i, 1);
        EXPECT_GT(std::hypot(c.L - d65.L, c.a - d65.a, c.b - d65.b), 0.1) << colour::illuminantName(i);
    }
}

TEST(Colorimetry, ExtremeValuesGiveNumbersNotNaN)
{
    colour::Spectrum steps{};
    for (int k = 0; k < colour::bandCount; ++k)
        steps[k] = k % 2 == 0 ? 0 : 999.99;
    for (const colour::Spectrum& s : {flat(0), flat(150), flat(999.99), steps}) {
        for (int i = 0; i < colour::illuminantCount; ++i) {
            const colour::Lab c = colorimetry().lab(s, i, 0);
            EXPECT_TRUE(std::isfinite(c.L) && std::isfinite(c.a) && std::isfinite(c.b));
            const colour::LCh lch = colour::toLCh(c);
            EXPECT_TRUE(std::isfinite(lch.C) && std::isfinite(lch.h));
        }
    }
    EXPECT_GT(colorimetry().lab(flat(150), 0, 0).L, 100);
}

TEST(Colorimetry, LChAndBackToXyz)
{
    const colour::LCh lch = colour::toLCh({60, -30, 30});
    EXPECT_NEAR(lch.C, std::hypot(30, 30), 1e-9);
    EXPECT_NEAR(lch.h, 135, 1e-9);
    const colour::Xyz white = colorimetry().weighting(3, 0).white();
    const colour::Xyz xyz = colour::toXyz({60, -30, 30}, white);
    const colour::Lab back = colour::toLab(xyz, white);
    EXPECT_NEAR(back.L, 60, 1e-9);
    EXPECT_NEAR(back.a, -30, 1e-9);
    EXPECT_NEAR(back.b, 30, 1e-9);
}

// A copy of colord's data directory in which single files can be spoilt.
class SpoiltTables : public testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("colour-test-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                                          testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        fs::copy(COLORD_DIR "/cmf", dir / "cmf");
        fs::copy(COLORD_DIR "/illuminant", dir / "illuminant");
    }
    void TearDown() override { fs::remove_all(dir); }

    // The message the colorimetry is refused with, or empty.
    std::string refusal()
    {
        try {
            colour::Colorimetry c(dir.string());
        } catch (const colour::DataError& e) {
            return e.what();
        }
        return {};
    }

    fs::path dir;
};

TEST_F(SpoiltTables, AMissingIlluminantIsAnErrorNamingItsFile)
{
    fs::remove(dir / "illuminant/CIE-F11.sp");
    const std::string why = refusal();
    EXPECT_NE(why.find("CIE-F11.sp"), std::string::npos) << why;
    EXPECT_NE(why.find("cannot be read"), std::string::npos) << why;
}

TEST_F(SpoiltTables, ACutShortOrMiscountedTableIsAnErrorNamingItsFile)
{
    const fs::path a = dir / "illuminant/CIE-A.sp";
    std::string text;
    {
        std::ifstream in(a);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    const struct {
        const char* what;
        std::string content;
    } spoilt[] = {
        {"cut short", text.substr(0, text.find("END_DATA") - 40)},
        {"wrong band count",
         std::string(text).replace(text.find("SPECTRAL_BANDS"), std::string("SPECTRAL_BANDS").size(),
                                   "SPECTRAL_BANDS 12 X")},
        {"not a number", std::string(text).insert(text.find("\nEND_DATA\n"), " abc")},
        {"empty", ""},
    };
    for (const auto& s : spoilt) {
        std::ofstream(a, std::ios::trunc) << s.content;
        const std::string why = refusal();
        EXPECT_NE(why.find("CIE-A.sp"), std::string::npos) << s.what << ": " << why;
    }
    fs::remove(dir / "cmf/CIE1931-2deg-XYZ.cmf");
    EXPECT_NE(refusal().find("CIE1931-2deg-XYZ.cmf"), std::string::npos);
}

TEST(Colorimetry, CodesOutOfRangeAreRefused)
{
    EXPECT_THROW(colorimetry().weighting(11, 0), std::out_of_range);
    EXPECT_THROW(colorimetry().weighting(0, 2), std::out_of_range);
    EXPECT_THROW(colorimetry().lab(flat(50), -1, 0), std::out_of_range);
    EXPECT_STREQ(colour::illuminantName(11), "");
}

} // namespace
