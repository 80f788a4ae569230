#include "DataTypeDialog.h"

#include "Resources.h"

#include "uikit/Xrc.h"

#include <wx/choice.h>
#include <wx/radiobut.h>
#include <wx/validate.h>
#include <wx/xrc/xmlres.h>

#include <cstdint>

namespace tonvale {
namespace {

// Binds one radio button of a group to the group's value: the button is
// selected when the value is its code, and selecting it sets the value.
class RadioCodeValidator : public wxValidator {
public:
    RadioCodeValidator(int* value, int code) : value(value), code(code) {}

    wxObject* Clone() const override { return new RadioCodeValidator(*this); }
    bool Validate(wxWindow*) override { return true; }

    bool TransferToWindow() override
    {
        // Only selecting does anything: GTK unselects by selecting another
        // button of the group.
        if (*value == code)
            button()->SetValue(true);
        return true;
    }

    bool TransferFromWindow() override
    {
        if (button()->GetValue())
            *value = code;
        return true;
    }

private:
    wxRadioButton* button() const { return static_cast<wxRadioButton*>(GetWindow()); }

    int* value;
    int code;
};

// Binds the illuminant list to an illuminant code through the code attached
// to each item; a code without an item selects nothing.
class IlluminantValidator : public wxValidator {
public:
    explicit IlluminantValidator(int* code) : code(code) {}

    wxObject* Clone() const override { return new IlluminantValidator(*this); }
    bool Validate(wxWindow*) override { return true; }

    bool TransferToWindow() override
    {
        int selection = wxNOT_FOUND;
        for (unsigned i = 0; i < list()->GetCount(); ++i)
            if (itemCode(i) == *code)
                selection = static_cast<int>(i);
        list()->SetSelection(selection);
        return true;
    }

    bool TransferFromWindow() override
    {
        const int selection = list()->GetSelection();
        *code = selection == wxNOT_FOUND ? DataType::noSelection : itemCode(static_cast<unsigned>(selection));
        return true;
    }

private:
    wxChoice* list() const { return static_cast<wxChoice*>(GetWindow()); }
    int itemCode(unsigned item) const
    {
        return static_cast<int>(reinterpret_cast<std::intptr_t>(list()->GetClientData(item)));
    }

    int* code;
};

} // namespace

DataTypeDialog::DataTypeDialog(wxWindow* parent)
{
    ensureResources();
    uikit::loadDialog(*this, parent, "TONVALE_DATATYPE_138");
    auto* spectral = XRCCTRL(*this, "datatype_spectral", wxRadioButton);
    auto* lab = XRCCTRL(*this, "datatype_lab", wxRadioButton);
    illuminantList = XRCCTRL(*this, "datatype_illuminant", wxChoice);
    observer10 = XRCCTRL(*this, "datatype_observer10", wxRadioButton);
    observer2 = XRCCTRL(*this, "datatype_observer2", wxRadioButton);

    for (const IlluminantEntry& entry : illuminantTable)
        illuminantList->Append(entry.name, reinterpret_cast<void*>(static_cast<std::intptr_t>(entry.code)));

    spectral->SetValidator(RadioCodeValidator(&logic.dataType, 0));
    lab->SetValidator(RadioCodeValidator(&logic.dataType, 1));
    XRCCTRL(*this, "datatype_unselected", wxRadioButton)
        ->SetValidator(RadioCodeValidator(&logic.dataType, DataType::noSelection));
    illuminantList->SetValidator(IlluminantValidator(&logic.illuminant));
    observer10->SetValidator(RadioCodeValidator(&logic.observer, 0));
    observer2->SetValidator(RadioCodeValidator(&logic.observer, 1));
    XRCCTRL(*this, "datatype_observer_unselected", wxRadioButton)
        ->SetValidator(RadioCodeValidator(&logic.observer, DataType::noSelection));

    Bind(wxEVT_INIT_DIALOG, &DataTypeDialog::onInit, this);
    spectral->Bind(wxEVT_RADIOBUTTON, &DataTypeDialog::onDataType, this);
    lab->Bind(wxEVT_RADIOBUTTON, &DataTypeDialog::onDataType, this);
    Bind(wxEVT_BUTTON, &DataTypeDialog::onOk, this, wxID_OK);
    Bind(wxEVT_BUTTON, &DataTypeDialog::onCancel, this, wxID_CANCEL);
}

void DataTypeDialog::setSettings(PropertyFile* store, std::string settingsFile)
{
    logic.setSettings(store, std::move(settingsFile));
}

void DataTypeDialog::onInit(wxInitDialogEvent&)
{
    logic.open();
    TransferDataToWindow();
    enableConditions();
}

void DataTypeDialog::onDataType(wxCommandEvent&)
{
    TransferDataFromWindow();
    enableConditions();
}

void DataTypeDialog::enableConditions()
{
    const bool enable = logic.conditionsEnabled();
    illuminantList->Enable(enable);
    observer10->Enable(enable);
    observer2->Enable(enable);
}

void DataTypeDialog::onOk(wxCommandEvent&)
{
    TransferDataFromWindow();
    logic.confirm();
    close(wxID_OK);
}

void DataTypeDialog::onCancel(wxCommandEvent&)
{
    close(wxID_CANCEL);
}

void DataTypeDialog::close(int result)
{
    // EndDialog records the result only for a dialog in a modal loop.
    SetReturnCode(result);
    EndDialog(result);
}

} // namespace tonvale
