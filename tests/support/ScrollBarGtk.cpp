#include "ScrollBar.h"

#include <wx/textctrl.h>

#include <gtk/gtk.h>

bool hasHorizontalScrollBar(wxTextCtrl& text)
{
    // A multi-line control's widget is the scrolled window around the view.
    GtkScrolledWindow* scrolled = GTK_SCROLLED_WINDOW(text.GetHandle());
    GtkWidget* bar = gtk_scrolled_window_get_hscrollbar(scrolled);
    GtkWidget* view = gtk_bin_get_child(GTK_BIN(scrolled));
    if (bar == nullptr || view == nullptr || !gtk_widget_get_mapped(bar))
        return false;
    GtkAllocation barPlace;
    GtkAllocation viewPlace;
    gtk_widget_get_allocation(bar, &barPlace);
    gtk_widget_get_allocation(view, &viewPlace);
    const bool beside = barPlace.y >= viewPlace.y + viewPlace.height;
    GtkAdjustment* range = gtk_scrolled_window_get_hadjustment(scrolled);
    return beside && gtk_adjustment_get_upper(range) > gtk_adjustment_get_page_size(range);
}
