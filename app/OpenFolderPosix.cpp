#include "OpenFolder.h"

#include <wx/process.h>
#include <wx/utils.h>

namespace tonvale {
namespace {

// The opener's end, heard on the UI thread; it deletes itself then.
class Opener : public wxProcess {
public:
    explicit Opener(std::function<void()> failed) : failed(std::move(failed)) {}

    void OnTerminate(int, int status) override
    {
        if (status != 0)
            failed();
        delete this;
    }

private:
    std::function<void()> failed;
};

} // namespace

void openFolder(const std::string& folder, std::function<void()> failed)
{
    auto* opener = new Opener(failed);
    const wxString path = wxString::FromUTF8(folder);
    const wchar_t* argv[] = {L"xdg-open", path.wc_str(), nullptr};
    if (wxExecute(argv, wxEXEC_ASYNC, opener) == 0) {
        // Not started at all (no xdg-open): wx has not taken the process.
        delete opener;
        failed();
    }
}

} // namespace tonvale
