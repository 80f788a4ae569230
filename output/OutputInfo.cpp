#include "OutputInfo.h"

namespace tonvale {

void OutputInfo::setSettings(PropertyFile* settings, std::string settingsFile)
{
    store = settings;
    path = std::move(settingsFile);
}

void OutputInfo::open()
{
    // Only exactly 1 switches a column on when a measurement writes it.
    for (std::size_t i = 0; i < switches.size(); ++i)
        switches[i] = readInt(*store, outputSwitchKeys[i], fallback::switchesInOutputInfo[i]) == 1;
}

void OutputInfo::confirm()
{
    for (std::size_t i = 0; i < switches.size(); ++i)
        store->setInt(outputSwitchKeys[i], switches[i] ? 1 : 0);
    store->save(path);
}

} // namespace tonvale
