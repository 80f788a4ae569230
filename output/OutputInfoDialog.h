#pragma once
// Dialog 134, "出力情報の設定": the view of OutputInfo.

#include "OutputInfo.h"

#include <wx/dialog.h>

namespace tonvale {

class OutputInfoDialog : public wxDialog {
public:
    explicit OutputInfoDialog(wxWindow* parent);

    // The store and the settings file; set before every showing.
    void setSettings(PropertyFile* store, std::string settingsFile);

private:
    void onInit(wxInitDialogEvent& event);
    void onOk(wxCommandEvent& event);
    void onCancel(wxCommandEvent& event);
    void close(int result);

    OutputInfo logic;
};

} // namespace tonvale
