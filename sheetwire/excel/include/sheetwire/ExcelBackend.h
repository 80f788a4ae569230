#pragma once
// The spreadsheet application on Windows: Microsoft Excel, reached through
// OLE automation as the ProgID "Excel.Application" names it. Calls are
// late-bound IDispatch calls by Excel's published dispatch identifiers, with
// the argument shapes Excel's type library gives. Binding: the running
// Excel from the running object table, or a new one as a local server.
//
// A call that Excel rejects while it is busy (its user editing a cell, one
// of its dialogs open) is retried for a while, the program's windows
// repainting meanwhile (a COM message filter on the calling thread).
//
// Every failure of a call leaves it as AutomationError "Object.Member: " and
// the text Excel gave (its EXCEPINFO description), or the system's text for
// the HRESULT when Excel gave none (an Excel that has gone away, a refused
// call).

#include "sheetwire/Automation.h"
#include "sheetwire/sheetwire_export.h"

#include <chrono>
#include <memory>

namespace sheetwire {

class SHEETWIRE_EXPORT ExcelBackend : public AutomationBackend {
public:
    // busyWait: how long a call that a busy Excel keeps rejecting is tried
    // again before it fails as AutomationFailure::Busy.
    explicit ExcelBackend(std::chrono::milliseconds busyWait = std::chrono::seconds(30))
        : busyWait(busyWait)
    {
    }

    std::shared_ptr<AutomationApplication> AttachRunning() override;
    std::shared_ptr<AutomationApplication> Launch() override;
    bool IsRunning() override;

private:
    std::chrono::milliseconds busyWait;
};

} // namespace sheetwire
