#include "PathMessageDialog.h"

#include "Strings.h"

#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/sizer.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include <algorithm>

namespace tonvale {

PathMessageDialog::PathMessageDialog(wxWindow* parent, const std::string& message,
                                     const std::string& path, const std::string& reason)
    : wxDialog(parent, wxID_ANY, wxString::FromUTF8(appTitle))
{
    auto* text = new wxBoxSizer(wxVERTICAL);
    text->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(message)), 0, wxBOTTOM, 8);
    const wxString shown = wxString::FromUTF8(path);
    auto* field = new wxTextCtrl(this, wxID_ANY, shown, wxDefaultPosition, wxDefaultSize,
                                 wxTE_READONLY);
    field->SetName("path");
    field->SetMinSize(wxSize(std::max(field->GetTextExtent(shown).x + 24, 320), -1));
    text->Add(field, 0, wxEXPAND);
    if (!reason.empty())
        text->Add(new wxStaticText(this, wxID_ANY, wxString::FromUTF8(reason)), 0, wxTOP, 8);

    auto* row = new wxBoxSizer(wxHORIZONTAL);
    row->Add(new wxStaticBitmap(this, wxID_ANY, wxArtProvider::GetIcon(wxART_ERROR, wxART_MESSAGE_BOX)),
             0, wxRIGHT, 12);
    row->Add(text, 1, wxEXPAND);

    auto* all = new wxBoxSizer(wxVERTICAL);
    all->Add(row, 1, wxEXPAND | wxALL, 12);
    auto* ok = new wxButton(this, wxID_OK, wxString::FromUTF8("OK"));
    ok->SetDefault();
    all->Add(ok, 0, wxALIGN_RIGHT | wxLEFT | wxRIGHT | wxBOTTOM, 12);
    SetSizerAndFit(all);
    CentreOnParent();
    // The path ready to be copied.
    field->SetFocus();
    field->SelectAll();
}

} // namespace tonvale
