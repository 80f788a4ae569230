#include "Settings.h"

#include <stdexcept>

namespace tonvale {

void storeFirstRunDefaults(PropertyFile& store)
{
    store.setInt(key::mesNum, firstMesNum);
    store.setString(key::nameDefault, "Sample");
    store.setInt(key::chkAutoNaming, 0);
    store.setInt(key::chkRemote, 0);
    store.setInt(key::dataType, 1);
    store.setInt(key::illuminant, 0);
    store.setInt(key::observer, 0);
    constexpr std::array<int, 6> switches{0, 1, 1, 0, 0, 0};
    for (std::size_t i = 0; i < outputSwitchKeys.size(); ++i)
        store.setInt(outputSwitchKeys[i], switches[i]);
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
