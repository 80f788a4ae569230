#pragma once
// The colour view ("カラービュー"): the last measurement's colour as a
// swatch, its reflectance curve and its L*a*b* / L*C*h° under an illuminant
// and observer chosen in the view, a strip of the session's last
// measurements, and its judgement against the active standard with an a*b*
// diagram of the tolerance. A window of its own, created hidden and without a parent,
// alive until the process ends, like the text output window.

#include "ColourViewModel.h"

#include <wx/dialog.h>
#include <wx/weakref.h>

#include <functional>
#include <optional>

class wxChoice;
class wxListCtrl;
class wxPanel;
class wxStaticText;

namespace tonvale {

class ColourViewWindow : public wxDialog {
public:
    // colordDir: where the spectral tables are; illuminant, observer: the
    // drop-downs' choice to begin with.
    ColourViewWindow(const std::string& colordDir, int illuminant, int observer);

    // The window outlives the main window; the program ends with the latter.
    bool ShouldPreventAppExit() const override { return false; }

    // A measurement has been written: it becomes the one shown. Redraws
    // later, when the window is shown; nothing here waits for the drawing.
    void add(ColourSample sample);
    // Shows the strip's entry at index (0 the oldest).
    void showEntry(std::size_t index);
    // The standard every measurement is judged against, or none.
    void setStandard(std::optional<standards::Standard> standard);
    // The strip's entry under a point of the strip panel, if any.
    std::optional<std::size_t> entryAt(const wxPoint& point) const;

    // Called when the operator closes the window (its menu item unchecks).
    void setOnClosed(std::function<void()> closed) { onClosed = std::move(closed); }
    // Called by "基準に設定", which makes the measurement shown a standard.
    void setOnMakeStandard(std::function<void()> make) { onMakeStandard = std::move(make); }

    const ColourViewModel& model() const { return state; }

    // The controls, for the tests.
    wxChoice* illuminantChoice() const { return illuminant; }
    wxChoice* observerChoice() const { return observer; }
    wxListCtrl* valueList() const { return values; }
    wxStaticText* noteText() const { return note; }
    wxPanel* stripPanel() const { return strip; }
    wxStaticText* standardText() const { return standardName; }
    wxStaticText* verdictText() const { return verdict; }
    wxStaticText* deltaEText() const { return deltaE; }
    wxChoice* secondChoice() const { return second; }
    wxStaticText* secondDeltaEText() const { return secondDeltaE; }
    wxListCtrl* differenceList() const { return differences; }
    wxPanel* diagramPanel() const { return diagram; }

    // As the text window: GTK may report a window shown that is not.
    bool IsShown() const override;

private:
    // Brings every control in line with the model.
    void refresh();
    void refreshJudgement(const ColourViewModel::Shown& shown);
    void onChoice();
    void paintSwatch();
    void paintCurve();
    void paintStrip();
    void paintDiagram();

    ColourViewModel state;
    wxPanel* swatch = nullptr;
    wxListCtrl* values = nullptr;
    wxChoice* illuminant = nullptr;
    wxChoice* observer = nullptr;
    wxStaticText* note = nullptr;
    wxPanel* curve = nullptr;
    wxPanel* strip = nullptr;
    wxStaticText* standardName = nullptr;
    wxStaticText* verdict = nullptr;
    wxStaticText* deltaE = nullptr;
    wxChoice* second = nullptr;
    wxStaticText* secondDeltaE = nullptr;
    wxListCtrl* differences = nullptr;
    wxPanel* diagram = nullptr;
    // The wavelength band under the mouse in the curve, if any.
    std::optional<int> hoverBand;
    std::function<void()> onClosed;
    std::function<void()> onMakeStandard;
    wxWindow* makeStandard = nullptr;
};

} // namespace tonvale
