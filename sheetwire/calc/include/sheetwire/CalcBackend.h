#pragma once
// The spreadsheet application on Linux: the user's running LibreOffice,
// driven through its UNO API. Workbooks are the office's open spreadsheet
// documents in the order their windows were created, worksheets their
// sheets.
//
// Binding: we talk to the office over a local pipe of our own. An office
// that runs without listening on it is asked to (a second soffice start
// with --accept hands the request to the running office and ends); an
// office we start listens from the beginning. One connection is kept while
// the office lives and is shared by every Application handle; releasing a
// handle never closes the office.
//
// Errors the office raises (a closed document, an index it does not hold,
// the office gone during a call) leave every call as AutomationError. A
// write into a document that has been closed is such an error too, never a
// silent success.

#include "sheetwire/Automation.h"
#include "sheetwire/sheetwire_export.h"

#include <cstdint>
#include <memory>
#include <string>

namespace sheetwire {

// Which office to drive.
struct CalcOffice {
    // The office's user profile as a file URL (what soffice takes as
    // -env:UserInstallation); empty: this user's default profile.
    std::string profileUrl;
    // The local pipe the office is asked to accept us on; empty: one fixed
    // name per user.
    std::string pipeName;
};

class SHEETWIRE_EXPORT CalcBackend : public AutomationBackend {
public:
    explicit CalcBackend(CalcOffice office = {});
    ~CalcBackend() override;

    CalcBackend(const CalcBackend&) = delete;
    CalcBackend& operator=(const CalcBackend&) = delete;

    std::shared_ptr<AutomationApplication> AttachRunning() override;
    // Starts a visible office (no document restore, no splash) and waits
    // until it accepts us.
    std::shared_ptr<AutomationApplication> Launch() override;
    // Asks the office's own single-instance pipe; starts and binds nothing.
    bool IsRunning() override;

    // UNO messages the office has sent us since this backend was made: one
    // reply per call we made, plus the office's own calls into us (document
    // closed notices and the like). Counted on the connection, for measuring.
    std::uint64_t messagesReceived() const;

private:
    struct State;
    std::unique_ptr<State> state;
};

} // namespace sheetwire
