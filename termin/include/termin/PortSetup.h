#pragma once
// The line-setting values a caller declares acceptable, and what the port
// setup dialog shows and gives back. The dialog class only binds its lists
// to a PortSetupForm; everything it decides is decided here.

#include "termin/termin_export.h"

#include <array>
#include <map>
#include <string>
#include <vector>

namespace termin {

// Value → label, ascending by value.
using ValueTable = std::map<int, std::string>;

struct AvailableTables {
    ValueTable baudRates;
    ValueTable byteSizes;
    ValueTable parities;
    ValueTable stopBits;
};

struct PortSettings {
    std::string portName;
    int baudRate = 0;
    int byteSize = 0;
    int parity = 0;
    int stopBits = 0;
};

// What one drop-down list shows.
struct ListContents {
    std::vector<std::string> labels;
    int selection = -1; // -1: nothing selected
    bool enabled = true;
};

class TERMIN_EXPORT PortSetupForm {
public:
    // The port list, always in this order.
    static const std::array<const char*, 4> portNames;

    PortSetupForm(AvailableTables tables, PortSettings settings);

    ListContents portList() const;
    // The lists of baud rates, byte sizes, parities and stop bits, in the
    // dialog's order.
    std::array<ListContents, 4> lineLists() const;

    // OK with these selections (-1 for none). A line list without a
    // selection keeps the current setting.
    void accept(int portSelection, const std::array<int, 4>& lineSelections);

    const PortSettings& settings() const { return current; }

private:
    AvailableTables tables;
    PortSettings current;
};

} // namespace termin
