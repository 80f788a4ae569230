#include "ExceptionReport.h"
#include "MainDialog.h"
#include "SingleInstance.h"
#include "Resources.h"
#include "SettingsPath.h"
#include "Strings.h"

#include <wx/app.h>

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
            return false;
        }
        ensureResources();
        auto* main = new MainDialog(settingsPath());
        SetTopWindow(main);
        return main->start();
    }

    // Handler exceptions are reported and the program goes on.
    void HandleEvent(wxEvtHandler* handler, wxEventFunction func, wxEvent& event) const override
    {
        callHandlerReportingErrors(handler, func, event);
    }

private:
    std::unique_ptr<SingleInstance> instance;
};

} // namespace tonvale

wxIMPLEMENT_APP(tonvale::TonvaleApp);
