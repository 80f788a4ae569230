// The colour view: what it shows of a measurement (its logic, and its
// window), against the colour library's own results.

#include "GuiTest.h"
#include "Layout.h"

#include "ColourSample.h"
#include "ColourSamples.h"
#include "ColourTables.h"
#include "ColourViewModel.h"
#include "ColourViewWindow.h"
#include "MeasurementRecord.h"

#include "colour/Colorimetry.h"

#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/stattext.h>

#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

using namespace tonvale;
using namespace tonvale::test;

namespace {

// A measurement's data line as the instrument sends it.
std::string dataLine(const std::vector<double>& values)
{
    std::string line = "OK00";
    for (double v : values) {
        char text[16];
        std::snprintf(text, sizeof text, ",%.2f", v);
        line += text;
    }
    return line;
}

colour::Lab expectedLab(const std::vector<double>& values, int illuminant, int observer)
{
    static const colour::Colorimetry c(colourTablesDirectory());
    colour::Spectrum s;
    std::copy(values.begin(), values.end(), s.begin());
    return c.lab(s, illuminant, observer);
}

} // namespace

TEST(ColourSample, KeepsTheLinesThatPassTheOutputFilterAsNumbers)
{
    MeasurementRecord record(nullptr);
    const std::vector<std::string> lines{dataLine(ramp(10, 50)), dataLine(ramp(9, 49))};
    record.setNaming(7, "Lot", 1);
    ASSERT_TRUE(record.parseLines(0, OutputText, 0, 1, lines)); // mode 1: SCI and SCE
    record.setName(record.makeName());

    for (const auto& [gloss, components] :
         std::vector<std::pair<int, std::vector<std::string>>>{{0, {"SCI", "SCE"}}, {1, {"SCE"}}, {2, {"SCI", "SCE"}}}) {
        record.setSpecularFilter(gloss);
        const ColourSample s = colourSample(record, lines, 3, 1);
        EXPECT_EQ(s.number, 7);
        EXPECT_EQ(s.name, "Lot_No.7");
        EXPECT_EQ(s.dataType, 0);
        EXPECT_EQ(s.illuminant, -1) << "spectral data hold under no illuminant";
        ASSERT_EQ(s.lines.size(), components.size()) << "gloss " << gloss;
        for (std::size_t i = 0; i < components.size(); ++i) {
            EXPECT_EQ(s.lines[i].component, components[i]);
            ASSERT_EQ(s.lines[i].values.size(), 39u);
        }
        EXPECT_DOUBLE_EQ(s.lines.back().values.front(), 9);
        EXPECT_DOUBLE_EQ(s.lines.back().values.back(), 49);
        EXPECT_EQ(s.lines.back().index, 1) << "the SCE line is the second the journal keeps";
    }

    const std::vector<std::string> lab{"OK00,52.10,-3.25,12.00"};
    ASSERT_TRUE(record.parseLines(1, OutputText, 0, 0, lab));
    record.setSpecularFilter(0);
    const ColourSample s = colourSample(record, lab, 3, 1);
    EXPECT_EQ(s.dataType, 1);
    EXPECT_EQ(s.illuminant, 3);
    EXPECT_EQ(s.observer, 1);
    ASSERT_EQ(s.lines.size(), 1u);
    EXPECT_EQ(s.lines[0].values, (std::vector<double>{52.10, -3.25, 12.00}));
}

TEST(ColourViewModel, SpectralDataAreShownUnderTheChosenIlluminantAndObserver)
{
    ColourViewModel model(colourTablesDirectory(), 0, 0);
    EXPECT_EQ(model.shown().sample, nullptr);

    const std::vector<double> sci = ramp(5, 80);
    const std::vector<double> sce = ramp(4, 79);
    model.add(spectral(1, {sci, sce}));
    for (const auto& [illuminant, observer] : std::vector<std::pair<int, int>>{{0, 0}, {3, 1}, {9, 0}}) {
        model.choose(illuminant, observer);
        const ColourViewModel::Shown s = model.shown();
        ASSERT_NE(s.sample, nullptr);
        EXPECT_TRUE(s.conditionsEnabled);
        EXPECT_EQ(s.illuminant, illuminant);
        EXPECT_EQ(s.observer, observer);
        ASSERT_EQ(s.rows.size(), 2u);
        const colour::Lab expected = expectedLab(sci, illuminant, observer);
        EXPECT_NEAR(s.rows[0].lab.L, expected.L, 1e-9);
        EXPECT_NEAR(s.rows[0].lab.a, expected.a, 1e-9);
        EXPECT_NEAR(s.rows[0].lab.b, expected.b, 1e-9);
        EXPECT_NEAR(s.rows[1].lab.L, expectedLab(sce, illuminant, observer).L, 1e-9);
        EXPECT_NEAR(s.rows[0].lch.C, std::hypot(expected.a, expected.b), 1e-9);
        ASSERT_TRUE(s.swatch.has_value());
        EXPECT_TRUE(s.problem.empty());
    }
    // A ramp rising to the red looks different under A than under D65.
    model.choose(0, 0);
    const double underD65 = model.shown().rows[0].lab.a;
    model.choose(3, 0);
    EXPECT_GT(std::abs(model.shown().rows[0].lab.a - underD65), 0.5);
}

TEST(ColourViewModel, LabDataAreTheInstrumentsOwnUnderTheirOwnConditions)
{
    ColourViewModel model(colourTablesDirectory(), 3, 1);
    model.add(labSample(1, 52.1, -3.25, 12.0, 1, 0));
    ColourViewModel::Shown s = model.shown();
    EXPECT_FALSE(s.conditionsEnabled);
    EXPECT_EQ(s.illuminant, 1);
    EXPECT_EQ(s.observer, 0);
    ASSERT_EQ(s.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(s.rows[0].lab.L, 52.1);
    EXPECT_DOUBLE_EQ(s.rows[0].lab.a, -3.25);
    ASSERT_TRUE(s.swatch.has_value());

    // The view's own choice stays for the next spectral measurement, and a
    // choice made while L*a*b* data are shown does not change them.
    model.choose(4, 0);
    EXPECT_DOUBLE_EQ(model.shown().rows[0].lab.L, 52.1);
    model.add(spectral(2, {ramp(30, 30)}));
    EXPECT_EQ(model.shown().illuminant, 4);
    EXPECT_TRUE(model.shown().conditionsEnabled);

    // Measured with the instrument's button: conditions unknown, still shown.
    model.add(labSample(3, 40, 10, 10, -1, -1));
    s = model.shown();
    EXPECT_EQ(s.illuminant, -1);
    EXPECT_FALSE(s.conditionsEnabled);
    EXPECT_TRUE(s.swatch.has_value());
}

TEST(ColourViewModel, TheStripKeepsTheSessionsLastMeasurements)
{
    ColourViewModel model(colourTablesDirectory(), 0, 0);
    for (int n = 1; n <= 15; ++n)
        model.add(spectral(n, {ramp(n, n)}));
    ASSERT_EQ(model.strip().size(), ColourViewModel::stripLength);
    EXPECT_EQ(model.strip().front().number, 4);
    EXPECT_EQ(model.shown().sample->number, 15);
    model.show(0);
    EXPECT_EQ(model.shown().sample->number, 4);
    model.show(ColourViewModel::stripLength); // beyond the strip: nothing changes
    EXPECT_EQ(model.shown().sample->number, 4);
    model.add(spectral(16, {ramp(1, 1)}));
    EXPECT_EQ(model.shown().sample->number, 16);
}

TEST(ColourViewModel, ExtremeValuesAndFluorescenceGiveNumbers)
{
    ColourViewModel model(colourTablesDirectory(), 0, 0);
    for (const std::vector<double>& values :
         {ramp(0, 0), ramp(150, 150), ramp(999.99, 999.99), ramp(-0.5, 999.99)}) {
        model.add(spectral(1, {values}));
        const ColourViewModel::Shown s = model.shown();
        ASSERT_EQ(s.rows.size(), 1u);
        EXPECT_TRUE(std::isfinite(s.rows[0].lab.L) && std::isfinite(s.rows[0].lch.h));
        ASSERT_TRUE(s.swatch.has_value());
    }
    model.add(spectral(2, {ramp(150, 150)}));
    EXPECT_TRUE(model.shown().swatch->outOfGamut) << "lighter than white";
    model.add(spectral(3, {ramp(40, 40)}));
    EXPECT_FALSE(model.shown().swatch->outOfGamut);
}

TEST(ColourViewModel, TablesThatCannotBeReadAreNamedAndLabDataStillShown)
{
    const std::filesystem::path missing = std::filesystem::temp_directory_path() / "tonvale-no-colord";
    std::filesystem::remove_all(missing);
    ColourViewModel model(missing.string(), 0, 0);
    model.add(spectral(1, {ramp(10, 60)}));
    ColourViewModel::Shown s = model.shown();
    EXPECT_TRUE(s.rows.empty());
    EXPECT_FALSE(s.swatch.has_value());
    EXPECT_NE(s.problem.find("tonvale-no-colord"), std::string::npos) << s.problem;
    model.add(labSample(2, 50, 1, 2, 0, 0));
    s = model.shown();
    ASSERT_EQ(s.rows.size(), 1u);
    EXPECT_DOUBLE_EQ(s.rows[0].lab.L, 50);
    EXPECT_FALSE(s.problem.empty());
}

TEST_F(ColourViewWindowTest, ShowsTheValuesAndRecomputesWhenTheIlluminantChanges)
{
    window = new ColourViewWindow(colourTablesDirectory(), 0, 0);
    window->Show();
    EXPECT_EQ(window->valueList()->GetItemCount(), 0);

    const std::vector<double> sci = ramp(5, 80);
    window->add(spectral(1, {sci}));
    ASSERT_EQ(window->valueList()->GetItemCount(), 1);
    EXPECT_EQ(cell(0, 0), "SCI");
    EXPECT_EQ(cell(0, 1), wxString::Format("%.2f", expectedLab(sci, 0, 0).L));
    EXPECT_TRUE(window->illuminantChoice()->IsEnabled());

    // The operator picks A in the drop-down.
    window->illuminantChoice()->SetSelection(3);
    wxCommandEvent picked(wxEVT_CHOICE, window->illuminantChoice()->GetId());
    picked.SetEventObject(window->illuminantChoice());
    window->illuminantChoice()->GetEventHandler()->ProcessEvent(picked);
    EXPECT_EQ(window->model().shown().illuminant, 3);
    EXPECT_EQ(cell(0, 2), wxString::Format("%.2f", expectedLab(sci, 3, 0).a));

    // L*a*b* data: the drop-downs show the measurement's own and are off.
    window->add(labSample(2, 61.5, 2.25, -7.5, 2, 1));
    EXPECT_FALSE(window->illuminantChoice()->IsEnabled());
    EXPECT_FALSE(window->observerChoice()->IsEnabled());
    EXPECT_EQ(window->illuminantChoice()->GetSelection(), 2);
    EXPECT_EQ(window->observerChoice()->GetSelection(), 1);
    EXPECT_EQ(cell(0, 1), "61.50");

    // A click on the strip's first entry shows it again.
    const auto first = window->entryAt(wxPoint(10, 10));
    ASSERT_TRUE(first.has_value());
    window->showEntry(*first);
    EXPECT_EQ(window->model().shown().sample->number, 1);
    EXPECT_TRUE(window->illuminantChoice()->IsEnabled());
    EXPECT_FALSE(window->entryAt(wxPoint(5000, 10)).has_value());
    expectTidyLayout(*window);
}

TEST_F(ColourViewWindowTest, AMissingTableIsSaidInTheView)
{
    window = new ColourViewWindow("/nonexistent/colord", 0, 0);
    window->add(spectral(1, {ramp(10, 20)}));
    EXPECT_NE(window->noteText()->GetLabel().Find("/nonexistent/colord"), wxNOT_FOUND)
        << window->noteText()->GetLabel();
}
