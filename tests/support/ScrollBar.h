#pragma once
// Whether a multi-line text control can be scrolled sideways with a bar that
// is there to be seen: shown beside the text, taking room of its own, and
// with more text than fits. (GTK's overlay bars, drawn over the text only
// while the pointer moves, do not count.)

class wxTextCtrl;

bool hasHorizontalScrollBar(wxTextCtrl& text);
