#pragma once
// Answers the save dialog as the operator does: a path typed in, then the
// button.

#include "GuiTest.h"

#include <wx/filedlg.h>

#include <string>

// Puts path into the save dialog, as the operator would choose it.
inline void choose(wxFileDialog& dlg, const std::string& path)
{
    const wxString chosen = wxString::FromUTF8(path);
    dlg.SetPath(chosen);
    // GTK takes the folder in asynchronously.
    EXPECT_TRUE(pumpUntil([&] { return dlg.GetPath() == chosen; }, std::chrono::seconds(2)));
}

inline ExpectDialog<wxFileDialog> chooseFile(const std::string& path, int answer = wxID_OK)
{
    return ExpectDialog<wxFileDialog>([path, answer](wxFileDialog& dlg) {
        choose(dlg, path);
        return answer;
    });
}
