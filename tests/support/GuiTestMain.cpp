// gtest main for tests that need wxWidgets: the tests run inside the event
// loop of a real (hidden) application on the X display.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

class TestApp : public wxApp {
public:
    bool OnInit() override
    {
        SetAppName(wxT("tonvale-tests"));
        // Log messages go to stderr: a log dialog would wait for a person.
        delete wxLog::SetActiveTarget(new wxLogStderr);
        return true;
    }

    int OnRun() override
    {
        result = RUN_ALL_TESTS();
        // Nothing may be flushed into a dialog while the application ends.
        wxLog::FlushActive();
        delete wxLog::SetActiveTarget(nullptr);
        wxLog::DontCreateOnDemand();
        return result;
    }

    // A wx assertion in code under test is a test failure, not a dialog.
    void OnAssertFailure(const wxChar* file, int line, const wxChar* func,
                         const wxChar* cond, const wxChar* msg) override
    {
        ADD_FAILURE_AT(wxString(file).utf8_string().c_str(), line)
            << "wx assertion " << wxString(cond).utf8_string() << " in "
            << wxString(func).utf8_string() << ": " << wxString(msg).utf8_string();
    }

    int result = 1;
};

} // namespace

wxIMPLEMENT_APP_NO_MAIN(TestApp);

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests needs no display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
#ifdef _WIN32
    return wxEntry(argc, argv);
#else
    // Whatever a test measures goes into a journal of this process's own,
    // never the user's (tests that look at the journal set their own).
    const auto data = std::filesystem::temp_directory_path() /
                      ("tonvale-test-data-" + std::to_string(getpid()));
    setenv("XDG_DATA_HOME", data.c_str(), 1);
    const int result = wxEntry(argc, argv);
    std::error_code ignored;
    std::filesystem::remove_all(data, ignored);
    return result;
#endif
}
