#include "RemoteMeasureDialog.h"

#include "Resources.h"
#include "uikit/Xrc.h"

namespace tonvale {

RemoteMeasureDialog::RemoteMeasureDialog(wxWindow* parent)
{
    ensureResources();
    uikit::loadDialog(*this, parent, "TONVALE_REMOTE_136");
    Bind(wxEVT_BUTTON, &RemoteMeasureDialog::onCancelButton, this, wxID_CANCEL);
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent&) {
        wxCommandEvent cancel(wxEVT_BUTTON, wxID_CANCEL);
        onCancelButton(cancel);
    });
}

int RemoteMeasureDialog::ShowModal()
{
    // The worker may already have finished: then there is nothing to wait
    // for and no button to ask the operator to press.
    if (closeRequested)
        return 1;
    return wxDialog::ShowModal();
}

void RemoteMeasureDialog::requestClose()
{
    closeRequested = true;
    if (IsModal())
        EndModal(1);
}

void RemoteMeasureDialog::onCancelButton(wxCommandEvent&)
{
    if (onCancel)
        onCancel();
    if (IsModal())
        EndModal(1);
}

} // namespace tonvale
