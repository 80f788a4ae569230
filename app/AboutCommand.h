#pragma once
// Where the operator finds the about box (command wxID_ABOUT on the window,
// with the text of string 101). On Windows it is an item of the window's
// system menu, after a separator, as system command 16. GTK windows have no
// system menu of their own to add to: there it is a menu "ヘルプ(&H)" at the
// end of the menu bar. One implementation per platform: AboutCommandGtk.cpp,
// AboutCommandMsw.cpp.

class wxFrame;

namespace tonvale {

// For a window whose menu bar is in place.
void placeAboutCommand(wxFrame& window);

} // namespace tonvale
