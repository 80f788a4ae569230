#pragma once
// How much room a static text takes as the toolkit shows it: wrapped at its
// width when the toolkit wraps it (GTK wraps Japanese text between any two
// characters), in its own font.

#include <wx/gdicmn.h>

class wxStaticText;

// The size of text's label laid out at the control's present width.
wxSize shownTextSize(wxStaticText& text);
