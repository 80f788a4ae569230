#pragma once
// The layout check every dialog test shares: nothing the operator should
// read is cut off, and no control covers another.

#include <cstddef>

class wxWindow;

// Checks the shown child controls of window (a dialog, or the panel of a
// frame) as laid out now:
// - each lies inside the client area;
// - each shows its whole caption: a button's text with the padding of the
//   compact style, a static text's lines as the toolkit wraps them at its
//   width, a control's best size otherwise (a text entry's width is the
//   operator's to fill, the content of a tree or a text of many lines
//   scrolls: neither is checked);
// - a group box's caption fits its frame, and a control that reaches into a
//   group box lies inside its frame, clear of the caption;
// - no two controls other than group boxes intersect.
// Returns the number of shown controls checked, group boxes not counted.
std::size_t expectTidyLayout(wxWindow& window);
