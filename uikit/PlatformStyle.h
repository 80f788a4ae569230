#pragma once
// What the platform's own controls need so that Win32 dialog templates keep
// their geometry: one implementation per platform (PlatformStyleGtk.cpp,
// PlatformStyleMsw.cpp).

namespace uikit {

void applyPlatformStyle();

} // namespace uikit
