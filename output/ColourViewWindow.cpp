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

const wxColour passColour(0, 140, 60);
const wxColour failColour(200, 30, 30);

// A difference with its sign, as judged: never "-0.00".
wxString signedNumber(double value)
{
    return wxString::Format("%+.2f", standards::asShown(value) + 0.0);
}

// "±0.50", or nothing for a limit not given.
wxString componentLimit(const std::optional<double>& limit)
{
    return limit ? wxString::FromUTF8("±") + number(*limit, 2) : wxString();
}

// A step of 1, 2 or 5 times a power of ten that divides extent into at most
// four parts.
double gridStep(double extent)
{
    const double power = std::pow(10.0, std::floor(std::log10(extent / 4)));
    for (double factor : {1.0, 2.0, 5.0, 10.0})
        if (extent / (factor * power) <= 4)
            return factor * power;
    return 10 * power;
}

// Lines of message no wider than width: Japanese breaks between any two
// characters.
wxString wrapped(wxDC& dc, const wxString& message, int width)
{
    wxString result;
    wxString line;
    for (const wxUniChar c : message) {
        if (!line.empty() && dc.GetTextExtent(line + c).x > width) {
            result += line + "\n";
            line.clear();
        }
        line += c;
    }
    return result + line;
}

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
    standardName = XRCCTRL(*this, "colourview_standard", wxStaticText);
    verdict = XRCCTRL(*this, "colourview_verdict", wxStaticText);
    deltaE = XRCCTRL(*this, "colourview_deltae", wxStaticText);
    second = XRCCTRL(*this, "colourview_second", wxChoice);
    secondDeltaE = XRCCTRL(*this, "colourview_second_deltae", wxStaticText);
    differences = XRCCTRL(*this, "colourview_differences", wxListCtrl);
    diagram = XRCCTRL(*this, "colourview_diagram", wxPanel);

    for (int i = 0; i < colour::illuminantCount; ++i) {
        illuminant->Append(colour::illuminantName(i));
        second->Append(colour::illuminantName(i));
    }
    observer->Append(wxString::FromUTF8("10°"));
    observer->Append(wxString::FromUTF8("2°"));

    values->AppendColumn(text(181));
    for (const char* title : {"L*", "a*", "b*", "C*", "h°"})
        values->AppendColumn(wxString::FromUTF8(title), wxLIST_FORMAT_RIGHT);
    const int width = values->GetClientSize().x;
    values->SetColumnWidth(0, width * 16 / 100);
    for (int c = 1; c <= 5; ++c)
        values->SetColumnWidth(c, (width - width * 16 / 100) / 5 - 1);

    differences->AppendColumn("");
    differences->AppendColumn(text(235), wxLIST_FORMAT_RIGHT);
    differences->AppendColumn("");
    differences->AppendColumn(text(236), wxLIST_FORMAT_RIGHT);
    const int listWidth = differences->GetClientSize().x;
    for (const auto& [column, percent] : {std::pair{0, 22}, {1, 22}, {2, 24}, {3, 31}})
        differences->SetColumnWidth(column, listWidth * percent / 100);

    for (wxPanel* panel : {swatch, curve, strip, diagram}) {
        panel->SetBackgroundStyle(wxBG_STYLE_PAINT);
        panel->SetBackgroundColour(*wxWHITE);
    }
    swatch->Bind(wxEVT_PAINT, [this](wxPaintEvent&) { paintSwatch(); });
    curve->Bind(wxEVT_PAINT, [this](wxPaintEvent&) { paintCurve(); });
    strip->Bind(wxEVT_PAINT, [this](wxPaintEvent&) { paintStrip(); });
    diagram->Bind(wxEVT_PAINT, [this](wxPaintEvent&) { paintDiagram(); });
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
    second->Bind(wxEVT_CHOICE, [this](wxCommandEvent&) {
        state.chooseSecond(second->GetSelection());
        refresh();
    });
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

void ColourViewWindow::setStandard(std::optional<standards::Standard> standard)
{
    state.setStandard(std::move(standard));
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
    refreshJudgement(s);

    swatch->Refresh();
    curve->Refresh();
    strip->Refresh();
    diagram->Refresh();
}

void ColourViewWindow::refreshJudgement(const ColourViewModel::Shown& s)
{
    const std::optional<standards::Standard>& standard = state.standard();
    wxString caption = text(233);
    if (standard) {
        caption = text(234);
        caption.Replace("%1", utf8(standard->name) + "  " +
                                  wxString::FromUTF8(standards::formulaLabel(standard->tolerance.formula)) +
                                  wxString::FromUTF8(" ≦ ") + number(standard->tolerance.deltaE, 2));
    }
    standardName->SetLabel(caption);
    standardName->SetToolTip(caption);
    second->SetSelection(state.secondIlluminant());

    differences->DeleteAllItems();
    if (!s.judgement) {
        verdict->SetLabel("");
        deltaE->SetLabel("");
        secondDeltaE->SetLabel("");
        return;
    }
    const standards::Judgement& j = *s.judgement;
    const standards::Tolerance& tolerance = standard->tolerance;
    // The colour first: under MSW a label already drawn keeps its colour.
    verdict->SetForegroundColour(j.pass ? passColour : failColour);
    verdict->SetLabel(text(j.pass ? 220 : 221));
    verdict->Refresh();
    deltaE->SetLabel(wxString::FromUTF8(standards::formulaLabel(j.formula)) + "  " +
                     number(standards::asShown(j.deltaE), 2));
    secondDeltaE->SetLabel(j.secondDeltaE ? number(standards::asShown(*j.secondDeltaE), 2) : wxString());

    // Each difference with its word and limit; a failed limit in red and
    // crossed.
    const struct {
        const char* name;
        wxString value;
        std::string word;
        wxString limit;
        bool failed;
    } rows[] = {
        {standards::formulaLabel(j.formula), number(standards::asShown(j.deltaE), 2), {},
         wxString::FromUTF8("≦ ") + number(tolerance.deltaE, 2), j.deltaEFailed},
        {"ΔL*", signedNumber(j.components.dL), s.lighterOrDarker, componentLimit(tolerance.dL), j.dLFailed},
        {"Δa*", signedNumber(j.components.da), s.redderOrGreener, componentLimit(tolerance.da), j.daFailed},
        {"Δb*", signedNumber(j.components.db), s.yellowerOrBluer, componentLimit(tolerance.db), j.dbFailed},
        {"ΔC*", signedNumber(j.components.dC), s.brighterOrDuller, {}, false},
        {"ΔH*", signedNumber(j.components.dH), {}, {}, false},
    };
    for (const auto& row : rows) {
        const long item = differences->InsertItem(differences->GetItemCount(), wxString::FromUTF8(row.name));
        differences->SetItem(item, 1, row.value);
        differences->SetItem(item, 2, utf8(row.word));
        differences->SetItem(item, 3, row.failed ? row.limit + wxString::FromUTF8(" ×") : row.limit);
        if (row.failed)
            differences->SetItemTextColour(item, failColour);
    }
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

void ColourViewWindow::paintDiagram()
{
    wxAutoBufferedPaintDC dc(diagram);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetFont(GetFont());
    const wxSize size = diagram->GetClientSize();
    const auto d = state.diagram();
    if (!d) {
        // Why there is nothing to draw: no standard, or this measurement
        // cannot be judged against it.
        wxString message;
        if (!state.standard())
            message = text(233);
        else if (const ColourViewModel::Shown s = state.shown(); s.sample == nullptr)
            message = text(186);
        else
            message = utf8(s.notJudged);
        message = wrapped(dc, message, size.x - 16);
        const wxSize extent = dc.GetMultiLineTextExtent(message);
        dc.SetTextForeground(wxColour(90, 90, 90));
        dc.DrawText(message, (size.x - extent.x) / 2, (size.y - extent.y) / 2);
        return;
    }
    const std::optional<standards::Standard>& standard = state.standard();
    const standards::Tolerance& tolerance = standard->tolerance;
    const colour::Lab& centre = d->standard;

    // The a*b* plane, square, centred on the standard; the L* bar beside it.
    const int line = dc.GetCharHeight();
    const int barWidth = 14;
    const int side = std::min(size.x - barWidth - 3 * line - 12, size.y - 2 * line - 8);
    const wxRect plane(8, line + 4, side, side);
    const wxRect bar(plane.GetRight() + 2 * line, plane.y, barWidth, side);

    double extent = 0;
    for (const colour::Lab& p : d->outline)
        extent = std::max({extent, std::abs(p.a - centre.a), std::abs(p.b - centre.b)});
    for (const auto& p : d->points)
        extent = std::max({extent, std::abs(p.lab.a - centre.a), std::abs(p.lab.b - centre.b)});
    extent = std::max({extent, tolerance.da.value_or(0), tolerance.db.value_or(0)}) * 1.15;
    const double step = gridStep(extent);
    extent = std::ceil(extent / step) * step;
    const double half = side / 2.0;
    auto xOf = [&](double a) { return plane.x + int(std::lround(half + (a - centre.a) / extent * half)); };
    auto yOf = [&](double b) { return plane.y + int(std::lround(half - (b - centre.b) / extent * half)); };

    dc.SetPen(wxPen(wxColour(230, 230, 230)));
    for (double v = -extent; v <= extent + 1e-9; v += step) {
        dc.DrawLine(xOf(centre.a + v), plane.GetTop(), xOf(centre.a + v), plane.GetBottom());
        dc.DrawLine(plane.GetLeft(), yOf(centre.b + v), plane.GetRight(), yOf(centre.b + v));
    }
    dc.SetPen(*wxGREY_PEN);
    dc.SetBrush(*wxTRANSPARENT_BRUSH);
    dc.DrawRectangle(plane);
    dc.DrawLine(xOf(centre.a), plane.GetTop(), xOf(centre.a), plane.GetBottom());
    dc.DrawLine(plane.GetLeft(), yOf(centre.b), plane.GetRight(), yOf(centre.b));
    dc.SetTextForeground(wxColour(60, 60, 60));
    const wxString span = wxString::Format("%g", extent);
    dc.DrawText(wxString::FromUTF8("Δa* +") + span,
                plane.GetRight() - dc.GetTextExtent(wxString::FromUTF8("Δa* +") + span).x - 2, yOf(centre.b) + 1);
    dc.DrawText(wxString::FromUTF8("Δb* +") + span, xOf(centre.a) + 3, plane.GetTop() + 1);

    // The ΔE limit's boundary, and the component limits as a box.
    std::vector<wxPoint> boundary;
    for (const colour::Lab& p : d->outline)
        boundary.emplace_back(xOf(p.a), yOf(p.b));
    dc.SetPen(wxPen(passColour, 2));
    dc.SetBrush(wxBrush(wxColour(224, 244, 228)));
    dc.DrawPolygon(int(boundary.size()), boundary.data());
    if (tolerance.da || tolerance.db) {
        const double da = tolerance.da.value_or(extent);
        const double db = tolerance.db.value_or(extent);
        dc.SetPen(wxPen(passColour, 1, wxPENSTYLE_SHORT_DASH));
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        dc.DrawRectangle(wxRect(wxPoint(xOf(centre.a - da), yOf(centre.b + db)),
                                wxPoint(xOf(centre.a + da), yOf(centre.b - db))));
    }

    // The L* bar: the ΔE limit's reach along L* (and the ΔL* limit), the
    // measurements as ticks.
    double lightness = std::max({d->lighter, d->darker, tolerance.dL.value_or(0)});
    for (const auto& p : d->points)
        lightness = std::max(lightness, std::abs(p.lab.L - centre.L));
    lightness *= 1.15;
    auto yOfL = [&](double L) {
        return bar.y + int(std::lround(bar.height / 2.0 - (L - centre.L) / lightness * bar.height / 2.0));
    };
    dc.SetPen(*wxGREY_PEN);
    dc.SetBrush(*wxWHITE_BRUSH);
    dc.DrawRectangle(bar);
    dc.SetPen(wxPen(passColour, 1));
    dc.SetBrush(wxBrush(wxColour(224, 244, 228)));
    dc.DrawRectangle(wxRect(wxPoint(bar.x, yOfL(centre.L + d->lighter)), wxPoint(bar.GetRight(), yOfL(centre.L - d->darker))));
    if (tolerance.dL) {
        dc.SetPen(wxPen(passColour, 1, wxPENSTYLE_SHORT_DASH));
        for (double limit : {*tolerance.dL, -*tolerance.dL})
            dc.DrawLine(bar.x - 3, yOfL(centre.L + limit), bar.GetRight() + 4, yOfL(centre.L + limit));
    }
    dc.SetPen(*wxGREY_PEN);
    dc.DrawLine(bar.x, yOfL(centre.L), bar.GetRight() + 1, yOfL(centre.L));
    dc.DrawText(wxString::FromUTF8("ΔL*"), bar.x + barWidth / 2 - dc.GetTextExtent(wxString::FromUTF8("ΔL*")).x / 2,
                bar.GetBottom() + 3);
    const wxString lightSpan = wxString::Format("+%.2g", lightness);
    dc.DrawText(lightSpan, bar.x + barWidth / 2 - dc.GetTextExtent(lightSpan).x / 2, bar.y - line - 2);

    // The session's measurements, the shown one last and largest.
    for (const auto& p : d->points) {
        const wxColour colour = p.pass ? passColour : failColour;
        dc.SetBrush(wxBrush(colour));
        const int y = yOfL(p.lab.L);
        if (p.shown) {
            dc.SetPen(wxPen(*wxBLACK, 2));
            dc.DrawCircle(xOf(p.lab.a), yOf(p.lab.b), 5);
            const wxPoint mark[] = {{bar.GetRight() + 2, y}, {bar.GetRight() + 9, y - 5}, {bar.GetRight() + 9, y + 5}};
            dc.DrawPolygon(3, mark);
        } else {
            // Squares: a session's worth of them draws in a fraction of the
            // time of as many circles.
            dc.SetPen(*wxTRANSPARENT_PEN);
            dc.DrawRectangle(xOf(p.lab.a) - 2, yOf(p.lab.b) - 2, 5, 5);
            dc.DrawRectangle(bar.x + 2, y - 1, barWidth - 4, 2);
        }
    }
    // The standard itself.
    dc.SetPen(wxPen(*wxBLACK, 1));
    dc.DrawLine(xOf(centre.a) - 5, yOf(centre.b), xOf(centre.a) + 6, yOf(centre.b));
    dc.DrawLine(xOf(centre.a), yOf(centre.b) - 5, xOf(centre.a), yOf(centre.b) + 6);
}

} // namespace tonvale
