#include "sheetwire/Automation.h"

#include <mutex>

namespace sheetwire {

AutomationError::AutomationError(const std::string& description) : std::runtime_error(description) {}
AutomationError::~AutomationError() = default;

AutomationFont::~AutomationFont() = default;
AutomationInterior::~AutomationInterior() = default;
AutomationRange::~AutomationRange() = default;
AutomationWorksheet::~AutomationWorksheet() = default;
AutomationWorksheets::~AutomationWorksheets() = default;
AutomationWorkbook::~AutomationWorkbook() = default;
AutomationWorkbooks::~AutomationWorkbooks() = default;
AutomationApplication::~AutomationApplication() = default;
AutomationBackend::~AutomationBackend() = default;

namespace {

// Where no spreadsheet application can be reached: nothing runs and nothing
// can be started, so every operation ends in its "not running" result.
class NoApplicationBackend : public AutomationBackend {
public:
    std::shared_ptr<AutomationApplication> AttachRunning() override { return nullptr; }
    std::shared_ptr<AutomationApplication> Launch() override { return nullptr; }
    bool IsRunning() override { return false; }
};

std::mutex backendLock;
std::shared_ptr<AutomationBackend> installed;

} // namespace

std::shared_ptr<AutomationBackend> automationBackend()
{
    std::lock_guard<std::mutex> hold(backendLock);
    if (!installed)
        installed = std::make_shared<NoApplicationBackend>();
    return installed;
}

void setAutomationBackend(std::shared_ptr<AutomationBackend> backend)
{
    std::lock_guard<std::mutex> hold(backendLock);
    installed = std::move(backend);
}

} // namespace sheetwire
