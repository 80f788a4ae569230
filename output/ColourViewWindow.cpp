#include "ColourViewWindow.h"

#include "Resources.h"
#include "Strings.h"

#include "uikit/Xrc.h"

#include <wx/choice.h>
#include <wx/dcbuffer.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

#ifdef __WXGTK__
#include <gtk/gtk.h>
#endif

#include <algorithm>
#include <cmath>

namespace tonvale {
namespace {

wxString text(int id) { return wxString::FromUTF8(strings().get(id)); }

wxString utf8(const std::string& s) { return wxString::FromUTF8(s.data(), s.size()); }

wxString number(double value, int decimals) { return wxString::Format("%.*f", decimals, value); }

wxColour shownColour(const colour::DisplayColour& c) { return wxColour(c.red, c.green, c.blue); }

// The curve's plot area within its panel: room for the reflectance axis's
// labels at the left, its title above, and the wavelengths and their title
// in two lines below.
wxRect plotArea(const wxSize& panel, int lineHeight)
{
    const int top = lineHeight * 3 / 2 + 6;
    return wxRect(44, top, panel.x - 56, panel.y - top - 2 * lineHeight - 8);
}

constexpr int firstNm = colour::firstWavelength;
constexpr int lastNm = colour::firstWavelength + colour::wavelengthStep * (colour::bandCount - 1);

// The reflectance axis: from 0 (or below, for negative values) to the data's
// largest value, rounded out to a step of the grid.
struct Axis {
    double bottom;
    double top;
    double step;
};

Axis reflectanceAxis(const ColourSample& sample)
{
    double low = 0;
    double high = 0;
    for (const ColourSample::Line& line : sample.lines)
        for (double v : line.values) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    const double span = std::max(high - low, 10.0);
    double step = 200;
    for (double s : {5.0, 10.0, 20.0, 25.0, 50.0, 100.0})
        if (span / s <= 6) {
            step = s;
            break;
        }
    return {std::floor(low / step) * step, std::max(std::ceil(high / step) * step, step), step};
}

// Lines of one component share a style: SCI solid, SCE dashed; the UV
// conditions of one component differ in colour.
wxPen curvePen(const std::string& component, int occurrence)
{
    static const wxColour colours[] = {wxColour(20, 60, 160), wxColour(190, 70, 20), wxColour(30, 130, 60)};
    wxPen pen(colours[occurrence % 3], 2);
    if (component == "SCE")
        pen.SetStyle(wxPENSTYLE_SHORT_DASH);
    return pen;
}

constexpr int stripCell = 60;

} // namespace

ColourViewWindow::ColourViewWindow(const std::string& colordDir, int illuminantCode, int observerCode)
    : state(colordDir, illuminantCode, observerCode)
{
    ensureResources();
    uikit::loadDialog(*this, nullptr, "TONVALE_COLOURVIEW");
#ifdef __WXGTK__
    // A window of its own beside the main window, not a dialog kept above
    // every window of the program (see the text output window).
    gtk_window_set_type_hint(GTK_WINDOW(GetHandle()), GDK_WINDOW_TYPE_HINT_NORMAL);
#endif
    SetIcon(programIcon());
    SetTitle(text(180));
    swatch = XRCCTRL(*this, "colourview_swatch", wxPanel);
    values = XRCCTRL(*this, "colourview_values", wxListCtrl);
    illuminant = XRCCTRL(*this, "colourview_illuminant", wxChoice);
    observer = XRCCTRL(*this, "colourview_observer", wxChoice);
    note = XRCCTRL(*this, "colourview_note", wxStaticText);
    curve = XRCCTRL(*this, "colourview_curve", wxPanel);
    strip = XRCCTRL(*this, "colourview_strip", wxPanel);
    makeStandard = FindWindow(XRCID("colourview_make_standard"));
    makeStandard->Bind(wxEVT_BUTTON, [this](wxCommandEvent&) {
        if (onMakeStandard)
            onMakeStandard();
    });

    for (int i = 0; i < colour::illuminantCount; ++i)
        illuminant->Append(colour::illuminantName(i));
    observer->Append(wxString::FromUTF8("10°"));
    observer->Append(wxString::FromUTF8("2°"));

    values->AppendColumn(text(181));
    for (const char* title : {"L*", "a*", "b*", "C*", "h°"})
        values->AppendColumn(wxString::FromUTF8(title), wxLIST_FORMAT_RIGHT);
    const int width = values->GetClientSize().x;
    values->SetColumnWidth(0, width * 16 / 100);
    for (int c = 1; c <= 5; ++c)
        values->SetColumnWidth(c, (width - width * 16 / 100) / 5 - 1);

    for (wxPanel* panel : {swatch, curve, strip}) {
        panel->SetBackgroundStyle(wxBG_STYLE_PAINT);
        panel->SetBackgroundColour(*wxWHITE);
    }
    swatch->Bind(wxEVT_PAINT, [this](wxPaintEvent&) { paintSwatch(); });
    curve->Bind(wxEVT_PAINT, [this](wxPaintEvent&) { paintCurve(); });
    strip->Bind(wxEVT_PAINT, [this](wxPaintEvent&) { paintStrip(); });
    curve->Bind(wxEVT_MOTION, [this](wxMouseEvent& event) {
        const wxRect area = plotArea(curve->GetClientSize(), curve->GetCharHeight());
        std::optional<int> band;
        if (area.Contains(event.GetPosition())) {
            const double nm = firstNm + double(event.GetX() - area.x) / area.width * (lastNm - firstNm);
            band = std::clamp(int(std::lround((nm - firstNm) / colour::wavelengthStep)), 0,
                              colour::bandCount - 1);
        }
        if (band != hoverBand) {
            hoverBand = band;
            curve->Refresh();
        }
    });
    curve->Bind(wxEVT_LEAVE_WINDOW, [this](wxMouseEvent&) {
        hoverBand.reset();
        curve->Refresh();
    });
    strip->Bind(wxEVT_LEFT_DOWN, [this](wxMouseEvent& event) {
        if (const auto index = entryAt(event.GetPosition()))
            showEntry(*index);
    });
    illuminant->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { onChoice(); });
    observer->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) { onChoice(); });
    Bind(wxEVT_CLOSE_WINDOW, [this](wxCloseEvent& event) {
        // Closing hides: the session's measurements stay for the next show.
        if (!event.CanVeto()) {
            event.Skip();
            return;
        }
        Hide();
        if (onClosed)
            onClosed();
    });
    refresh();
}

bool ColourViewWindow::IsShown() const
{
#ifdef __WXGTK__
    return GetHandle() != nullptr && gtk_widget_get_visible(GetHandle());
#else
    return wxDialog::IsShown();
#endif
}

void ColourViewWindow::add(ColourSample sample)
{
    state.add(std::move(sample));
    refresh();
}

void ColourViewWindow::showEntry(std::size_t index)
{
    state.show(index);
    refresh();
}

std::optional<std::size_t> ColourViewWindow::entryAt(const wxPoint& point) const
{
    if (point.x < 0 || point.y < 0 || point.y >= strip->GetClientSize().y)
        return std::nullopt;
    const std::size_t index = static_cast<std::size_t>(point.x / stripCell);
    if (index >= state.strip().size())
        return std::nullopt;
    return index;
}

void ColourViewWindow::onChoice()
{
    const ColourViewModel::Shown s = state.shown();
    if (!s.conditionsEnabled)
        return;
    state.choose(illuminant->GetSelection(), observer->GetSelection());
    refresh();
}

void ColourViewWindow::refresh()
{
    const ColourViewModel::Shown s = state.shown();
    illuminant->SetSelection(s.illuminant);
    observer->SetSelection(s.observer);
    illuminant->Enable(s.conditionsEnabled);
    observer->Enable(s.conditionsEnabled);
    makeStandard->Enable(!s.rows.empty());

    values->DeleteAllItems();
    for (const ColourViewModel::Row& row : s.rows) {
        const long item = values->InsertItem(values->GetItemCount(), utf8(row.component));
        values->SetItem(item, 1, number(row.lab.L, 2));
        values->SetItem(item, 2, number(row.lab.a, 2));
        values->SetItem(item, 3, number(row.lab.b, 2));
        values->SetItem(item, 4, number(row.lch.C, 2));
        values->SetItem(item, 5, number(row.lch.h, 1));
    }

    // One remark at a time, the weightiest first; an empty view has none
    // (its curve says what will come).
    wxString message;
    if (!s.problem.empty()) {
        message = text(184);
        message.Replace("%1", utf8(s.problem));
    } else if (s.swatch && s.swatch->outOfGamut) {
        message = text(183);
    } else if (s.sample != nullptr && s.sample->dataType == 1 && s.illuminant < 0) {
        message = text(185);
    }
    note->SetLabel(message);
    note->SetToolTip(message);

    swatch->Refresh();
    curve->Refresh();
    strip->Refresh();
}

void ColourViewWindow::paintSwatch()
{
    wxAutoBufferedPaintDC dc(swatch);
    const wxSize size = swatch->GetClientSize();
    const ColourViewModel::Shown s = state.shown();
    dc.SetBackground(wxBrush(s.swatch ? shownColour(*s.swatch) : wxColour(236, 236, 236)));
    dc.Clear();
    if (s.swatch && s.swatch->outOfGamut) {
        // A corner marked in black and white: it reads on any colour.
        const int mark = std::min(size.x, size.y) / 4;
        const wxPoint corner[] = {{size.x - mark, 0}, {size.x, 0}, {size.x, mark}};
        dc.SetPen(*wxBLACK_PEN);
        dc.SetBrush(*wxWHITE_BRUSH);
        dc.DrawPolygon(3, corner);
        dc.SetTextForeground(*wxBLACK);
        dc.DrawText("!", size.x - mark / 3 - dc.GetTextExtent("!").x / 2, 1);
    }
}

void ColourViewWindow::paintCurve()
{
    wxAutoBufferedPaintDC dc(curve);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetFont(GetFont());
    const wxSize size = curve->GetClientSize();
    const wxRect area = plotArea(size, dc.GetCharHeight());
    const ColourViewModel::Shown s = state.shown();

    auto centred = [&](const wxString& message) {
        const wxSize extent = dc.GetMultiLineTextExtent(message);
        dc.SetTextForeground(wxColour(90, 90, 90));
        dc.DrawText(message, (size.x - extent.x) / 2, (size.y - extent.y) / 2);
    };
    if (s.sample == nullptr) {
        centred(text(186));
        return;
    }
    if (s.sample->dataType != 0) {
        centred(text(182));
        return;
    }

    const Axis axis = reflectanceAxis(*s.sample);
    auto xOf = [&](double nm) { return area.x + int(std::lround((nm - firstNm) / (lastNm - firstNm) * area.width)); };
    auto yOf = [&](double r) {
        return area.GetBottom() - int(std::lround((r - axis.bottom) / (axis.top - axis.bottom) * area.height));
    };

    // The grid, with the wavelength every 50 nm and the reflectance every step.
    dc.SetTextForeground(wxColour(60, 60, 60));
    dc.SetPen(wxPen(wxColour(225, 225, 225)));
    for (int nm = 400; nm <= lastNm; nm += 50) {
        dc.DrawLine(xOf(nm), area.GetTop(), xOf(nm), area.GetBottom());
        if (nm % 100 == 0) {
            const wxString label = wxString::Format("%d", nm);
            dc.DrawText(label, xOf(nm) - dc.GetTextExtent(label).x / 2, area.GetBottom() + 3);
        }
    }
    for (double r = axis.bottom; r <= axis.top + 1e-9; r += axis.step) {
        dc.DrawLine(area.GetLeft(), yOf(r), area.GetRight(), yOf(r));
        const wxString label = wxString::Format("%g", r);
        const wxSize extent = dc.GetTextExtent(label);
        dc.DrawText(label, area.GetLeft() - extent.x - 4, yOf(r) - extent.y / 2);
    }
    dc.SetPen(*wxGREY_PEN);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(area);
    const wxString xTitle = text(187);
    dc.DrawText(xTitle, area.GetRight() - dc.GetTextExtent(xTitle).x, area.GetBottom() + 3 + dc.GetCharHeight());
    dc.DrawText(text(188), 4, 2);

    int sci = 0;
    int sce = 0;
    for (const ColourSample::Line& line : s.sample->lines) {
        if (line.values.size() != colour::bandCount)
            continue;
        dc.SetPen(curvePen(line.component, line.component == "SCE" ? sce++ : sci++));
        std::vector<wxPoint> points;
        for (int k = 0; k < colour::bandCount; ++k)
            points.emplace_back(xOf(firstNm + k * colour::wavelengthStep), yOf(line.values[k]));
        dc.DrawLines(int(points.size()), points.data());
    }

    if (hoverBand) {
        const int nm = firstNm + *hoverBand * colour::wavelengthStep;
        dc.SetPen(wxPen(wxColour(120, 120, 120), 1, wxPENSTYLE_DOT));
        dc.DrawLine(xOf(nm), area.GetTop(), xOf(nm), area.GetBottom());
        wxString readout = wxString::Format("%d nm", nm);
        for (const ColourSample::Line& line : s.sample->lines)
            if (line.values.size() == colour::bandCount)
                readout += "  " + utf8(line.component) + " " + number(line.values[*hoverBand], 2) + "%";
        dc.SetTextForeground(*wxBLACK);
        dc.SetBrush(wxBrush(wxColour(255, 255, 240)));
        dc.SetPen(*wxLIGHT_GREY_PEN);
        const wxSize extent = dc.GetTextExtent(readout);
        dc.DrawRectangle(area.x + 4, area.y + 3, extent.x + 6, extent.y + 2);
        dc.DrawText(readout, area.x + 7, area.y + 4);
    }
}

void ColourViewWindow::paintStrip()
{
    wxAutoBufferedPaintDC dc(strip);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetFont(GetFont());
    const int height = strip->GetClientSize().y;
    const auto shownAt = state.shownIndex();
    for (std::size_t i = 0; i < state.strip().size(); ++i) {
        const ColourSample& sample = state.strip()[i];
        const int x = int(i) * stripCell;
        const auto c = state.swatchOf(sample);
        dc.SetPen(shownAt == i ? wxPen(*wxBLACK, 2) : *wxGREY_PEN);
        dc.SetBrush(wxBrush(c ? shownColour(*c) : wxColour(236, 236, 236)));
        dc.DrawRectangle(x + 4, 3, stripCell - 8, height / 2 - 2);
        dc.SetTextForeground(*wxBLACK);
        dc.SetClippingRegion(x + 2, height / 2 + 1, stripCell - 4, height / 2 - 1);
        dc.DrawText(wxString::Format("No.%d", sample.number), x + 4, height / 2 + 1);
        dc.DrawText(utf8(sample.name), x + 4, height / 2 + 1 + dc.GetCharHeight() * 9 / 10);
        dc.DestroyClippingRegion();
    }
}

} // namespace tonvale
