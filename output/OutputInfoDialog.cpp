#include "OutputInfoDialog.h"

#include "Resources.h"

#include "uikit/Xrc.h"

#include <wx/checkbox.h>
#include <wx/valgen.h>
#include <wx/xrc/xmlres.h>

namespace tonvale {
namespace {

// The check boxes, in the order of outputSwitchKeys.
constexpr std::array<const char*, outputSwitchKeys.size()> checkBoxNames{
    "outputinfo_number", "outputinfo_name", "outputinfo_datetime",
    "outputinfo_mask", "outputinfo_gloss", "outputinfo_comment"};

} // namespace

OutputInfoDialog::OutputInfoDialog(wxWindow* parent)
{
    ensureResources();
    uikit::loadDialog(*this, parent, "TONVALE_OUTPUTINFO_134");
    for (std::size_t i = 0; i < checkBoxNames.size(); ++i)
        XRCCTRL(*this, checkBoxNames[i], wxCheckBox)->SetValidator(wxGenericValidator(&logic.switches[i]));

    Bind(wxEVT_INIT_DIALOG, &OutputInfoDialog::onInit, this);
    Bind(wxEVT_BUTTON, &OutputInfoDialog::onOk, this, wxID_OK);
    Bind(wxEVT_BUTTON, &OutputInfoDialog::onCancel, this, wxID_CANCEL);
}

void OutputInfoDialog::setSettings(PropertyFile* store, std::string settingsFile)
{
    logic.setSettings(store, std::move(settingsFile));
}

void OutputInfoDialog::onInit(wxInitDialogEvent&)
{
    logic.open();
    TransferDataToWindow();
}

void OutputInfoDialog::onOk(wxCommandEvent&)
{
    TransferDataFromWindow();
    logic.confirm();
    close(wxID_OK);
}

void OutputInfoDialog::onCancel(wxCommandEvent&)
{
    close(wxID_CANCEL);
}

void OutputInfoDialog::close(int result)
{
    // EndDialog records the result only for a dialog in a modal loop.
    SetReturnCode(result);
    EndDialog(result);
}

} // namespace tonvale
