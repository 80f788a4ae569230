#include "CommandLine.h"
#include "ExceptionReport.h"
#include "MainDialog.h"
#include "Messages.h"
#include "SessionEnd.h"
#include "SingleInstance.h"
#include "Resources.h"
#include "SettingsPath.h"
#include "Strings.h"

#include "uikit/MessageBox.h"

#include <wx/app.h>

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace tonvale {

class TonvaleApp : public wxApp {
public:
    bool OnInit() override
    {
        SetAppDisplayName(wxString::FromUTF8(appTitle));
        instance = std::make_unique<SingleInstance>("CRAZY_SX4810K");
        switch (instance->claim(bringProcessToFront)) {
        case SingleInstance::Claim::First:
            break;
        case SingleInstance::Claim::Second:
            instance->activateFirst();
            endAtOnce = true;
            return true;
        case SingleInstance::Claim::Failed:
            // Without the name two instances could share one instrument;
            // the operator learns why nothing starts.
            showText(instance->failure());
            endAtOnce = true;
            return true;
        }
        ensureResources();
        mainWindow = new MainDialog(settingsPath());
        instance->markMainWindow(*mainWindow);
        SetTopWindow(mainWindow);
        // After a confirmed exit the window is gone and nothing is left to keep.
        mainWindow->Bind(wxEVT_DESTROY, [this](wxWindowDestroyEvent& event) {
            if (event.GetEventObject() == mainWindow)
                mainWindow = nullptr;
            event.Skip();
        });
        callOnSessionEnd([this] { endSession(); });
        if (!mainWindow->start()) {
            // The operator cancelled the port dialog: end without a word.
            mainWindow->Destroy();
            endAtOnce = true;
        }
        return true;
    }

    // A second start, a name that could not be taken and a cancelled port
    // dialog end normally, without running the event loop.
    int OnRun() override { return endAtOnce ? 0 : wxApp::OnRun(); }

    // Handler exceptions are reported and the program goes on.
    void HandleEvent(wxEvtHandler* handler, wxEventFunction func, wxEvent& event) const override
    {
        callHandlerReportingErrors(handler, func, event);
    }

private:
    // The session asks the program to end: it keeps what a confirmed exit
    // keeps and ends at once, from whatever dialog is open. Nobody is there
    // to answer a box any more; what one would say goes to standard error.
    void endSession()
    {
        if (ending)
            return;
        ending = true;
        uikit::endMessageBoxes();
        if (mainWindow != nullptr)
            mainWindow->endSession();
        instance.reset();
        std::fflush(nullptr);
        std::_Exit(0);
    }

    std::unique_ptr<SingleInstance> instance;
    MainDialog* mainWindow = nullptr;
    bool endAtOnce = false;
    bool ending = false;
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
