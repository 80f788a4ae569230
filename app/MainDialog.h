#pragma once
// The main window: destination selector, measure button, menu 129.

#include <wx/frame.h>

class wxChoice;
class wxButton;
class wxPanel;

namespace tonvale {

class MainDialog : public wxFrame {
public:
    MainDialog();

    // Start-up after construction; false when the program is to end.
    bool start();

    // The exit path: ask with message 158; on OK end the program.
    bool confirmExit();

    wxChoice* destinationList() const { return destination; }

private:
    void onClose(wxCloseEvent& event);
    void onAbout(wxCommandEvent& event);

    wxPanel* panel = nullptr;
    wxChoice* destination = nullptr;
    wxButton* measureButton = nullptr;
};

} // namespace tonvale
