#include "termin/PortSetupDialog.h"
#include "termin/SerialPort.h"

#include "AvailableTables.h"
#include "uikit/Xrc.h"

#include <wx/choice.h>

#include <mutex>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>

void InitTerminXrc();

namespace termin {
namespace {

void ensureResources()
{
    static std::once_flag once;
    std::call_once(once, [] {
        uikit::prepareXrc();
        InitTerminXrc();
    });
}

void show(wxChoice* choice, const ListContents& list)
{
    choice->Clear();
    for (const auto& label : list.labels)
        choice->Append(wxString::FromUTF8(label));
    choice->SetSelection(list.selection);
    choice->Enable(list.enabled);
}

} // namespace

PortSetupDialog::PortSetupDialog(wxWindow* parent, AvailableTables tables, PortSettings settings)
    : form(std::move(tables), std::move(settings))
{
    ensureResources();
    uikit::loadDialog(*this, parent, "TERMIN_PORT_SETUP_7000");
}

wxChoice* PortSetupDialog::list(int id) const
{
    auto* choice = dynamic_cast<wxChoice*>(FindWindow(id));
    if (choice == nullptr)
        throw std::runtime_error("port setup dialog lacks list " + std::to_string(id));
    return choice;
}

bool PortSetupDialog::TransferDataToWindow()
{
    show(list(PortList), form.portList());
    const auto lines = form.lineLists();
    for (int i = 0; i < 4; ++i)
        show(list(BaudRateList + i), lines[std::size_t(i)]);
    return true;
}

bool PortSetupDialog::TransferDataFromWindow()
{
    form.accept(list(PortList)->GetSelection(),
                {list(BaudRateList)->GetSelection(), list(ByteSizeList)->GetSelection(),
                 list(ParityList)->GetSelection(), list(StopBitsList)->GetSelection()});
    return true;
}

int SerialPort::setupPort(wxWindow* window)
{
    std::optional<PortSetupDialog> dialog;
    try {
        dialog.emplace(window, detail::availableTables(),
                       PortSettings{portName, baudRate, byteSize, parity, stopBits});
    } catch (const std::runtime_error&) {
        return -1;
    }
    if (dialog->ShowModal() != wxID_OK)
        return 2;
    const PortSettings& chosen = dialog->settings();
    portName = chosen.portName;
    baudRate = chosen.baudRate;
    byteSize = chosen.byteSize;
    parity = chosen.parity;
    stopBits = chosen.stopBits;
    return 1;
}

} // namespace termin
