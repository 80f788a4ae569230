#pragma once
// The dialog of one standard ("基準色"): name, colour, tolerance and note.
// What the command at hand may change is enabled; OK hands the fields to
// accept, which stores them or says why not.

#include "StandardForm.h"

#include <wx/dialog.h>

#include <functional>

class wxChoice;
class wxTextCtrl;

namespace standards {

class StandardDialog : public wxDialog {
public:
    enum class Mode {
        // A new L*a*b* standard: everything typed in.
        Add,
        // A new standard of a measurement: its colour is the measurement's.
        FromMeasurement,
        Rename,
        Tolerance,
    };
    using Accept = std::function<bool(const StandardForm&, Field& bad)>;

    StandardDialog(wxWindow* parent, Mode mode, const StandardForm& form, Accept accept);

    // The fields as they stand.
    StandardForm form() const;

private:
    void show(const StandardForm& form, Mode mode);
    void onOk(wxCommandEvent& event);
    wxWindow* control(Field field) const;

    Accept accept;
    wxTextCtrl* name = nullptr;
    wxTextCtrl* L = nullptr;
    wxTextCtrl* a = nullptr;
    wxTextCtrl* b = nullptr;
    wxChoice* illuminant = nullptr;
    wxChoice* observer = nullptr;
    wxChoice* formula = nullptr;
    wxTextCtrl* deltaE = nullptr;
    wxTextCtrl* dL = nullptr;
    wxTextCtrl* da = nullptr;
    wxTextCtrl* db = nullptr;
    wxTextCtrl* note = nullptr;
};

} // namespace standards
