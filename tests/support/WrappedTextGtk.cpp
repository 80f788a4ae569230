#include "WrappedText.h"

#include <wx/font.h>
#include <wx/fontutil.h>
#include <wx/stattext.h>

#include <gtk/gtk.h>

wxSize shownTextSize(wxStaticText& text)
{
    GtkWidget* widget = text.GetHandle();
    GtkLabel* label = GTK_LABEL(widget);
    PangoLayout* layout = gtk_widget_create_pango_layout(widget, gtk_label_get_text(label));
    // The control's font, which wx gives the label once it is shown.
    pango_layout_set_font_description(layout, text.GetFont().GetNativeFontInfo()->description);
    if (gtk_label_get_line_wrap(label)) {
        pango_layout_set_width(layout, text.GetSize().x * PANGO_SCALE);
        pango_layout_set_wrap(layout, gtk_label_get_line_wrap_mode(label));
    }
    int width = 0;
    int height = 0;
    pango_layout_get_pixel_size(layout, &width, &height);
    g_object_unref(layout);
    return {width, height};
}
