#pragma once
// Where a port name leads. On Windows "COMn" is the device \\.\COMn itself.
// On Linux "COMn" is the device that the symbolic link
// $XDG_CONFIG_HOME/termin/ports/COMn points to (~/.config/termin/ports when
// XDG_CONFIG_HOME is unset), or /dev/ttyS<n-1> when there is no link.

#include "termin/termin_export.h"

#include <string>

namespace termin {

#ifndef _WIN32
// The link that names portName, whether it exists or not.
TERMIN_EXPORT std::string portLinkPath(const std::string& portName);
#endif

// The path that open() opens for portName.
TERMIN_EXPORT std::string portDevicePath(const std::string& portName);

// The rule above for a user, in English, with this user's link directory.
TERMIN_EXPORT std::string portNamingRule();

} // namespace termin
