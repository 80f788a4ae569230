#pragma once
// Dialog 138, "データタイプの設定": the view of DataType.

#include "DataType.h"

#include <wx/dialog.h>

class wxChoice;
class wxRadioButton;

namespace tonvale {

class DataTypeDialog : public wxDialog {
public:
    explicit DataTypeDialog(wxWindow* parent);

    // The store and the settings file; set before every showing.
    void setSettings(PropertyFile* store, std::string settingsFile);

private:
    void onInit(wxInitDialogEvent& event);
    void onDataType(wxCommandEvent& event);
    void onOk(wxCommandEvent& event);
    void onCancel(wxCommandEvent& event);
    void enableConditions();
    void close(int result);

    DataType logic;
    wxChoice* illuminantList = nullptr;
    wxRadioButton* observer10 = nullptr;
    wxRadioButton* observer2 = nullptr;
};

} // namespace tonvale
