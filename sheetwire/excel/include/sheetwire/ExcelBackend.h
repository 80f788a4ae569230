#pragma once
// The spreadsheet application on Windows: Microsoft Excel, reached through
// OLE automation as the ProgID "Excel.Application" names it. Calls are
// late-bound IDispatch calls by Excel's published dispatch identifiers, with
// the argument shapes Excel's type library gives. Binding: the running
// Excel from the running object table, or a new one as a local server.
//
// Every failure of a call leaves it as AutomationError "Object.Member: " and
// the text Excel gave (its EXCEPINFO description), or the system's text for
// the HRESULT when Excel gave none (an Excel that has gone away, a refused
// call).

#include "sheetwire/Automation.h"
#include "sheetwire/sheetwire_export.h"

#include <memory>

namespace sheetwire {

class SHEETWIRE_EXPORT ExcelBackend : public AutomationBackend {
public:
    std::shared_ptr<AutomationApplication> AttachRunning() override;
    std::shared_ptr<AutomationApplication> Launch() override;
    bool IsRunning() override;
};

} // namespace sheetwire
