#pragma once
// Where the main window goes at start-up: the stored edges, shifted onto the
// desktop.

namespace tonvale {

struct Rect {
    int left, top, right, bottom;
    bool operator==(const Rect&) const = default;
};

// The window's size centred on the desktop (every division truncating): the
// fallback for a missing edge key.
Rect centredOn(const Rect& desktop, int width, int height);

// Moves r onto the desktop keeping its size: right when it hangs over the
// left edge, left when it hangs over the right edge (this second rule wins
// when both apply); the same vertically.
Rect shiftOntoDesktop(Rect r, const Rect& desktop);

} // namespace tonvale
