#pragma once
// Dialog 136, "リモート測定": shown while the instrument waits for its own
// measuring button. Cancel and the worker's close request both end it with
// result 1.

#include <wx/dialog.h>

#include <functional>

namespace tonvale {

class RemoteMeasureDialog : public wxDialog {
public:
    explicit RemoteMeasureDialog(wxWindow* parent);

    // Called when the operator cancels, before the dialog closes.
    void setOnCancel(std::function<void()> handler) { onCancel = std::move(handler); }

    // Clears a close request left from an earlier showing.
    void prepare() { closeRequested = false; }

    // The worker's close request, on the UI thread. One that arrives before
    // the dialog has opened closes it as soon as it opens.
    void requestClose();
    bool isCloseRequested() const { return closeRequested; }

    int ShowModal() override;

private:
    void onCancelButton(wxCommandEvent& event);

    std::function<void()> onCancel;
    bool closeRequested = false;
};

} // namespace tonvale
