#include "CommandLine.h"

#include "SettingsPath.h"

#include "termin/PortLink.h"

#include <wx/cmdline.h>
#include <wx/msgout.h>

#include <ostream>

namespace tonvale {
namespace {

// Where the parser's messages go while it runs.
class StreamOutput : public wxMessageOutput {
public:
    explicit StreamOutput(std::ostream& stream) : stream(stream) {}

protected:
    void Output(const wxString& text) override { stream << text.utf8_string(); }

private:
    std::ostream& stream;
};

class MessageOutputScope {
public:
    explicit MessageOutputScope(std::ostream& stream)
        : previous(wxMessageOutput::Set(new StreamOutput(stream)))
    {
    }
    ~MessageOutputScope() { delete wxMessageOutput::Set(previous); }
    MessageOutputScope(const MessageOutputScope&) = delete;
    MessageOutputScope& operator=(const MessageOutputScope&) = delete;

private:
    wxMessageOutput* previous;
};

const wxCmdLineEntryDesc options[] = {
    {wxCMD_LINE_SWITCH, "h", "help", "show this help and exit", wxCMD_LINE_VAL_NONE, 0},
    {wxCMD_LINE_SWITCH, "V", "version", "show the version and exit", wxCMD_LINE_VAL_NONE, 0},
    {wxCMD_LINE_NONE, nullptr, nullptr, nullptr, wxCMD_LINE_VAL_NONE, 0},
};

} // namespace

CommandLineOutcome handleCommandLine(int argc, char** argv, std::ostream& out, std::ostream& err)
{
    wxCmdLineParser parser(options, argc, argv);
    parser.SetLogo("Tonvale " TONVALE_VERSION
                   ", the PC companion for the SX-4810k spectrophotometer (and the SX-4800k).");
    {
        const MessageOutputScope messages(err);
        if (parser.Parse(true) != 0)
            return {false, usageExitStatus};
    }
    if (parser.Found("version")) {
        out << "tonvale " TONVALE_VERSION "\n";
        return {false, 0};
    }
    if (parser.Found("help")) {
        out << parser.GetUsageString().utf8_string() << '\n'
#ifdef _WIN32
            << "Without options it asks for the instrument's port and opens its main\n"
               "window.\n\n"
            << "Settings: " << locateSettings() << "\n\n"
            << termin::portNamingRule();
#else
            << "Without options it asks for the instrument's port and opens its main\n"
               "window (a display is needed).\n\n"
            << "Settings: " << locateSettings() << "\n\n"
            << termin::portNamingRule() << '\n'
            << "See tonvale(1); sxsim(1) simulates the instrument.\n";
#endif
        return {false, 0};
    }
    return {true, 0};
}

} // namespace tonvale
