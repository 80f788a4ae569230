#pragma once
// Measurements as the colour view gets them, and a fixture that holds a
// colour view window, for the view's tests.

#include "GuiTest.h"

#include "ColourSample.h"
#include "ColourViewWindow.h"

#include <wx/listctrl.h>

#include "colour/Spectral.h"

#include <string>
#include <vector>

namespace tonvale::test {

// 39 reflectances rising evenly from one value to another.
inline std::vector<double> ramp(double from, double to)
{
    std::vector<double> r;
    for (int k = 0; k < colour::bandCount; ++k)
        r.push_back(from + (to - from) * k / (colour::bandCount - 1));
    return r;
}

// Spectral data lines, SCI and SCE by turns.
inline ColourSample spectral(int number, std::vector<std::vector<double>> lines)
{
    ColourSample s;
    s.number = number;
    s.name = "No." + std::to_string(number);
    s.dataType = 0;
    const char* components[] = {"SCI", "SCE"};
    for (std::size_t i = 0; i < lines.size(); ++i)
        s.lines.push_back({components[i % 2], lines[i], static_cast<int>(i)});
    return s;
}

inline ColourSample labSample(int number, double L, double a, double b, int illuminant, int observer)
{
    ColourSample s;
    s.number = number;
    s.name = "Lab";
    s.dataType = 1;
    s.illuminant = illuminant;
    s.observer = observer;
    s.lines.push_back({"SCI", {L, a, b}, 0});
    return s;
}

} // namespace tonvale::test

class ColourViewWindowTest : public testing::Test {
protected:
    void TearDown() override
    {
        if (window != nullptr)
            window->Destroy();
        pumpFor(std::chrono::milliseconds(20));
    }

    // A cell of the L*a*b* list, and of the list of differences.
    wxString cell(long row, int column) const { return window->valueList()->GetItemText(row, column); }
    wxString difference(long row, int column) const
    {
        return window->differenceList()->GetItemText(row, column);
    }

    tonvale::ColourViewWindow* window = nullptr;
};
