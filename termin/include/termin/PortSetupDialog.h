#pragma once
// Dialog 7000, "連接埠設定": binds the five drop-down lists of the resource to
// a PortSetupForm. Shown by SerialPort::setupPort.

#include "termin/PortSetup.h"
#include "termin/termin_export.h"

#include <wx/dialog.h>

class wxChoice;

namespace termin {

class TERMIN_EXPORT PortSetupDialog : public wxDialog {
public:
    // Control ids of the resource.
    enum { PortList = 7000, BaudRateList, ByteSizeList, ParityList, StopBitsList };

    PortSetupDialog(wxWindow* parent, AvailableTables tables, PortSettings settings);

    bool TransferDataToWindow() override;
    bool TransferDataFromWindow() override;

    const PortSettings& settings() const { return form.settings(); }

private:
    wxChoice* list(int id) const;

    PortSetupForm form;
};

} // namespace termin
