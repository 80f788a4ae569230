#pragma once
// A port name that leads nowhere while the test's port links are in place:
// opening it fails as for a missing device, and never reaches a real one.

#include <filesystem>
#include <string>

#ifdef _WIN32
#include <cstdlib>
#else
#include "termin/PortLink.h"
#endif

inline void makeMissingPort(const std::string& portName)
{
    std::error_code ignored;
#ifdef _WIN32
    // The test prefix maps every COMn to a link in $TONVALE_WINE_PORTS (see
    // scripts/wine-prefix); without one there, the port leads nowhere.
    if (const char* ports = std::getenv("TONVALE_WINE_PORTS"))
        std::filesystem::remove(std::filesystem::path("Z:" + std::string(ports)) / "termin" /
                                    "ports" / portName,
                                ignored);
#else
    // Without a link COMn would be /dev/ttyS<n-1>, a real port.
    const std::filesystem::path link = termin::portLinkPath(portName);
    std::filesystem::remove(link, ignored);
    std::filesystem::create_directories(link.parent_path(), ignored);
    std::filesystem::create_symlink("/nonexistent/tty", link);
#endif
}
