#include "AutoNamingDialog.h"

#include "Resources.h"
#include "Settings.h"

#include "uikit/Xrc.h"

#include <wx/checkbox.h>
#include <wx/spinbutt.h>
#include <wx/textctrl.h>
#include <wx/valgen.h>
#include <wx/valtext.h>
#include <wx/xrc/xmlres.h>

namespace tonvale {

AutoNamingDialog::AutoNamingDialog(wxWindow* parent)
{
    ensureResources();
    uikit::loadDialog(*this, parent, "TONVALE_AUTONAMING_133");
    number = XRCCTRL(*this, "1023", wxTextCtrl);
    prefix = XRCCTRL(*this, "1024", wxTextCtrl);
    auto* check = XRCCTRL(*this, "1025", wxCheckBox);
    auto* spin = XRCCTRL(*this, "1015", wxSpinButton);

    number->SetValidator(wxTextValidator(wxFILTER_DIGITS, &numberValue));
    prefix->SetValidator(wxTextValidator(wxFILTER_NONE, &prefixValue));
    prefix->SetMaxLength(nameDefaultMaxChars);
    check->SetValidator(wxGenericValidator(&autoNamingValue));
    spin->SetRange(firstMesNum, lastMesNum);

    Bind(wxEVT_INIT_DIALOG, &AutoNamingDialog::onInit, this);
    Bind(wxEVT_BUTTON, &AutoNamingDialog::onOk, this, wxID_OK);
    Bind(wxEVT_BUTTON, &AutoNamingDialog::onCancel, this, wxID_CANCEL);
    number->Bind(wxEVT_KEY_DOWN, &AutoNamingDialog::onNumberKey, this);
    spin->Bind(wxEVT_SPIN_UP, [this](wxSpinEvent&) { step(+1); });
    spin->Bind(wxEVT_SPIN_DOWN, [this](wxSpinEvent&) { step(-1); });
}

void AutoNamingDialog::setSettings(PropertyFile& store, std::string settingsFile)
{
    logic.setSettings(store, std::move(settingsFile));
}

void AutoNamingDialog::toFields()
{
    numberValue = wxString::FromUTF8(logic.numberText);
    prefixValue = wxString::FromUTF8(logic.prefix);
    autoNamingValue = logic.autoNaming;
    TransferDataToWindow();
}

void AutoNamingDialog::fromFields()
{
    TransferDataFromWindow();
    logic.numberText = numberValue.utf8_string();
    logic.prefix = prefixValue.utf8_string();
    logic.autoNaming = autoNamingValue;
}

void AutoNamingDialog::onInit(wxInitDialogEvent&)
{
    logic.open();
    toFields();
}

void AutoNamingDialog::onOk(wxCommandEvent&)
{
    fromFields();
    switch (logic.confirm()) {
    case AutoNaming::Invalid::None:
        close(wxID_OK);
        break;
    case AutoNaming::Invalid::Number:
        number->SetFocus();
        number->SelectAll();
        break;
    case AutoNaming::Invalid::Prefix:
        prefix->SetFocus();
        prefix->SelectAll();
        break;
    }
}

void AutoNamingDialog::onCancel(wxCommandEvent&)
{
    logic.cancel();
    close(wxID_CANCEL);
}

void AutoNamingDialog::close(int result)
{
    // EndDialog records the result only for a dialog in a modal loop.
    SetReturnCode(result);
    EndDialog(result);
}

void AutoNamingDialog::onNumberKey(wxKeyEvent& event)
{
    switch (event.GetKeyCode()) {
    case WXK_UP: step(+1); break;
    case WXK_DOWN: step(-1); break;
    default: event.Skip(); break;
    }
}

void AutoNamingDialog::step(int delta)
{
    number->ChangeValue(wxString::FromUTF8(AutoNaming::stepNumber(number->GetValue().utf8_string(), delta)));
    number->SetInsertionPointEnd();
}

} // namespace tonvale
