#include "MeasureInfoDialog.h"

#include "MeasurementRecord.h"
#include "Resources.h"
#include "uikit/Xrc.h"

#include <wx/textctrl.h>
#include <wx/valnum.h>
#include <wx/valtext.h>
#include <wx/xrc/xmlres.h>

namespace tonvale {

MeasureInfoDialog::MeasureInfoDialog(wxWindow* parent, MeasurementRecord& record)
    : record(record)
{
    ensureResources();
    uikit::loadDialog(*this, parent, "TONVALE_MEASURE_131");
    auto* number = XRCCTRL(*this, "1011", wxTextCtrl);
    auto* name = XRCCTRL(*this, "1017", wxTextCtrl);
    auto* comment = XRCCTRL(*this, "1018", wxTextCtrl);

    wxIntegerValidator<int> numberCheck(&numberValue);
    numberCheck.SetRange(1, 99999);
    number->SetValidator(numberCheck);
    name->SetValidator(wxTextValidator(wxFILTER_NONE, &nameValue));
    comment->SetValidator(wxTextValidator(wxFILTER_NONE, &commentValue));
    name->SetMaxLength(maxChars);
    comment->SetMaxLength(maxChars);

    Bind(wxEVT_BUTTON, &MeasureInfoDialog::onOk, this, wxID_OK);
}

bool MeasureInfoDialog::TransferDataToWindow()
{
    nameValue = wxString::FromUTF8(record.makeName());
    commentValue = wxString::FromUTF8(record.comment());
    return wxDialog::TransferDataToWindow();
}

void MeasureInfoDialog::onOk(wxCommandEvent& event)
{
    // The record takes the texts before the fields are checked, as typed.
    const std::string name = XRCCTRL(*this, "1017", wxTextCtrl)->GetValue().utf8_string();
    const std::string comment = XRCCTRL(*this, "1018", wxTextCtrl)->GetValue().utf8_string();
    record.setName(name);
    record.setNameAndComment(name, comment);
    event.Skip(); // the standard OK: validate, transfer, close
}

} // namespace tonvale
