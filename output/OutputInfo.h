#pragma once
// What the output information dialog does, apart from its controls: it edits
// the six output switches and saves the settings file on OK.

#include "PropertyFile.h"
#include "Settings.h"

#include <array>
#include <string>

namespace tonvale {

class OutputInfo {
public:
    // The store and the file it is saved to; both outlive the dialog.
    void setSettings(PropertyFile* store, std::string path);

    // Reads the switches; a missing one is stored as off, except the name
    // and the date and time, which are stored as on.
    void open();

    // Stores every switch as 1 or 0 and saves the file.
    void confirm();

    // The check boxes, in the order of outputSwitchKeys.
    std::array<bool, outputSwitchKeys.size()> switches{};

private:
    PropertyFile* store = nullptr;
    std::string path;
};

} // namespace tonvale
