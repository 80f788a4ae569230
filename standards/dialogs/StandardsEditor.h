#pragma once
// What the standards dialog does, apart from its controls: it lists the
// library, adds, renames, changes and removes standards (each change is
// stored at once), imports and exports CSV files, and chooses the active
// standard, which OK keeps in the settings ("Name_Standard") and Cancel
// leaves as it was.

#include "StandardForm.h"

#include "PropertyFile.h"

#include <optional>
#include <string>
#include <vector>

namespace standards {

class StandardsEditor {
public:
    // All three outlive the editor.
    StandardsEditor(Store& store, tonvale::PropertyFile& settings, std::string settingsPath);

    // Reads the library and the active standard's name. False, after its
    // message, when the library cannot be read.
    bool open();

    const std::vector<Standard>& standards() const { return list; }
    // The standard that OK makes the active one, if any.
    std::optional<std::size_t> active() const;
    void choose(std::optional<std::size_t> index) { chosen = index ? list.at(*index).name : ""; }

    // Each returns false after its own message when it was refused, true
    // when it was done; bad is the field to correct after a refused form.
    bool add(const StandardForm& form, Field& bad);
    bool rename(std::size_t index, const std::string& newName);
    bool changeTolerance(std::size_t index, const StandardForm& form, Field& bad);
    // Asks first.
    bool remove(std::size_t index);
    bool importFrom(const std::string& path);
    // Writes the whole library; false after its message.
    bool exportTo(const std::string& path) const;

    // Keeps the chosen standard's name (or none) in the settings and saves them.
    void confirm();
    // Keeps the name found on opening (under its new name if it was
    // renamed, none if it was removed) and saves the settings.
    void cancel();

    // The key the active standard's name is kept under; empty for none.
    static constexpr const char* activeKey = "Name_Standard";

private:
    bool reload();
    void keep(const std::string& name);

    Store& store;
    tonvale::PropertyFile& settings;
    std::string settingsPath;
    std::vector<Standard> list;
    std::string opened;
    std::string chosen;
};

// Adds the standard of the form's name, tolerance and note, and colour when
// typedColour (else standard's own colour), unless the form is refused or
// the name is taken; shows its message and returns false then.
bool addStandard(Store& store, Standard standard, const StandardForm& form, bool typedColour, Field& bad);

// The standard "基準に設定" makes of a measurement: its first data line's
// reflectance (with L*a*b* under the view's illuminant and observer) when it
// is spectral, else its L*a*b* under the conditions it was measured with.
// Problem::Conditions when those are unknown (the instrument's button
// measured under its own setting).
struct MeasuredColour {
    int dataType = 0; // 0 spectral, 1 L*a*b*
    std::vector<double> values;
    int illuminant = -1;
    int observer = -1;
    colour::Lab lab;
};
Problem standardOfMeasurement(const MeasuredColour& measured, Standard& standard);

} // namespace standards
