#include "Messages.h"
#include "Strings.h"

namespace tonvale {

int showMessage(int id, MessageIcon icon, MessageButtons buttons)
{
    return uikit::messageBox(strings().get(id), appTitle, icon, buttons);
}

int showMessage(int id, const std::string& arg, MessageIcon icon)
{
    return uikit::messageBox(strings().format(id, arg), appTitle, icon);
}

int showText(const std::string& text, MessageIcon icon)
{
    return uikit::messageBox(text, appTitle, icon);
}

} // namespace tonvale
