// "基準に設定" in the colour view: what the shown measurement becomes.

#include "GuiTest.h"
#include "StandardsFixtures.h"
#include "TempDir.h"

#include "ColourSample.h"
#include "ColourTables.h"
#include "ColourViewWindow.h"
#include "MakeStandard.h"
#include "StandardDialog.h"
#include "standards/SqliteStore.h"

#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

using namespace standards;
using tonvale::ColourSample;
using tonvale::ColourViewWindow;

namespace {

ColourSample labSample(int illuminant, int observer)
{
    ColourSample s;
    s.number = 4;
    s.name = "Sample4";
    s.dataType = 1;
    s.illuminant = illuminant;
    s.observer = observer;
    s.lines.push_back({"SCI", {35.25, -20.5, 10.125}});
    return s;
}

ColourSample spectralSample()
{
    ColourSample s;
    s.number = 5;
    s.name = "Sample5";
    s.dataType = 0;
    std::vector<double> sci, sce;
    for (int k = 0; k < colour::bandCount; ++k) {
        sci.push_back(10 + 1.5 * k);
        sce.push_back(8 + 1.5 * k);
    }
    s.lines.push_back({"SCI", sci});
    s.lines.push_back({"SCE", sce});
    return s;
}

// Answers the standard dialog with name typed in and OK pressed.
ExpectDialog<StandardDialog> nameIt(const std::string& name, std::string& offered)
{
    return ExpectDialog<StandardDialog>([name, &offered](StandardDialog& dialog) {
        offered = dialog.form().name;
        XRCCTRL(dialog, "standard_name", wxTextCtrl)->ChangeValue(wxString::FromUTF8(name));
        press(dialog, wxID_OK);
        return dialog.GetReturnCode();
    });
}

struct Fixture {
    TempDir dir;
    SqliteStore store{dir.path("standards.sqlite")};
    // Destroyed by the fixture; the view is a window of its own.
    ColourViewWindow* view = nullptr;

    explicit Fixture(int illuminant = 0, int observer = 0)
        : view(new ColourViewWindow(tonvale::colourTablesDirectory(), illuminant, observer))
    {
    }
    ~Fixture() { view->Destroy(); }
};

} // namespace

TEST(MakeStandard, TheButtonWaitsForAMeasurementAndAsksForTheStandard)
{
    Fixture f;
    wxWindow* button = f.view->FindWindow(XRCID("colourview_make_standard"));
    ASSERT_NE(nullptr, button);
    EXPECT_FALSE(button->IsEnabled());
    int asked = 0;
    f.view->setOnMakeStandard([&] { ++asked; });
    f.view->add(labSample(1, 0));
    EXPECT_TRUE(button->IsEnabled());
    press(*f.view, XRCID("colourview_make_standard"));
    EXPECT_EQ(1, asked);
}

TEST(MakeStandard, AnLabMeasurementKeepsItsOwnConditions)
{
    Fixture f(5, 0);
    f.view->add(labSample(3, 1));
    std::string offered;
    wxTEST_DIALOG(makeStandardOfShown(f.view, f.view->model().shown(), f.store), nameIt("基準 4", offered));
    EXPECT_EQ("Sample4", offered);
    const auto made = f.store.find("基準 4");
    ASSERT_TRUE(made);
    EXPECT_FALSE(made->reflectance);
    EXPECT_EQ(35.25, made->lab.L);
    EXPECT_EQ(-20.5, made->lab.a);
    EXPECT_EQ(10.125, made->lab.b);
    EXPECT_EQ(3, made->illuminant);
    EXPECT_EQ(1, made->observer);
}

TEST(MakeStandard, ASpectralMeasurementKeepsItsReflectanceUnderTheViewsConditions)
{
    Fixture f(3, 1);
    const ColourSample sample = spectralSample();
    f.view->add(sample);
    std::string offered;
    wxTEST_DIALOG(makeStandardOfShown(f.view, f.view->model().shown(), f.store), nameIt("Spectral", offered));
    EXPECT_EQ("Sample5", offered);
    const auto made = f.store.find("Spectral");
    ASSERT_TRUE(made);
    ASSERT_TRUE(made->reflectance);
    // The SCI line, the first shown.
    EXPECT_TRUE(std::equal(made->reflectance->begin(), made->reflectance->end(), sample.lines[0].values.begin()));
    const colour::Lab shown = f.view->model().shown().rows.front().lab;
    EXPECT_EQ(shown.L, made->lab.L);
    EXPECT_EQ(shown.b, made->lab.b);
    EXPECT_EQ(3, made->illuminant);
    EXPECT_EQ(1, made->observer);
}

TEST(MakeStandard, RefusesLabOfTheInstrumentsButtonAndTakenNames)
{
    Fixture f;
    f.view->add(labSample(-1, -1));
    wxTEST_DIALOG(makeStandardOfShown(f.view, f.view->model().shown(), f.store),
                  ExpectMessage("測定器のボタンで測定した L*a*b* は光源と視野が分からないため、基準色にできません。"));
    EXPECT_TRUE(f.store.all().empty());

    f.store.add(labStandard("Taken"));
    f.view->add(labSample(0, 0));
    std::string offered;
    // The name is taken: the message, and the dialog stays until cancelled.
    wxTEST_DIALOG(makeStandardOfShown(f.view, f.view->model().shown(), f.store),
                  ExpectDialog<StandardDialog>([](StandardDialog& dialog) {
                      XRCCTRL(dialog, "standard_name", wxTextCtrl)->ChangeValue("Taken");
                      wxTEST_DIALOG(press(dialog, wxID_OK), ExpectMessage("同じ名前の基準色がすでにあります。"));
                      EXPECT_NE(wxID_OK, dialog.GetReturnCode());
                      return wxID_CANCEL;
                  }));
    EXPECT_EQ(1u, f.store.all().size());
}
