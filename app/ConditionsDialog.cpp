#include "ConditionsDialog.h"

#include "Instrument.h"
#include "PropertyFile.h"
#include "Resources.h"
#include "Settings.h"

#include "uikit/Xrc.h"

#include <wx/radiobut.h>
#include <wx/validate.h>
#include <wx/xrc/xmlres.h>

#include <stdexcept>

namespace tonvale {
namespace {

// Checks its radio button when the selection equals value; a checked button
// makes value the selection. Checking one button of a group unchecks the
// others.
class RadioChoiceValidator : public wxValidator {
public:
    RadioChoiceValidator(int& selection, int value) : selection(selection), value(value) {}

    wxObject* Clone() const override { return new RadioChoiceValidator(selection, value); }
    bool Validate(wxWindow*) override { return true; }

    bool TransferToWindow() override
    {
        button()->SetValue(selection == value);
        return true;
    }

    bool TransferFromWindow() override
    {
        if (button()->GetValue())
            selection = value;
        return true;
    }

private:
    wxRadioButton* button() const { return static_cast<wxRadioButton*>(GetWindow()); }

    int& selection;
    int value;
};

struct RadioChoice {
    const char* name;
    int MeasurementConditions::*selection;
    int value;
};

// The two groups are drawn from the selections. An area the dialog does not
// know checks the hidden button of the area group, so that neither visible
// one is checked.
constexpr RadioChoice radioChoices[] = {
    {"1003", &MeasurementConditions::specularSelection, 0},
    {"1004", &MeasurementConditions::specularSelection, 1},
    {"1005", &MeasurementConditions::specularSelection, 2},
    {"1009", &MeasurementConditions::areaSelection, 0},
    {"1010", &MeasurementConditions::areaSelection, 1},
    {"AREA_UNKNOWN", &MeasurementConditions::areaSelection, -1},
};

constexpr const char* smallAreaButton = "1010";

} // namespace

void MeasurementConditions::setSettings(PropertyFile* store, std::string path)
{
    this->store = store;
    this->path = std::move(path);
}

bool MeasurementConditions::open()
{
    std::string model;
    int area = 0;
    int both = 0;
    int componentIndex = 0;
    int uvIndex = 0;
    if (!instrument.identify(model) ||
        !instrument.readConditions(area, both, componentIndex, uvIndex))
        return false;

    smallAreaEnabled = model != "SX-4800k";
    areaSelection = area == 0 || area == 1 ? area : -1;

    // Without a stored choice the instrument's own mode stands for it.
    int gloss = both;
    try {
        gloss = store->getInt(key::gloss);
    } catch (const std::invalid_argument&) {
    }
    if (both == 0)
        specularSelection = 0;
    else if (gloss == 0 || gloss == 2)
        specularSelection = 2;
    else if (gloss == 1)
        specularSelection = 1;
    else
        specularSelection = 0;
    return true;
}

bool MeasurementConditions::confirm()
{
    const int area = areaSelection == 0 ? 0 : 1;
    // The instrument always measures both components for SCE: the SCI line
    // is dropped from the output by "Gloss".
    const int mode = specularSelection == 0 ? 0 : 1;
    store->setInt(key::gloss, specularSelection);
    store->save(path);
    return instrument.setConditions(area, mode);
}

ConditionsDialog::ConditionsDialog(wxWindow* parent, Instrument& instrument) : logic(instrument)
{
    ensureResources();
    uikit::loadDialog(*this, parent, "TONVALE_CONDITIONS_130");
    for (const RadioChoice& choice : radioChoices) {
        auto* button = XRCCTRL(*this, choice.name, wxRadioButton);
        button->SetValidator(RadioChoiceValidator(logic.*choice.selection, choice.value));
        button->Bind(wxEVT_RADIOBUTTON, [this, choice](wxCommandEvent&) {
            logic.*choice.selection = choice.value;
            TransferDataToWindow();
        });
    }
    Bind(wxEVT_INIT_DIALOG, &ConditionsDialog::onInit, this);
    Bind(wxEVT_BUTTON, &ConditionsDialog::onOk, this, wxID_OK);
}

void ConditionsDialog::setSettings(PropertyFile* store, std::string path)
{
    logic.setSettings(store, std::move(path));
}

int ConditionsDialog::ShowModal()
{
    if (!logic.open())
        return wxID_CANCEL;
    return wxDialog::ShowModal();
}

void ConditionsDialog::onInit(wxInitDialogEvent& event)
{
    XRCCTRL(*this, smallAreaButton, wxRadioButton)->Enable(logic.smallAreaEnabled);
    event.Skip();
}

void ConditionsDialog::onOk(wxCommandEvent&)
{
    TransferDataFromWindow();
    if (!logic.confirm())
        return;
    // EndDialog records the result only for a dialog in a modal loop.
    SetReturnCode(wxID_OK);
    EndDialog(wxID_OK);
}

} // namespace tonvale
