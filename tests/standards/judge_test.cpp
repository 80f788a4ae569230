// Judging a sample against a standard: the formula that reaches the colour
// library, the verdict rules at their boundaries, the conditions a standard
// holds under, the second illuminant, and the tolerance's outline.

#include "standards/Judge.h"

#include "ColourTables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string>

using namespace standards;

namespace {

const colour::Colorimetry& tables()
{
    static const colour::Colorimetry c(tonvale::colourTablesDirectory());
    return c;
}

Standard labStandard(colour::Lab lab, int illuminant, int observer, Tolerance tolerance)
{
    Standard s;
    s.name = "標準";
    s.lab = lab;
    s.illuminant = illuminant;
    s.observer = observer;
    s.tolerance = tolerance;
    return s;
}

Sample labSample(colour::Lab lab, int illuminant, int observer)
{
    Sample s;
    s.lab = lab;
    s.illuminant = illuminant;
    s.observer = observer;
    return s;
}

Sample spectralSample(const colour::Spectrum& reflectance)
{
    Sample s;
    s.reflectance = reflectance;
    return s;
}

colour::Spectrum ramp(double from, double to)
{
    colour::Spectrum r;
    for (int k = 0; k < colour::bandCount; ++k)
        r[k] = from + (to - from) * k / (colour::bandCount - 1);
    return r;
}

Judgement judged(const std::variant<Judgement, NotJudged>& result)
{
    if (const auto* j = std::get_if<Judgement>(&result))
        return *j;
    ADD_FAILURE() << "not judged";
    return {};
}

} // namespace

// Published values of each formula with the weights a tolerance means:
// a wrong formula, or ΔE00 not 1:1:1, or CMC not 2:1, gives another value.
TEST(Judge, TheTolerancesFormulaAndItsWeightsReachTheLibrary)
{
    // B. Lindbloom's calculator: reference (100, -50, 50), sample
    // (20, 10, -20): ΔE*ab 122.06555, ΔE*94 89.358114, CMC(2:1) 47.038863
    // (CMC(1:1) would be 66.320207). Sharma, Wu and Dalal (2005) pairs 17
    // and 7 for ΔE00 1:1:1.
    const struct {
        colour::Lab reference;
        colour::Lab sample;
        Formula formula;
        double expected;
    } cases[] = {
        {{100, -50, 50}, {20, 10, -20}, Formula::Eab, 122.06555},
        {{100, -50, 50}, {20, 10, -20}, Formula::E94, 89.358114},
        {{100, -50, 50}, {20, 10, -20}, Formula::Cmc, 47.038863},
        {{50, 2.5, 0}, {73, 25, -18}, Formula::E00, 27.1492},
        {{50, 0, 0}, {50, -1, 2}, Formula::E00, 2.3669},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(formulaLabel(c.formula));
        Tolerance t;
        t.formula = c.formula;
        const Judgement j = judged(
            judge(labStandard(c.reference, 2, 1, t), labSample(c.sample, 2, 1), 0, 0, 3, tables()));
        EXPECT_EQ(j.formula, c.formula);
        EXPECT_NEAR(j.deltaE, c.expected, 1e-4);
        EXPECT_NEAR(deltaE(c.formula, c.reference, c.sample), c.expected, 1e-4);
    }
}

TEST(Judge, AVerdictPassesWithinEveryLimitAndAtItFailsBeyondAnyOne)
{
    // ΔE*ab about a grey: ΔE is the distance, so each case puts it exactly
    // where it is meant to be.
    const colour::Lab grey{50, 0, 0};
    const std::optional<double> none;
    const struct {
        const char* what;
        colour::Lab sample;
        double limit;
        std::optional<double> dL, da, db;
        bool pass, deltaEFailed, dLFailed, daFailed, dbFailed;
    } cases[] = {
        {"the same colour", {50, 0, 0}, 1.0, none, none, none, true, false, false, false, false},
        {"ΔE at the limit", {51, 0, 0}, 1.0, none, none, none, true, false, false, false, false},
        {"ΔE shown as the limit", {50, 1.004, 0}, 1.0, none, none, none, true, false, false, false, false},
        {"ΔE shown above the limit", {50, 0, 1.006}, 1.0, none, none, none, false, true, false, false, false},
        {"ΔE above the limit", {52, 0, 0}, 1.0, none, none, none, false, true, false, false, false},
        {"ΔL* at its limit, darker", {49.5, 0, 0}, 1.0, 0.5, none, none, true, false, false, false, false},
        {"ΔL* beyond its limit, ΔE within", {50.6, 0, 0}, 1.0, 0.5, none, none, false, false, true, false, false},
        {"ΔL* beyond its limit, darker", {49.49, 0, 0}, 1.0, 0.5, none, none, false, false, true, false, false},
        {"Δa* at its limit", {50, 0.3, 0}, 1.0, none, 0.3, none, true, false, false, false, false},
        {"Δa* beyond its limit, greener", {50, -0.31, 0}, 1.0, none, 0.3, none, false, false, false, true, false},
        {"Δb* at its limit, bluer", {50, 0, -0.2}, 1.0, none, none, 0.2, true, false, false, false, false},
        {"Δb* beyond its limit", {50, 0, 0.25}, 1.0, none, none, 0.2, false, false, false, false, true},
        {"limits on the other components only", {50.9, 0, 0}, 1.0, none, 0.1, 0.1, true, false, false, false, false},
        {"everything beyond", {51, -1, 1}, 1.0, 0.5, 0.5, 0.5, false, true, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Tolerance t;
        t.formula = Formula::Eab;
        t.deltaE = c.limit;
        t.dL = c.dL;
        t.da = c.da;
        t.db = c.db;
        const Judgement j =
            judged(judge(labStandard(grey, 0, 0, t), labSample(c.sample, 0, 0), 0, 0, 3, tables()));
        EXPECT_EQ(j.pass, c.pass);
        EXPECT_EQ(j.deltaEFailed, c.deltaEFailed);
        EXPECT_EQ(j.dLFailed, c.dLFailed);
        EXPECT_EQ(j.daFailed, c.daFailed);
        EXPECT_EQ(j.dbFailed, c.dbFailed);
        EXPECT_NEAR(j.components.dL, c.sample.L - grey.L, 1e-12);
        EXPECT_NEAR(j.components.da, c.sample.a, 1e-12);
        EXPECT_NEAR(j.components.db, c.sample.b, 1e-12);
    }
}

TEST(Judge, AStandardWithoutReflectanceHoldsOnlyUnderItsOwnConditions)
{
    Tolerance t;
    const colour::Lab lab{60, 5, -10};
    const Standard d50 = labStandard(lab, 1, 1, t); // D50, 2°
    const colour::Spectrum r = ramp(20, 60);

    // A spectral sample is seen under the view's conditions.
    EXPECT_EQ(std::get<NotJudged>(judge(d50, spectralSample(r), 0, 0, 3, tables())),
              NotJudged::OtherConditions);
    EXPECT_EQ(std::get<NotJudged>(judge(d50, spectralSample(r), 1, 0, 3, tables())),
              NotJudged::OtherConditions);
    Judgement j = judged(judge(d50, spectralSample(r), 1, 1, 3, tables()));
    EXPECT_EQ(j.illuminant, 1);
    EXPECT_EQ(j.observer, 1);
    EXPECT_DOUBLE_EQ(j.standard.L, lab.L);
    EXPECT_DOUBLE_EQ(j.sample.L, tables().lab(r, 1, 1).L);
    EXPECT_FALSE(j.secondDeltaE) << "a standard without reflectance has none under another light";

    // An L*a*b* sample holds under its own conditions, whatever the view's.
    j = judged(judge(d50, labSample({61, 5, -10}, 1, 1), 0, 0, 3, tables()));
    EXPECT_DOUBLE_EQ(j.sample.L, 61);
    EXPECT_EQ(std::get<NotJudged>(judge(d50, labSample(lab, 1, 0), 1, 1, 3, tables())),
              NotJudged::OtherConditions);
    // Measured with the instrument's button, under a setting not known.
    EXPECT_EQ(std::get<NotJudged>(judge(d50, labSample(lab, -1, -1), 1, 1, 3, tables())),
              NotJudged::UnknownConditions);
}

TEST(Judge, AStandardWithReflectanceIsComputedUnderTheSamplesConditions)
{
    Standard standard;
    standard.reflectance = ramp(10, 70);
    standard.illuminant = 0; // where it was measured: no matter
    standard.observer = 0;
    const colour::Spectrum r = ramp(12, 68);

    for (const auto& [illuminant, observer] : {std::pair{0, 0}, {3, 1}, {9, 0}}) {
        const Judgement j = judged(judge(standard, spectralSample(r), illuminant, observer, 3, tables()));
        const colour::Lab s = tables().lab(*standard.reflectance, illuminant, observer);
        EXPECT_NEAR(j.standard.a, s.a, 1e-12);
        EXPECT_NEAR(j.deltaE, colour::deltaE00(s, tables().lab(r, illuminant, observer)), 1e-12);
    }
    // An L*a*b* sample: the standard is seen under the sample's conditions.
    const Judgement j = judged(judge(standard, labSample({50, 1, 2}, 4, 1), 0, 0, 3, tables()));
    EXPECT_EQ(j.illuminant, 4);
    EXPECT_EQ(j.observer, 1);
    EXPECT_NEAR(j.standard.b, tables().lab(*standard.reflectance, 4, 1).b, 1e-12);
    EXPECT_FALSE(j.secondDeltaE);
}

// A metameric pair: a sample that differs from the standard only by a
// "metameric black" (a spectrum D65 and the 10° observer do not see)
// matches under D65 and shows its difference under A.
TEST(Judge, TheSecondIlluminantShowsAMetamericMatch)
{
    Standard standard;
    standard.reflectance = ramp(30, 50);
    standard.tolerance.formula = Formula::E00;

    // The weights of each band under D65/10° (the weighting is linear in
    // the reflectance), and a wave made orthogonal to all three.
    const colour::Weighting& w = tables().weighting(0, 0);
    std::array<colour::Spectrum, 3> weights{};
    for (int k = 0; k < colour::bandCount; ++k) {
        colour::Spectrum unit{};
        unit[k] = 1;
        const colour::Xyz xyz = w.xyz(unit);
        weights[0][k] = xyz.X;
        weights[1][k] = xyz.Y;
        weights[2][k] = xyz.Z;
    }
    colour::Spectrum black;
    for (int k = 0; k < colour::bandCount; ++k)
        black[k] = 8 * std::sin(k * 0.45);
    // Gram-Schmidt: remove each weight's direction, after making them
    // orthogonal among themselves.
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < i; ++j) {
            double dot = 0, norm = 0;
            for (int k = 0; k < colour::bandCount; ++k) {
                dot += weights[i][k] * weights[j][k];
                norm += weights[j][k] * weights[j][k];
            }
            for (int k = 0; k < colour::bandCount; ++k)
                weights[i][k] -= dot / norm * weights[j][k];
        }
    for (const colour::Spectrum& v : weights) {
        double dot = 0, norm = 0;
        for (int k = 0; k < colour::bandCount; ++k) {
            dot += black[k] * v[k];
            norm += v[k] * v[k];
        }
        for (int k = 0; k < colour::bandCount; ++k)
            black[k] -= dot / norm * v[k];
    }
    colour::Spectrum metamer;
    for (int k = 0; k < colour::bandCount; ++k)
        metamer[k] = (*standard.reflectance)[k] + black[k];

    const Judgement j = judged(judge(standard, spectralSample(metamer), 0, 0, 3, tables()));
    EXPECT_LT(j.deltaE, 1e-6) << "a match under D65";
    EXPECT_TRUE(j.pass);
    ASSERT_TRUE(j.secondDeltaE);
    EXPECT_EQ(j.secondIlluminant, 3);
    EXPECT_GT(*j.secondDeltaE, 1.0) << "and none under A";
    EXPECT_NEAR(*j.secondDeltaE,
                colour::deltaE00(tables().lab(*standard.reflectance, 3, 0), tables().lab(metamer, 3, 0)), 1e-9);
}

TEST(Judge, TheOutlineLiesAtTheLimitInEveryDirection)
{
    const colour::Lab centre{60, 30, 20};
    const double limit = 1.5;
    for (Formula f : {Formula::Eab, Formula::E94, Formula::E00, Formula::Cmc}) {
        SCOPED_TRACE(formulaLabel(f));
        const std::vector<colour::Lab> points = outline(f, centre, limit, 72);
        ASSERT_EQ(points.size(), 72u);
        double nearest = 1e9, farthest = 0;
        for (std::size_t k = 0; k < points.size(); ++k) {
            const colour::Lab& p = points[k];
            EXPECT_EQ(p.L, centre.L);
            EXPECT_NEAR(deltaE(f, centre, p), limit, 1e-6);
            const double angle = std::atan2(p.b - centre.b, p.a - centre.a);
            const double expected = 2 * std::numbers::pi * double(k) / 72;
            EXPECT_NEAR(std::remainder(angle - expected, 2 * std::numbers::pi), 0, 1e-9);
            const double r = std::hypot(p.a - centre.a, p.b - centre.b);
            nearest = std::min(nearest, r);
            farthest = std::max(farthest, r);
        }
        if (f == Formula::Eab) {
            EXPECT_NEAR(nearest, limit, 1e-6);
            EXPECT_NEAR(farthest, limit, 1e-6);
        } else {
            // The weighted formulas stretch the boundary along the chroma.
            EXPECT_GT(farthest / nearest, 1.2);
        }
    }
    // Along L*: ΔE00 weighs lightness less away from L* 50, CMC by the
    // standard's L*: the reach along L* is more than the limit either way.
    EXPECT_NEAR(reach(Formula::Eab, centre, limit, {1, 0, 0}), limit, 1e-6);
    EXPECT_GT(reach(Formula::E00, centre, limit, {1, 0, 0}), limit);
    EXPECT_GT(reach(Formula::Cmc, centre, limit, {-1, 0, 0}), limit);
    EXPECT_EQ(reach(Formula::E00, centre, 0, {0, 1, 0}), 0);
}
