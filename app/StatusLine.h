#pragma once
// The main window's status lines: what the program last learnt of the
// instrument (port, model, calibration, conditions) and the settings a
// measurement is taken under, and below them a notice of the moment (the
// calibration step running, a remote result of another data type).

#include <string>

namespace tonvale {

struct StatusFacts {
    std::string port;
    // Empty, or -1, until an exchange with the instrument told it.
    std::string model;
    int calibration = -1; // 0 none, 1 zero calibration only, 2 zero and white
    int area = -1;        // 0 8 mm (MAV), 1 3 mm (SAV)
    int both = -1;        // 1 SCI and SCE, 0 SCI alone
    int dataType = 0;     // the settings': 0 spectral, 1 L*a*b*
    int illuminant = 0;
    int observer = 0;     // 0 10°, 1 2°
    int remote = 0;       // "Chk_Remote"
    std::string notice;
};

// Four lines (without a line end after the last): port, model and
// calibration; specular component and area; data type with illuminant and
// observer, and remote measurement on or off; the notice.
std::string statusText(const StatusFacts& facts);

} // namespace tonvale
