#pragma once
// The text output window (dialog 141, "テキスト出力"): the text results of
// every measurement of the run, which the operator can clear or save as a
// CSV or text file. One window per process, created hidden and without a
// parent, alive until the process ends.

#include <wx/dialog.h>
#include <wx/weakref.h>

#include <string>

class wxButton;
class wxTextCtrl;

namespace tonvale {

// "Switch to None": the command the window sends to the main window when it
// is closed, so that the destination becomes none.
inline constexpr int commandSwitchToNone = 32785;

class TextOutputWindow : public wxDialog {
public:
    static TextOutputWindow& instance();

    // The window outlives the main window; the program ends with the latter.
    bool ShouldPreventAppExit() const override { return false; }

    // Appends line and CR LF and brings the line into view; does not show
    // the window. Costs the same however much text there is.
    void appendLine(const std::string& line);

    // Lines were added since the text was last saved or cleared.
    bool hasUnsavedLines() const { return unsaved; }

    // The accumulated text, every line ended by CR LF.
    const std::string& text() const { return buffer; }

    // "クリア"
    void clear();

    // "名前を付けて保存": asks for a file and writes the text to it. The
    // dialog opens in the folder of the last save (the documents folder at
    // first) and offers a name with the day's date. True when the text was
    // saved.
    bool saveAs();

    // The window that receives "Switch to None"; without one, the
    // application's top window.
    void setMainWindow(wxWindow* window);

    // GTK can deliver the map of a window that was shown and at once hidden
    // again after the hide, and wx then takes the hidden window for shown
    // (so that the next Show would do nothing); the widget's own visibility
    // decides here.
    bool IsShown() const override;
    bool Show(bool show = true) override;

    // The smallest outer size the operator can drag the window to.
    static constexpr int minimumWidth = 380;
    static constexpr int minimumHeight = 300;

private:
    TextOutputWindow();

    void layoutControls();
    void onClose(wxCloseEvent& event);
    void onSize(wxSizeEvent& event);
    // Writes the text to path; a failure is shown and changes nothing.
    bool writeFile(const std::string& path);

    std::string buffer;
    bool unsaved = false;
    // Where the last save went; empty before the first.
    std::string lastFolder;
    wxTextCtrl* view = nullptr;
    wxButton* saveButton = nullptr;
    wxButton* clearButton = nullptr;
    wxWeakRef<wxWindow> mainWindow;
};

} // namespace tonvale
