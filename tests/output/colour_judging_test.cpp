// The colour view judging each measurement against the active standard:
// under which conditions, the differences in words, why a measurement is
// not judged, the diagram's tolerance and points, and what the journal
// keeps of a judgement.

#include "GuiTest.h"
#include "Layout.h"

#include "ColourSamples.h"
#include "ColourTables.h"
#include "ColourViewModel.h"
#include "ColourViewWindow.h"

#include "colour/Difference.h"

#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/stattext.h>

#include <cmath>
#include <string>

using namespace tonvale;
using namespace tonvale::test;

namespace {

const colour::Colorimetry& tables()
{
    static const colour::Colorimetry c(colourTablesDirectory());
    return c;
}

colour::Lab labOf(const std::vector<double>& values, int illuminant, int observer)
{
    colour::Spectrum s;
    std::copy(values.begin(), values.end(), s.begin());
    return tables().lab(s, illuminant, observer);
}

standards::Standard spectralStandard(const std::vector<double>& values, standards::Tolerance tolerance)
{
    standards::Standard s;
    s.name = "基準A";
    s.reflectance.emplace();
    std::copy(values.begin(), values.end(), s.reflectance->begin());
    s.tolerance = tolerance;
    return s;
}

standards::Standard labStandard(colour::Lab lab, int illuminant, int observer, standards::Tolerance tolerance)
{
    standards::Standard s;
    s.name = "Lab基準";
    s.lab = lab;
    s.illuminant = illuminant;
    s.observer = observer;
    s.tolerance = tolerance;
    return s;
}

standards::Tolerance tolerance(standards::Formula formula, double deltaE)
{
    standards::Tolerance t;
    t.formula = formula;
    t.deltaE = deltaE;
    return t;
}

} // namespace

TEST(ColourJudging, TheShownMeasurementIsJudgedUnderTheViewsConditions)
{
    ColourViewModel model(colourTablesDirectory(), 0, 0);
    const std::vector<double> standard = ramp(10, 70);
    const std::vector<double> sample = ramp(12, 66);
    model.add(spectral(1, {sample, ramp(5, 5)}));
    EXPECT_FALSE(model.shown().judgement) << "no standard, no judging";
    EXPECT_TRUE(model.shown().notJudged.empty());

    model.setStandard(spectralStandard(standard, tolerance(standards::Formula::Cmc, 2.0)));
    for (const auto& [illuminant, observer, second] : {std::tuple{0, 0, 3}, {3, 1, 9}, {9, 0, 0}}) {
        model.choose(illuminant, observer);
        model.chooseSecond(second);
        const ColourViewModel::Shown s = model.shown();
        ASSERT_TRUE(s.judgement);
        const standards::Judgement& j = *s.judgement;
        EXPECT_EQ(j.illuminant, illuminant);
        EXPECT_EQ(j.observer, observer);
        // The first line is judged, in the tolerance's formula.
        const colour::Lab expected = labOf(sample, illuminant, observer);
        EXPECT_NEAR(j.sample.a, expected.a, 1e-9);
        EXPECT_NEAR(j.deltaE, colour::deltaECmc(labOf(standard, illuminant, observer), expected, 2, 1), 1e-9);
        ASSERT_TRUE(j.secondDeltaE);
        EXPECT_EQ(j.secondIlluminant, second);
        EXPECT_NEAR(*j.secondDeltaE,
                    colour::deltaECmc(labOf(standard, second, observer), labOf(sample, second, observer), 2, 1),
                    1e-9);
        // What the journal would keep is the same judgement.
        const auto kept = model.judge(spectral(1, {sample}));
        ASSERT_TRUE(kept);
        EXPECT_DOUBLE_EQ(kept->deltaE, j.deltaE);
    }
    EXPECT_EQ(model.secondIlluminant(), 0);
    model.chooseSecond(colour::illuminantCount); // out of range: kept as it was
    EXPECT_EQ(model.secondIlluminant(), 0);

    model.setStandard(std::nullopt);
    EXPECT_FALSE(model.shown().judgement);
    EXPECT_FALSE(model.judge(spectral(1, {sample})));
}

TEST(ColourJudging, EachDifferenceIsSaidInWordsUnlessItShowsAsZero)
{
    ColourViewModel model(colourTablesDirectory(), 0, 0);
    model.setStandard(labStandard({50, 10, 10}, 0, 0, tolerance(standards::Formula::E00, 1.0)));
    const struct {
        colour::Lab sample;
        const char* lightness;
        const char* redGreen;
        const char* yellowBlue;
        const char* chroma;
    } cases[] = {
        {{51, 10, 10}, "明るい", "", "", ""},
        {{49, 10, 10}, "暗い", "", "", ""},
        {{50, 11, 10}, "", "赤み", "", "鮮やか"},
        {{50, 9, 10}, "", "緑み", "", "くすみ"},
        {{50, 10, 11}, "", "", "黄み", "鮮やか"},
        {{50, 10, 9}, "", "", "青み", "くすみ"},
        {{50.004, 10.004, 9.996}, "", "", "", ""},
        {{50, 10, -10}, "", "", "青み", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.sample.L << "," << c.sample.a << "," << c.sample.b);
        model.add(labSample(1, c.sample.L, c.sample.a, c.sample.b, 0, 0));
        const ColourViewModel::Shown s = model.shown();
        ASSERT_TRUE(s.judgement);
        EXPECT_EQ(s.lighterOrDarker, c.lightness);
        EXPECT_EQ(s.redderOrGreener, c.redGreen);
        EXPECT_EQ(s.yellowerOrBluer, c.yellowBlue);
        EXPECT_EQ(s.brighterOrDuller, c.chroma);
    }
}

TEST(ColourJudging, AMeasurementThatCannotBeJudgedSaysWhy)
{
    ColourViewModel model(colourTablesDirectory(), 0, 0);
    model.setStandard(labStandard({50, 10, 10}, 1, 1, tolerance(standards::Formula::E00, 1.0)));

    // Spectral data under the view's D65/10°, the standard under D50/2°.
    model.add(spectral(1, {ramp(20, 40)}));
    ColourViewModel::Shown s = model.shown();
    EXPECT_FALSE(s.judgement);
    EXPECT_NE(s.notJudged.find("D50/2°"), std::string::npos) << s.notJudged;
    EXPECT_FALSE(model.judge(spectral(1, {ramp(20, 40)})));
    // Under the standard's own conditions it is judged.
    model.choose(1, 1);
    s = model.shown();
    EXPECT_TRUE(s.judgement);
    EXPECT_TRUE(s.notJudged.empty());

    // Measured with the instrument's button: its conditions are unknown.
    model.add(labSample(2, 50, 10, 10, -1, -1));
    s = model.shown();
    EXPECT_FALSE(s.judgement);
    EXPECT_EQ(s.notJudged, "測定器の光源と視野で測定した L*a*b* は判定できません。");
    EXPECT_FALSE(model.diagram());
}

TEST(ColourJudging, TheDiagramHoldsTheToleranceAndTheSessionsMeasurementsUnderTheShownConditions)
{
    ColourViewModel model(colourTablesDirectory(), 0, 0);
    EXPECT_FALSE(model.diagram());
    model.setStandard(labStandard({50, 10, 10}, 0, 0, tolerance(standards::Formula::Eab, 2.0)));
    // 16 measurements, more than the strip keeps: the diagram has them all.
    for (int n = 1; n <= 16; ++n)
        model.add(labSample(n, 50, 10 + n * 0.25, 10, 0, 0));
    model.add(labSample(17, 50, 0, 0, 1, 1)); // under D50/2°: another standard colour
    model.add(labSample(18, 51, 10, 10, 0, 0));

    auto d = model.diagram();
    ASSERT_TRUE(d);
    EXPECT_DOUBLE_EQ(d->standard.a, 10);
    ASSERT_FALSE(d->outline.empty());
    for (const colour::Lab& p : d->outline)
        EXPECT_NEAR(std::hypot(p.a - 10, p.b - 10), 2.0, 1e-6) << "ΔE*ab's boundary is a circle";
    EXPECT_NEAR(d->lighter, 2.0, 1e-6);
    EXPECT_NEAR(d->darker, 2.0, 1e-6);
    ASSERT_EQ(d->points.size(), 17u);
    for (std::size_t i = 0; i < 16; ++i) {
        EXPECT_DOUBLE_EQ(d->points[i].lab.a, 10 + (i + 1) * 0.25);
        EXPECT_EQ(d->points[i].pass, (i + 1) * 0.25 <= 2.0) << i;
        EXPECT_FALSE(d->points[i].shown);
    }
    EXPECT_TRUE(d->points.back().shown);
    EXPECT_DOUBLE_EQ(d->points.back().lab.L, 51);

    // An earlier measurement shown again: it is the one marked, once.
    model.show(model.strip().size() - 3); // No.16
    d = model.diagram();
    ASSERT_EQ(d->points.size(), 17u);
    EXPECT_DOUBLE_EQ(d->points.back().lab.a, 14);
    EXPECT_EQ(std::count_if(d->points.begin(), d->points.end(), [](const auto& p) { return p.shown; }), 1);

    // A long session: the diagram keeps its last measurements.
    for (int n = 19; n <= 130; ++n)
        model.add(labSample(n, 50, 10, 10 + n * 0.01, 0, 0));
    d = model.diagram();
    ASSERT_EQ(d->points.size(), ColourViewModel::diagramLength);
    EXPECT_DOUBLE_EQ(d->points.front().lab.b, 10 + (131 - ColourViewModel::diagramLength) * 0.01);
    EXPECT_DOUBLE_EQ(d->points.back().lab.b, 11.3);

    // A formula that weighs chroma and hue apart: no circle.
    model.setStandard(labStandard({50, 10, 10}, 0, 0, tolerance(standards::Formula::E94, 2.0)));
    d = model.diagram();
    double nearest = 1e9, farthest = 0;
    for (const colour::Lab& p : d->outline) {
        nearest = std::min(nearest, std::hypot(p.a - 10, p.b - 10));
        farthest = std::max(farthest, std::hypot(p.a - 10, p.b - 10));
    }
    EXPECT_GT(farthest / nearest, 1.2);
}

TEST(ColourJudging, TheJournalKeepsTheJudgementAsShown)
{
    standards::Judgement j;
    j.illuminant = 3;
    j.observer = 1;
    j.formula = standards::Formula::Cmc;
    j.deltaE = 1.004;
    j.pass = true;
    standards::Standard standard = labStandard({}, 3, 1, {});
    standard.name = "赤, 見本";
    JournalMeasurement::Judgement kept = journalJudgement(standard, j, 1);
    EXPECT_EQ(kept.line, 1u);
    EXPECT_EQ(kept.standard, "赤, 見本");
    EXPECT_EQ(kept.formula, "CMC(2:1)");
    EXPECT_EQ(kept.illuminant, "A");
    EXPECT_EQ(kept.observer, "2°");
    EXPECT_EQ(kept.deltaE, "1.00");
    EXPECT_TRUE(kept.pass);

    j.formula = standards::Formula::E00;
    j.observer = 0;
    j.deltaE = 12.3456;
    j.pass = false;
    kept = journalJudgement(standard, j, 0);
    EXPECT_EQ(kept.formula, "ΔE00");
    EXPECT_EQ(kept.observer, "10°");
    EXPECT_EQ(kept.deltaE, "12.35");
    EXPECT_FALSE(kept.pass);
}

TEST_F(ColourViewWindowTest, TheVerdictTheDifferencesAndTheFailedLimitsAreShown)
{
    window = new ColourViewWindow(colourTablesDirectory(), 0, 0);
    window->Show();
    EXPECT_EQ(window->standardText()->GetLabel(), wxString::FromUTF8("基準が設定されていません。"));

    standards::Tolerance t = tolerance(standards::Formula::E00, 2.0);
    t.dL = 0.5;
    t.db = 3.0;
    window->setStandard(labStandard({50, 10, 10}, 0, 0, t));
    EXPECT_EQ(window->standardText()->GetLabel(), wxString::FromUTF8("基準: Lab基準  ΔE00 ≦ 2.00"));
    // Lighter by 0.8: ΔE within 2, but beyond the ΔL* limit.
    window->add(labSample(1, 50.8, 10, 10, 0, 0));
    EXPECT_EQ(window->verdictText()->GetLabel(), wxString::FromUTF8("不合格"));
    EXPECT_EQ(window->verdictText()->GetForegroundColour(), wxColour(200, 30, 30));
    ASSERT_EQ(window->differenceList()->GetItemCount(), 6);
    const double dE = colour::deltaE00({50, 10, 10}, {50.8, 10, 10});
    const wxString expected[][4] = {
        {wxString::FromUTF8("ΔE00"), wxString::Format("%.2f", dE), "", wxString::FromUTF8("≦ 2.00")},
        {wxString::FromUTF8("ΔL*"), "+0.80", wxString::FromUTF8("明るい"), wxString::FromUTF8("±0.50 ×")},
        {wxString::FromUTF8("Δa*"), "+0.00", "", ""},
        {wxString::FromUTF8("Δb*"), "+0.00", "", wxString::FromUTF8("±3.00")},
        {wxString::FromUTF8("ΔC*"), "+0.00", "", ""},
        {wxString::FromUTF8("ΔH*"), "+0.00", "", ""},
    };
    for (long row = 0; row < 6; ++row)
        for (int column = 0; column < 4; ++column)
            EXPECT_EQ(difference(row, column), expected[row][column]) << row << "," << column;
    EXPECT_EQ(window->deltaEText()->GetLabel(), wxString::Format(wxString::FromUTF8("ΔE00  %.2f"), dE));
    EXPECT_EQ(window->differenceList()->GetItemTextColour(1), wxColour(200, 30, 30));
    EXPECT_TRUE(window->secondDeltaEText()->GetLabel().empty()) << "L*a*b*: no other light";

    // Within every limit.
    window->add(labSample(2, 50.3, 10, 11, 0, 0));
    EXPECT_EQ(window->verdictText()->GetLabel(), wxString::FromUTF8("合格"));
    EXPECT_EQ(window->verdictText()->GetForegroundColour(), wxColour(0, 140, 60));
    EXPECT_EQ(difference(3, 2), wxString::FromUTF8("黄み"));
    expectTidyLayout(*window);

    // A spectral standard: the second illuminant's ΔE beside the first, and
    // another choice of it computed at once.
    const std::vector<double> standard = ramp(10, 70);
    const std::vector<double> sample = ramp(14, 64);
    window->setStandard(spectralStandard(standard, tolerance(standards::Formula::Eab, 1.0)));
    window->add(spectral(3, {sample}));
    EXPECT_EQ(window->secondChoice()->GetSelection(), 3) << "A to begin with";
    EXPECT_EQ(window->secondDeltaEText()->GetLabel(),
              wxString::Format("%.2f", colour::deltaEab(labOf(standard, 3, 0), labOf(sample, 3, 0))));
    window->secondChoice()->SetSelection(9);
    wxCommandEvent picked(wxEVT_CHOICE, window->secondChoice()->GetId());
    picked.SetEventObject(window->secondChoice());
    window->secondChoice()->GetEventHandler()->ProcessEvent(picked);
    EXPECT_EQ(window->model().secondIlluminant(), 9);
    EXPECT_EQ(window->secondDeltaEText()->GetLabel(),
              wxString::Format("%.2f", colour::deltaEab(labOf(standard, 9, 0), labOf(sample, 9, 0))));

    window->setStandard(std::nullopt);
    EXPECT_TRUE(window->verdictText()->GetLabel().empty());
    EXPECT_EQ(window->differenceList()->GetItemCount(), 0);
}
