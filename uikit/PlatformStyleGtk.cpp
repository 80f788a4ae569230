#include "PlatformStyle.h"

#include <gtk/gtk.h>

namespace uikit {

// Win32 templates give buttons and drop-down lists 12-15 dialog units; the
// default GTK theme wants 34 px for them. Trim padding and minimum heights so
// that the templates' geometry holds.
void applyPlatformStyle()
{
    GtkCssProvider* css = gtk_css_provider_new();
    gtk_css_provider_load_from_data(css,
        "button { min-height: 0; min-width: 0; padding: 1px 4px; }"
        "combobox button, combobox box { min-height: 0; padding-top: 0; padding-bottom: 0; }"
        "entry { min-height: 0; padding-top: 1px; padding-bottom: 1px; }"
        "spinbutton, spinbutton entry, spinbutton button { min-height: 0; padding-top: 0; padding-bottom: 0; }"
        "checkbutton, radiobutton { min-height: 0; padding-top: 0; padding-bottom: 0; }",
        -1, nullptr);
    if (GdkScreen* screen = gdk_screen_get_default())
        gtk_style_context_add_provider_for_screen(screen, GTK_STYLE_PROVIDER(css),
                                                  GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(css);
}

} // namespace uikit
