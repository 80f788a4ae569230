#pragma once
// The spreadsheet application of the platform, which automationBackend()
// hands out until another backend is installed: the user's running
// LibreOffice Calc on Linux (calc/), Microsoft Excel on Windows (excel/).

#include "sheetwire/Automation.h"

#include <memory>

namespace sheetwire {

std::shared_ptr<AutomationBackend> makePlatformBackend();

} // namespace sheetwire
