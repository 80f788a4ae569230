#include "sheetwire/Automation.h"

#include "PlatformBackend.h"

#include "Strings.h"

#include <mutex>

namespace sheetwire {

namespace {

int messageOf(AutomationFailure failure)
{
    switch (failure) {
    case AutomationFailure::ApplicationGone: return 1005;
    case AutomationFailure::WorkbookClosed: return 1006;
    case AutomationFailure::NoSuchItem: return 1007;
    case AutomationFailure::NeverSaved: return 1008;
    case AutomationFailure::CannotOpen: return 1009;
    case AutomationFailure::Busy: return 1011;
    case AutomationFailure::Refused: break;
    }
    return 1010;
}

} // namespace

AutomationError::AutomationError(AutomationFailure failure, const std::string& detail,
                                 const std::string& subject)
    : std::runtime_error(strings().format(messageOf(failure), subject)),
      m_failure(failure),
      m_detail(detail)
{
}

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

std::mutex backendLock;

// Never destroyed: a backend may hold a connection to the spreadsheet
// application, and by the time static objects are destroyed at exit the
// libraries that connection runs on are already finalised. The system closes
// the connection with the process.
std::shared_ptr<AutomationBackend>& installed()
{
    static auto* const backend = new std::shared_ptr<AutomationBackend>;
    return *backend;
}

} // namespace

std::shared_ptr<AutomationBackend> automationBackend()
{
    std::lock_guard<std::mutex> hold(backendLock);
    if (!installed())
        installed() = makePlatformBackend();
    return installed();
}

void setAutomationBackend(std::shared_ptr<AutomationBackend> backend)
{
    std::lock_guard<std::mutex> hold(backendLock);
    installed() = std::move(backend);
}

} // namespace sheetwire
