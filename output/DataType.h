#pragma once
// What the data type dialog does, apart from its controls: it edits
// "Data_Type", "Illuminant" and "Observer" and saves the settings file on OK.

#include "PropertyFile.h"

#include <array>
#include <string>

namespace tonvale {

struct IlluminantEntry {
    int code;
    const char* name;
};

// The illuminants in the order of the list; the code is what the instrument
// is asked for.
inline constexpr std::array<IlluminantEntry, 11> illuminantTable{{
    {0, "D65"}, {1, "D50"}, {2, "C"}, {3, "A"}, {4, "F2"}, {5, "F6"},
    {6, "F7"}, {7, "F8"}, {8, "F10"}, {9, "F11"}, {10, "F12"},
}};

// The entry of that code; null for a code the table does not list.
const IlluminantEntry* findIlluminant(int code);

class DataType {
public:
    // A radio group or the list with nothing selected.
    static constexpr int noSelection = -1;

    // The store and the file it is saved to; both outlive the dialog.
    void setSettings(PropertyFile* store, std::string path);

    // Reads the three keys (missing ones get their fallbacks). A value
    // without a button or list item selects nothing.
    void open();

    // Stores the fields and saves the file. An illuminant that is not
    // selected leaves the stored one as it was, so that a code this program
    // does not list survives.
    void confirm();

    // The illuminant and the observer mean something for L*a*b* only.
    bool conditionsEnabled() const { return dataType != 0; }

    // The fields, exchanged with the dialog's controls: 0 spectral data,
    // 1 L*a*b*; an illuminant code; 0 for 10°, 1 for 2°.
    int dataType = noSelection;
    int illuminant = noSelection;
    int observer = noSelection;

private:
    PropertyFile* store = nullptr;
    std::string path;
};

} // namespace tonvale
