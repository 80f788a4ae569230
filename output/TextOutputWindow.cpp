#include "TextOutputWindow.h"

#include "TextFile.h"

#include "AtomicFile.h"
#include "PlatformFiles.h"
#include "Messages.h"
#include "Resources.h"
#include "Strings.h"

#include "uikit/Xrc.h"

#include <wx/app.h>
#include <wx/button.h>
#include <wx/datetime.h>
#include <wx/filedlg.h>
#include <wx/stdpaths.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

#include <filesystem>

namespace tonvale {
namespace {

constexpr int fileFilterId = 149;

wxString toWx(const std::string& text)
{
    wxString converted = wxString::FromUTF8(text.data(), text.size());
    // Bytes that are not UTF-8 (a name from a settings file written
    // elsewhere) are read another way rather than shown as nothing.
    if (converted.empty() && !text.empty())
        converted = wxString(text.data(), wxConvWhateverWorks, text.size());
    return converted;
}

} // namespace

TextOutputWindow& TextOutputWindow::instance()
{
    // wx destroys the remaining top-level windows when the application ends.
    static TextOutputWindow* window = new TextOutputWindow;
    return *window;
}

TextOutputWindow::TextOutputWindow()
{
    ensureResources();
    uikit::loadDialog(*this, nullptr, "TONVALE_TEXTOUT_141");
#ifdef __WXGTK__
    // A window of its own beside the main window, not a dialog: a window
    // manager keeps a dialog that has no parent above every window of the
    // program, and so above the prompts of a measurement and the message boxes.
    gtk_window_set_type_hint(GTK_WINDOW(GetHandle()), GDK_WINDOW_TYPE_HINT_NORMAL);
#endif
    SetIcon(programIcon());
    view = XRCCTRL(*this, "textout_text", wxTextCtrl);
#ifdef __WXGTK__
    // GTK's overlay scroll bars show only while the pointer moves over the
    // text, which looks like none at all: a spectral line is far wider than
    // the window and needs a bar that is there to be found.
    gtk_scrolled_window_set_overlay_scrolling(GTK_SCROLLED_WINDOW(view->GetHandle()), FALSE);
#endif
    saveButton = XRCCTRL(*this, "textout_save", wxButton);
    clearButton = XRCCTRL(*this, "textout_clear", wxButton);
    SetMinSize(wxSize(minimumWidth, minimumHeight));

    saveButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { saveAs(); });
    clearButton->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) { clear(); });
    Bind(wxEVT_CLOSE_WINDOW, &TextOutputWindow::onClose, this);
    Bind(wxEVT_SIZE, &TextOutputWindow::onSize, this);
    layoutControls();
}

void TextOutputWindow::appendLine(const std::string& line)
{
    buffer += line;
    buffer += "\r\n";
    unsaved = true;
    view->AppendText(toWx(line) + '\n');
    view->ShowPosition(view->GetLastPosition());
}

bool TextOutputWindow::IsShown() const
{
#ifdef __WXGTK__
    return wxDialog::IsShown() && gtk_widget_get_visible(GetHandle());
#else
    return wxDialog::IsShown();
#endif
}

bool TextOutputWindow::Show(bool show)
{
    if (show && wxDialog::IsShown() && !IsShown())
        wxDialog::Show(false);
    return wxDialog::Show(show);
}

void TextOutputWindow::clear()
{
    buffer.clear();
    unsaved = false;
    view->Clear();
}

void TextOutputWindow::setMainWindow(wxWindow* window)
{
    mainWindow = window;
}

void TextOutputWindow::layoutControls()
{
    const wxSize client = GetClientSize();
    const wxSize button = saveButton->GetSize();
    view->SetSize(15, 15, client.x - 30, client.y - button.y - 35);
    saveButton->Move(15, client.y - button.y - 5);
    clearButton->SetSize(30 + button.x, client.y - button.y - 5, button.x, button.y);
}

void TextOutputWindow::onSize(wxSizeEvent&)
{
    layoutControls();
}

void TextOutputWindow::onClose(wxCloseEvent&)
{
    wxWindow* target = mainWindow ? mainWindow.get() : wxTheApp->GetTopWindow();
    if (target != nullptr && target != this)
        wxQueueEvent(target, new wxCommandEvent(wxEVT_MENU, commandSwitchToNone));
    Hide();
}

bool TextOutputWindow::saveAs()
{
    const std::string wildcard = fileDialogWildcard(strings().get(fileFilterId));
    // Not the program's own folder, where a file dialog would otherwise begin.
    const wxString folder = lastFolder.empty() ? wxStandardPaths::Get().GetDocumentsDir()
                                               : wxString::FromUTF8(lastFolder);
    wxFileDialog dialog(this, wxString::FromUTF8("名前を付けて保存"), folder,
                        wxString::FromUTF8(suggestedFileName(*wxDateTime::GetTmNow())),
                        wxString::FromUTF8(wildcard), wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() != wxID_OK)
        return false;
    const std::string chosen = dialog.GetPath().utf8_string();
    if (chosen.empty())
        return false;
    const std::string path = withDefaultExtension(chosen, wildcard, dialog.GetFilterIndex());
    // The file dialog asked about the name as typed; a name that only now got
    // its extension is asked about here.
    if (path != chosen && std::filesystem::exists(pathOf(path))) {
        const std::string question = utf8Of(pathOf(path).filename()) +
                                     " は既に存在します。\n上書きしますか?";
        if (uikit::messageBox(question, appTitle, MessageIcon::Question, MessageButtons::OkCancel) != wxID_OK)
            return false;
    }
    return writeFile(path);
}

bool TextOutputWindow::writeFile(const std::string& path)
{
    if (const auto error = writeFileAtomically(path, textFileBytes(buffer, path))) {
        showText(fileErrorText(path, error, FileAccess::Write));
        return false;
    }
    unsaved = false;
    lastFolder = utf8Of(pathOf(path).parent_path());
    return true;
}

} // namespace tonvale
