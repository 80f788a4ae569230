#include "SingleInstance.h"

#include <wx/app.h>
#include <wx/toplevel.h>

#include <gtk/gtk.h>

namespace tonvale {

void bringProcessToFront()
{
    if (wxTheApp == nullptr)
        return;
    if (auto* main = dynamic_cast<wxTopLevelWindow*>(wxTheApp->GetTopWindow())) {
        if (main->IsIconized())
            main->Iconize(false);
        main->Raise();
    }
    // The topmost pop-up may be a native message box that wx does not list:
    // ask GTK for the visible modal windows and present the last one.
    GtkWindow* front = nullptr;
    GList* all = gtk_window_list_toplevels();
    for (GList* w = all; w != nullptr; w = w->next) {
        auto* win = GTK_WINDOW(w->data);
        if (gtk_widget_get_visible(GTK_WIDGET(win)) && gtk_window_get_modal(win))
            front = win;
    }
    g_list_free(all);
    if (front != nullptr)
        gtk_window_present(front);
}

} // namespace tonvale
