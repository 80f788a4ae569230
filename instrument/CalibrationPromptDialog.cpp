#include "CalibrationPromptDialog.h"

#include "Resources.h"
#include "Strings.h"

#include "uikit/Xrc.h"

#include <wx/button.h>
#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

namespace tonvale {
namespace {

constexpr int zeroTitle = 145;
constexpr int whiteTitle = 146;
constexpr int zeroText = 124;
constexpr int whiteText = 125;

} // namespace

CalibrationPromptDialog::CalibrationPromptDialog()
{
    ensureResources();
    uikit::loadDialog(*this, nullptr, "TONVALE_CALIBRATION_137");
    Bind(wxEVT_INIT_DIALOG, &CalibrationPromptDialog::onInit, this);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        // EndDialog records the result only for a dialog in a modal loop.
        SetReturnCode(skipResult);
        EndDialog(skipResult);
    }, skipResult);
}

void CalibrationPromptDialog::onInit(wxInitDialogEvent& event)
{
    SetTitle(wxString::FromUTF8(strings().get(isWhite ? whiteTitle : zeroTitle)));
    XRCCTRL(*this, "CALIBRATION_PROMPT_TEXT", wxStaticText)
        ->SetLabel(wxString::FromUTF8(strings().get(isWhite ? whiteText : zeroText)));
    FindWindow(skipResult)->Enable(skipEnabled);
    event.Skip();
}

} // namespace tonvale
