#include "StandardsDialog.h"

#include "StandardDialog.h"

#include "Resources.h"

#include "uikit/Xrc.h"

#include <wx/filedlg.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

namespace standards {
namespace {

wxString utf8(const std::string& text) { return wxString::FromUTF8(text); }

// The active standard is marked in the list.
constexpr const char* activeMark = "● ";

constexpr const char* csvWildcard = "CSV (*.csv)|*.csv|*.*|*.*";

} // namespace

StandardsDialog::StandardsDialog(wxWindow* parent, Store& store, tonvale::PropertyFile& settings,
                                 std::string settingsPath)
    : logic(store, settings, std::move(settingsPath))
{
    tonvale::ensureResources();
    uikit::loadDialog(*this, parent, "TONVALE_STANDARDS");
    names = XRCCTRL(*this, "standards_list", wxListBox);
    colour = XRCCTRL(*this, "standards_colour", wxStaticText);
    tolerance = XRCCTRL(*this, "standards_tolerance", wxStaticText);
    note = XRCCTRL(*this, "standards_note", wxStaticText);

    Bind(wxEVT_INIT_DIALOG, &StandardsDialog::onInit, this);
    const auto command = [this](const char* id, void (StandardsDialog::*handler)()) {
        Bind(wxEVT_BUTTON, [this, handler](wxCommandEvent&) { (this->*handler)(); }, XRCID(id));
    };
    command("standards_add", &StandardsDialog::onAdd);
    command("standards_rename", &StandardsDialog::onRename);
    command("standards_tolerance_edit", &StandardsDialog::onTolerance);
    command("standards_delete", &StandardsDialog::onDelete);
    command("standards_import", &StandardsDialog::onImport);
    command("standards_export", &StandardsDialog::onExport);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        logic.choose(selection());
        refresh(selection() ? logic.standards()[*selection()].name : "");
    }, XRCID("standards_use"));
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        logic.choose(std::nullopt);
        refresh(selection() ? logic.standards()[*selection()].name : "");
    }, XRCID("standards_unuse"));
    names->Bind(wxEVT_LISTBOX, [this](wxCommandEvent&) { showSelected(); });
    names->Bind(wxEVT_LISTBOX_DCLICK, [this](wxCommandEvent&) { onTolerance(); });
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        logic.confirm();
        close(wxID_OK);
    }, wxID_OK);
    Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        logic.cancel();
        close(wxID_CANCEL);
    }, wxID_CANCEL);
}

void StandardsDialog::onInit(wxInitDialogEvent&)
{
    logic.open();
    const auto active = logic.active();
    refresh(active ? logic.standards()[*active].name : "");
}

std::optional<std::size_t> StandardsDialog::selection() const
{
    const int selected = names->GetSelection();
    if (selected == wxNOT_FOUND)
        return std::nullopt;
    return std::size_t(selected);
}

void StandardsDialog::refresh(const std::string& selected)
{
    names->Clear();
    const auto active = logic.active();
    const std::vector<Standard>& all = logic.standards();
    for (std::size_t i = 0; i < all.size(); ++i) {
        names->Append(utf8((active == i ? activeMark : "") + all[i].name));
        if (all[i].name == selected)
            names->SetSelection(int(i));
    }
    showSelected();
}

void StandardsDialog::showSelected()
{
    const auto index = selection();
    const bool any = index.has_value();
    for (const char* id : {"standards_rename", "standards_tolerance_edit", "standards_delete", "standards_use"})
        FindWindow(XRCID(id))->Enable(any);
    FindWindow(XRCID("standards_unuse"))->Enable(logic.active().has_value());
    FindWindow(XRCID("standards_export"))->Enable(!logic.standards().empty());
    const Standard* shown = any ? &logic.standards()[*index] : nullptr;
    colour->SetLabel(shown ? utf8(colourSummary(*shown)) : wxString());
    tolerance->SetLabel(shown ? utf8(toleranceSummary(shown->tolerance)) : wxString());
    note->SetLabel(shown ? utf8(shown->note) : wxString());
}

void StandardsDialog::onAdd()
{
    StandardForm blank;
    blank.L = "50.00";
    blank.a = blank.b = "0.00";
    StandardDialog dialog(this, StandardDialog::Mode::Add, blank,
                          [this](const StandardForm& form, Field& bad) { return logic.add(form, bad); });
    if (dialog.ShowModal() == wxID_OK)
        refresh(dialog.form().name);
}

void StandardsDialog::onRename()
{
    const auto index = selection();
    if (!index)
        return;
    StandardDialog dialog(this, StandardDialog::Mode::Rename, StandardForm::of(logic.standards()[*index]),
                          [this, index](const StandardForm& form, Field& bad) {
                              bad = Field::Name;
                              return logic.rename(*index, form.name);
                          });
    if (dialog.ShowModal() == wxID_OK)
        refresh(dialog.form().name);
}

void StandardsDialog::onTolerance()
{
    const auto index = selection();
    if (!index)
        return;
    const std::string name = logic.standards()[*index].name;
    StandardDialog dialog(this, StandardDialog::Mode::Tolerance, StandardForm::of(logic.standards()[*index]),
                          [this, index](const StandardForm& form, Field& bad) {
                              return logic.changeTolerance(*index, form, bad);
                          });
    if (dialog.ShowModal() == wxID_OK)
        refresh(name);
}

void StandardsDialog::onDelete()
{
    if (const auto index = selection(); index && logic.remove(*index))
        refresh("");
}

void StandardsDialog::onImport()
{
    wxFileDialog dialog(this, wxString::FromUTF8("基準色のインポート"), wxString(), wxString(), csvWildcard,
                        wxFD_OPEN | wxFD_FILE_MUST_EXIST);
    if (dialog.ShowModal() == wxID_OK && logic.importFrom(dialog.GetPath().utf8_string()))
        refresh(selection() ? logic.standards()[*selection()].name : "");
}

void StandardsDialog::onExport()
{
    wxFileDialog dialog(this, wxString::FromUTF8("基準色のエクスポート"), wxString(), "standards.csv", csvWildcard,
                        wxFD_SAVE | wxFD_OVERWRITE_PROMPT);
    if (dialog.ShowModal() == wxID_OK)
        logic.exportTo(dialog.GetPath().utf8_string());
}

void StandardsDialog::close(int result)
{
    SetReturnCode(result);
    EndDialog(result);
}

} // namespace standards
