#pragma once
// The standards dialog ("基準色ライブラリ"): the view of StandardsEditor.

#include "StandardsEditor.h"

#include <wx/dialog.h>

class wxListBox;
class wxStaticText;

namespace standards {

class StandardsDialog : public wxDialog {
public:
    // The store and the settings outlive the dialog.
    StandardsDialog(wxWindow* parent, Store& store, tonvale::PropertyFile& settings, std::string settingsPath);

    wxListBox* list() const { return names; }

private:
    void onInit(wxInitDialogEvent& event);
    void onAdd();
    void onRename();
    void onTolerance();
    void onDelete();
    void onImport();
    void onExport();
    void close(int result);
    // Shows the editor's list again, the standard named selected.
    void refresh(const std::string& selected);
    void showSelected();
    std::optional<std::size_t> selection() const;

    StandardsEditor logic;
    wxListBox* names = nullptr;
    wxStaticText* colour = nullptr;
    wxStaticText* tolerance = nullptr;
    wxStaticText* note = nullptr;
};

} // namespace standards
