#include "termin/PortSetup.h"

#include <iterator>
#include <utility>

namespace termin {
namespace {

// A table's entries in ascending order, the current value selected; a list
// with a single entry offers no choice and is disabled.
ListContents listFrom(const ValueTable& table, int currentValue)
{
    ListContents list;
    for (const auto& [value, label] : table) {
        if (value == currentValue)
            list.selection = int(list.labels.size());
        list.labels.push_back(label);
    }
    list.enabled = table.size() != 1;
    return list;
}

} // namespace

const std::array<const char*, 4> PortSetupForm::portNames{"COM1", "COM2", "COM3", "COM4"};

PortSetupForm::PortSetupForm(AvailableTables tables, PortSettings settings)
    : tables(std::move(tables)), current(std::move(settings))
{
}

ListContents PortSetupForm::portList() const
{
    ListContents list;
    for (const char* name : portNames)
        list.labels.emplace_back(name);
    // The port is chosen afresh each time: COM1 whatever the current name.
    list.selection = 0;
    return list;
}

std::array<ListContents, 4> PortSetupForm::lineLists() const
{
    return {listFrom(tables.baudRates, current.baudRate),
            listFrom(tables.byteSizes, current.byteSize),
            listFrom(tables.parities, current.parity),
            listFrom(tables.stopBits, current.stopBits)};
}

void PortSetupForm::accept(int portSelection, const std::array<int, 4>& lineSelections)
{
    if (portSelection < 0 || portSelection >= int(portNames.size()))
        portSelection = 0;
    current.portName = portNames[std::size_t(portSelection)];

    const std::array<std::pair<const ValueTable*, int*>, 4> lines{{
        {&tables.baudRates, &current.baudRate},
        {&tables.byteSizes, &current.byteSize},
        {&tables.parities, &current.parity},
        {&tables.stopBits, &current.stopBits},
    }};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const auto& [table, field] = lines[i];
        const int selection = lineSelections[i];
        // No selection keeps the current setting rather than handing the
        // list's error value to the driver.
        if (selection >= 0 && selection < int(table->size()))
            *field = std::next(table->begin(), selection)->first;
    }
}

} // namespace termin
