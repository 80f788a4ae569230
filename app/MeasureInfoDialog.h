#pragma once
// Dialog 131, "測定": the number of the coming measurement and the name and
// comment it will be written with.

#include <wx/dialog.h>

#include <string>

namespace tonvale {

class MeasurementRecord;

class MeasureInfoDialog : public wxDialog {
public:
    static constexpr int maxChars = 40;

    MeasureInfoDialog(wxWindow* parent, MeasurementRecord& record);

    // The number shown; set before every showing.
    void setNumber(int number) { numberValue = number; }

    // Offers the record's current name and comment (those of the previous
    // measurement) in the fields.
    bool TransferDataToWindow() override;

private:
    void onOk(wxCommandEvent& event);

    MeasurementRecord& record;
    int numberValue = 1;
    wxString nameValue;
    wxString commentValue;
};

} // namespace tonvale
