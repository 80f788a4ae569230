#pragma once
// Answers Termin's port dialog as the operator does at start-up.

#include "GuiTest.h"

#include "termin/PortSetupDialog.h"

#include <wx/choice.h>

// Chooses the port at position index ("COM1" is 0) and presses OK.
inline ExpectDialog<termin::PortSetupDialog> choosePort(int index)
{
    return ExpectDialog<termin::PortSetupDialog>([index](termin::PortSetupDialog& dlg) {
        auto* ports = dynamic_cast<wxChoice*>(dlg.FindWindow(termin::PortSetupDialog::PortList));
        EXPECT_NE(ports, nullptr);
        if (ports)
            ports->SetSelection(index);
        press(dlg, wxID_OK);
        return wxID_OK;
    });
}

inline ExpectDialog<termin::PortSetupDialog> cancelPortDialog()
{
    return ExpectDialog<termin::PortSetupDialog>([](termin::PortSetupDialog& dlg) {
        press(dlg, wxID_CANCEL);
        return wxID_CANCEL;
    });
}
