#include "Layout.h"

#include "WrappedText.h"

#include <gtest/gtest.h>

#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listctrl.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/treebase.h>
#include <wx/treectrl.h>
#include <wx/window.h>

#include <string>
#include <vector>

namespace {

std::string nameOf(wxWindow* w)
{
    return "\"" + w->GetLabel().utf8_string() + "\" #" + w->GetName().utf8_string();
}

// The compact style gives a button 4 px of padding and a 1 px border a side.
constexpr int buttonFrame = 10;
// A group box's caption starts inset from the frame's left end.
constexpr int boxCaptionInset = 12;

} // namespace

std::size_t expectTidyLayout(wxWindow& window)
{
    const wxRect client(wxPoint(0, 0), window.GetClientSize());
    std::vector<wxWindow*> boxes;
    std::vector<wxWindow*> controls;
    for (wxWindow* child : window.GetChildren()) {
        if (!child->IsShown())
            continue;
        (dynamic_cast<wxStaticBox*>(child) ? boxes : controls).push_back(child);
    }

    for (wxWindow* box : boxes) {
        EXPECT_TRUE(client.Contains(box->GetRect())) << nameOf(box) << " leaves the window";
        EXPECT_LE(box->GetTextExtent(box->GetLabel()).x + boxCaptionInset, box->GetSize().x)
            << nameOf(box) << " is clipped";
    }
    for (wxWindow* control : controls) {
        const wxRect r = control->GetRect();
        EXPECT_TRUE(client.Contains(r)) << nameOf(control) << " leaves the window";
        // A tree, a list or a text of many lines shows its content
        // scrolled; it has no caption to fit.
        const auto* entry = dynamic_cast<wxTextCtrl*>(control);
        if (!dynamic_cast<wxTreeCtrl*>(control) && !dynamic_cast<wxListCtrl*>(control) &&
            !(entry && entry->IsMultiLine())) {
            wxSize best = control->GetBestSize();
            // A button's best width is the theme's standard button, not its
            // text; a static text's is the text itself.
            if (dynamic_cast<wxButton*>(control))
                best.x = control->GetTextExtent(control->GetLabel()).x + buttonFrame;
            else if (auto* text = dynamic_cast<wxStaticText*>(control))
                best = shownTextSize(*text);
#ifdef __WXMSW__
            // A Windows edit box shows a line of its text inside its frame;
            // wx's best height adds a margin that dialog templates (an
            // edit box of 12 dialog units) never leave.
            else if (entry)
                best.y = control->GetCharHeight() + r.height - control->GetClientSize().y;
            // A Windows drop-down list is as tall as the system makes it
            // for its font, whatever height it is given.
            else if (dynamic_cast<wxChoice*>(control))
                best.y = r.height;
#endif
            EXPECT_LE(best.y, r.height) << nameOf(control) << " is clipped";
            if (!dynamic_cast<wxTextCtrl*>(control)) {
                EXPECT_LE(best.x, r.width) << nameOf(control) << " is clipped";
            }
        }
        for (wxWindow* other : controls) {
            if (other != control) {
                EXPECT_FALSE(r.Intersects(other->GetRect()))
                    << nameOf(control) << " overlaps " << nameOf(other);
            }
        }
        for (wxWindow* box : boxes) {
            const wxRect frame = box->GetRect();
            if (!r.Intersects(frame))
                continue;
            const int caption = box->GetTextExtent(box->GetLabel()).y;
            const wxRect inside(frame.x + 2, frame.y + caption, frame.width - 4,
                                frame.height - caption - 2);
            EXPECT_TRUE(inside.Contains(r)) << nameOf(control) << " touches the frame of " << nameOf(box);
        }
    }
    return controls.size();
}
