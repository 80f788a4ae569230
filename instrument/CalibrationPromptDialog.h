#pragma once
// Dialog 137: asks the operator to get the instrument ready for the zero or
// the white calibration. Ends with wxID_OK, wxID_CANCEL or skipResult.

#include <wx/dialog.h>

namespace tonvale {

class CalibrationPromptDialog : public wxDialog {
public:
    // The result of "ｽｷｯﾌﾟ": go on without calibrating.
    static constexpr int skipResult = wxID_IGNORE;

    // Made once without a parent and shown again for every calibration step.
    CalibrationPromptDialog();

    // Hidden between calibrations; it must not keep the program running.
    bool ShouldPreventAppExit() const override { return false; }

    // Set before every showing: white rather than zero calibration, and
    // whether the step may be skipped.
    bool isWhite = false;
    bool skipEnabled = false;

private:
    void onInit(wxInitDialogEvent& event);
};

} // namespace tonvale
