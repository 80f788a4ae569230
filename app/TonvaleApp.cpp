#include "CommandLine.h"
#include "ExceptionReport.h"
#include "MainDialog.h"
#include "SingleInstance.h"
#include "Resources.h"
#include "SettingsPath.h"
#include "Strings.h"

#include <wx/app.h>

#include <iostream>
#include <memory>

namespace tonvale {

class TonvaleApp : public wxApp {
public:
    bool OnInit() override
    {
        SetAppDisplayName(wxString::FromUTF8(appTitle));
        instance = std::make_unique<SingleInstance>("CRAZY_SX4810K");
        if (!instance->claim(bringProcessToFront)) {
            instance->activateFirst();
            endAtOnce = true;
            return true;
        }
        ensureResources();
        auto* main = new MainDialog(settingsPath());
        instance->markMainWindow(*main);
        SetTopWindow(main);
        if (!main->start()) {
            // The operator cancelled the port dialog: end without a word.
            main->Destroy();
            endAtOnce = true;
        }
        return true;
    }

    // A second start and a cancelled port dialog end normally, without
    // running the event loop.
    int OnRun() override { return endAtOnce ? 0 : wxApp::OnRun(); }

    // Handler exceptions are reported and the program goes on.
    void HandleEvent(wxEvtHandler* handler, wxEventFunction func, wxEvent& event) const override
    {
        callHandlerReportingErrors(handler, func, event);
    }

private:
    std::unique_ptr<SingleInstance> instance;
    bool endAtOnce = false;
};

} // namespace tonvale

wxIMPLEMENT_APP_NO_MAIN(tonvale::TonvaleApp);

int main(int argc, char** argv)
{
    const tonvale::CommandLineOutcome outcome =
        tonvale::handleCommandLine(argc, argv, std::cout, std::cerr);
    if (!outcome.run)
        return outcome.exitStatus;
    return wxEntry(argc, argv);
}
