#include "colour/Display.h"

#include <lcms2.h>

#include <algorithm>
#include <cmath>
#include <memory>

namespace colour {
namespace {

// Outside by less than half a step of the display's 255 is shown as it is:
// sRGB's own primaries, and its white, land a hair beyond 0 or 1.
constexpr double gamutTolerance = 0.5 / 255;

// XYZ relative to the profile connection space's D50 white (Y = 1) to sRGB.
// Floating-point transforms of a matrix-shaper profile are not clipped, so
// a colour outside sRGB shows as a channel below 0 or above 1. Made once;
// without a cache it may be used from any thread.
cmsHTRANSFORM toSrgb()
{
    static const std::unique_ptr<void, void (*)(void*)> transform(
        [] {
            cmsHPROFILE xyz = cmsCreateXYZProfile();
            cmsHPROFILE srgb = cmsCreate_sRGBProfile();
            cmsHTRANSFORM t = cmsCreateTransform(xyz, TYPE_XYZ_DBL, srgb, TYPE_RGB_DBL,
                                                 INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE);
            cmsCloseProfile(xyz);
            cmsCloseProfile(srgb);
            return t;
        }(),
        [](void* t) {
            if (t != nullptr)
                cmsDeleteTransform(t);
        });
    return transform.get();
}

unsigned char channel(double value)
{
    return static_cast<unsigned char>(std::lround(std::clamp(value, 0.0, 1.0) * 255));
}

} // namespace

DisplayColour toDisplay(const Lab& colour, const Xyz& white)
{
    // Relative to a white of Y = 1, adapted to the connection space's D50;
    // the sRGB profile carries it on to the display's D65.
    const Xyz c = toXyz(colour, white);
    const cmsCIEXYZ source{c.X / white.Y, c.Y / white.Y, c.Z / white.Y};
    const cmsCIEXYZ sourceWhite{white.X / white.Y, 1, white.Z / white.Y};
    cmsCIEXYZ adapted;
    cmsAdaptToIlluminant(&adapted, &sourceWhite, cmsD50_XYZ(), &source);

    DisplayColour shown;
    double rgb[3] = {0, 0, 0};
    if (cmsHTRANSFORM t = toSrgb())
        cmsDoTransform(t, &adapted, rgb, 1);
    for (double v : rgb)
        if (!std::isfinite(v) || v < -gamutTolerance || v > 1 + gamutTolerance)
            shown.outOfGamut = true;
    shown.red = channel(rgb[0]);
    shown.green = channel(rgb[1]);
    shown.blue = channel(rgb[2]);
    return shown;
}

} // namespace colour
