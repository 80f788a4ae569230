#include "StandardDialog.h"

#include "Resources.h"

#include "uikit/Xrc.h"

#include <wx/choice.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

namespace standards {
namespace {

wxString utf8(const std::string& text) { return wxString::FromUTF8(text); }

std::string text(const wxTextCtrl* control) { return control->GetValue().utf8_string(); }

} // namespace

StandardDialog::StandardDialog(wxWindow* parent, Mode mode, const StandardForm& form, Accept accept)
    : accept(std::move(accept))
{
    tonvale::ensureResources();
    uikit::loadDialog(*this, parent, "TONVALE_STANDARD");
    name = XRCCTRL(*this, "standard_name", wxTextCtrl);
    L = XRCCTRL(*this, "standard_l", wxTextCtrl);
    a = XRCCTRL(*this, "standard_a", wxTextCtrl);
    b = XRCCTRL(*this, "standard_b", wxTextCtrl);
    illuminant = XRCCTRL(*this, "standard_illuminant", wxChoice);
    observer = XRCCTRL(*this, "standard_observer", wxChoice);
    formula = XRCCTRL(*this, "standard_formula", wxChoice);
    deltaE = XRCCTRL(*this, "standard_de", wxTextCtrl);
    dL = XRCCTRL(*this, "standard_dl", wxTextCtrl);
    da = XRCCTRL(*this, "standard_da", wxTextCtrl);
    db = XRCCTRL(*this, "standard_db", wxTextCtrl);
    note = XRCCTRL(*this, "standard_note", wxTextCtrl);
    for (int i = 0; i < colour::illuminantCount; ++i)
        illuminant->Append(colour::illuminantName(i));

    // The fields are filled as the dialog comes up, as the program's other
    // dialogs fill theirs.
    Bind(wxEVT_INIT_DIALOG, [this, form, mode](wxInitDialogEvent&) { show(form, mode); });
    Bind(wxEVT_BUTTON, &StandardDialog::onOk, this, wxID_OK);
}

void StandardDialog::show(const StandardForm& form, Mode mode)
{
    name->ChangeValue(utf8(form.name));
    L->ChangeValue(utf8(form.L));
    a->ChangeValue(utf8(form.a));
    b->ChangeValue(utf8(form.b));
    illuminant->SetSelection(form.illuminant);
    observer->SetSelection(form.observer);
    formula->SetSelection(form.formula);
    deltaE->ChangeValue(utf8(form.deltaE));
    dL->ChangeValue(utf8(form.dL));
    da->ChangeValue(utf8(form.da));
    db->ChangeValue(utf8(form.db));
    note->ChangeValue(utf8(form.note));

    const bool naming = mode != Mode::Tolerance;
    const bool colour = mode == Mode::Add;
    const bool tolerance = mode != Mode::Rename;
    name->Enable(naming);
    for (wxWindow* control : std::initializer_list<wxWindow*>{L, a, b, illuminant, observer})
        control->Enable(colour);
    for (wxWindow* control : std::initializer_list<wxWindow*>{formula, deltaE, dL, da, db, note})
        control->Enable(tolerance);
    (naming ? name : deltaE)->SetFocus();

}

StandardForm StandardDialog::form() const
{
    StandardForm form;
    form.name = text(name);
    form.L = text(L);
    form.a = text(a);
    form.b = text(b);
    form.illuminant = illuminant->GetSelection();
    form.observer = observer->GetSelection();
    form.formula = formula->GetSelection();
    form.deltaE = text(deltaE);
    form.dL = text(dL);
    form.da = text(da);
    form.db = text(db);
    form.note = text(note);
    return form;
}

wxWindow* StandardDialog::control(Field field) const
{
    switch (field) {
    case Field::Name: return name;
    case Field::L: return L;
    case Field::A: return a;
    case Field::B: return b;
    case Field::Conditions: return illuminant;
    case Field::DeltaE: return deltaE;
    case Field::DL: return dL;
    case Field::Da: return da;
    case Field::Db: return db;
    case Field::Note: return note;
    case Field::None: break;
    }
    return nullptr;
}

void StandardDialog::onOk(wxCommandEvent&)
{
    Field bad = Field::None;
    if (accept(form(), bad)) {
        // EndDialog records the result only for a dialog in a modal loop.
        SetReturnCode(wxID_OK);
        EndDialog(wxID_OK);
        return;
    }
    if (wxWindow* wrong = control(bad)) {
        wrong->SetFocus();
        if (auto* field = dynamic_cast<wxTextCtrl*>(wrong))
            field->SelectAll();
    }
}

} // namespace standards
