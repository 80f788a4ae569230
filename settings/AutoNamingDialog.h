#pragma once
// Dialog 133, "自動ネーミングの設定": the view of AutoNaming.

#include "AutoNaming.h"

#include <wx/dialog.h>

class wxTextCtrl;

namespace tonvale {

class AutoNamingDialog : public wxDialog {
public:
    explicit AutoNamingDialog(wxWindow* parent);

    // The store and the settings file; set before every showing.
    void setSettings(PropertyFile& store, std::string settingsFile);

private:
    void onInit(wxInitDialogEvent& event);
    void onOk(wxCommandEvent& event);
    void onCancel(wxCommandEvent& event);
    void onNumberKey(wxKeyEvent& event);
    void step(int delta);
    void close(int result);
    void toFields();
    void fromFields();

    AutoNaming logic;
    wxTextCtrl* number = nullptr;
    wxTextCtrl* prefix = nullptr;
    // Exchanged with the controls by their validators.
    wxString numberValue;
    wxString prefixValue;
    bool autoNamingValue = false;
};

} // namespace tonvale
