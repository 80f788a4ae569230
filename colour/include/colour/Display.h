#pragma once
// A colour as a screen shows it: CIELAB under any illuminant, adapted
// (Bradford) to the display's D65 white, in sRGB.

#include "colour/Colorimetry.h"

namespace colour {

struct DisplayColour {
    // 0..255 each, clipped to what sRGB can show.
    unsigned char red = 0;
    unsigned char green = 0;
    unsigned char blue = 0;
    // The colour lies outside sRGB: what is shown is its clipped neighbour.
    bool outOfGamut = false;
};

// white: the white the L*a*b* values are relative to (the illuminant's
// white under the observer they were computed with).
DisplayColour toDisplay(const Lab& colour, const Xyz& white);

} // namespace colour
