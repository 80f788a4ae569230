#pragma once
// Dialog 130, "測定器の設定": the instrument's measurement area and specular
// component treatment. MeasurementConditions decides; the dialog binds its
// radio buttons to the selections.

#include <wx/dialog.h>

#include <string>

namespace tonvale {

class Instrument;
class PropertyFile;

class MeasurementConditions {
public:
    explicit MeasurementConditions(Instrument& instrument) : instrument(instrument) {}

    // The store and the file it is saved to; both outlive the dialog.
    void setSettings(PropertyFile* store, std::string path);

    // Identifies the instrument and reads its conditions into the
    // selections. False when the instrument could not be read (it has said
    // why); the dialog then does not open.
    bool open();

    // Stores "Gloss" and saves the settings file, then writes the chosen
    // area and mode to the instrument. False when the instrument refused
    // (it has said why); "Gloss" stays stored.
    bool confirm();

    // Area 0 8 mm, 1 3 mm; specular 0 SCI, 1 SCE, 2 SCI + SCE; -1 unset.
    int areaSelection = -1;
    int specularSelection = -1;
    // The 3 mm aperture exists on the SX-4810k only.
    bool smallAreaEnabled = true;

private:
    Instrument& instrument;
    PropertyFile* store = nullptr;
    std::string path;
};

class ConditionsDialog : public wxDialog {
public:
    ConditionsDialog(wxWindow* parent, Instrument& instrument);

    // Set before every showing.
    void setSettings(PropertyFile* store, std::string path);

    // Reads the instrument first; when that fails the dialog is not shown
    // and the result is wxID_CANCEL.
    int ShowModal() override;

private:
    void onInit(wxInitDialogEvent& event);
    void onOk(wxCommandEvent& event);

    MeasurementConditions logic;
};

} // namespace tonvale
