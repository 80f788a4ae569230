#include "DataType.h"

#include "Settings.h"

#include <algorithm>

namespace tonvale {
namespace {

int selectable(int value, int count)
{
    return value >= 0 && value < count ? value : DataType::noSelection;
}

bool listed(int code)
{
    return findIlluminant(code) != nullptr;
}

} // namespace

const IlluminantEntry* findIlluminant(int code)
{
    const auto found = std::find_if(illuminantTable.begin(), illuminantTable.end(),
                                    [code](const IlluminantEntry& entry) { return entry.code == code; });
    return found == illuminantTable.end() ? nullptr : &*found;
}

void DataType::setSettings(PropertyFile* settings, std::string settingsFile)
{
    store = settings;
    path = std::move(settingsFile);
}

void DataType::open()
{
    const int code = readInt(*store, key::illuminant, fallback::illuminant);
    illuminant = listed(code) ? code : noSelection;
    dataType = selectable(readInt(*store, key::dataType, fallback::dataType), 2);
    observer = selectable(readInt(*store, key::observer, fallback::observer), 2);
}

void DataType::confirm()
{
    // A group with nothing selected counts as its second button.
    store->setInt(key::dataType, dataType == 0 ? 0 : 1);
    if (listed(illuminant))
        store->setInt(key::illuminant, illuminant);
    store->setInt(key::observer, observer == 0 ? 0 : 1);
    store->save(path);
}

} // namespace tonvale
