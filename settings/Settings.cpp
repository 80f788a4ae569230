#include "Settings.h"

#include <stdexcept>

namespace tonvale {

void storeFirstRunDefaults(PropertyFile& store)
{
    store.setInt(key::mesNum, firstRun::mesNum);
    store.setString(key::nameDefault, firstRun::nameDefault);
    store.setInt(key::chkAutoNaming, firstRun::chkAutoNaming);
    store.setInt(key::chkRemote, firstRun::chkRemote);
    store.setInt(key::dataType, firstRun::dataType);
    store.setInt(key::illuminant, firstRun::illuminant);
    store.setInt(key::observer, firstRun::observer);
    for (std::size_t i = 0; i < outputSwitchKeys.size(); ++i)
        store.setInt(outputSwitchKeys[i], firstRun::switches[i]);
}

int readInt(PropertyFile& store, const std::string& key, int fallback)
{
    try {
        return store.getInt(key);
    } catch (const std::invalid_argument&) {
        store.setInt(key, fallback);
        return store.getInt(key);
    }
}

std::string readString(PropertyFile& store, const std::string& key, const std::string& fallback)
{
    try {
        return store.getString(key);
    } catch (const std::invalid_argument&) {
        store.setString(key, fallback);
        return store.getString(key);
    }
}

} // namespace tonvale
