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
//
// Delivery: by default values, formats, the selection and column fits are
// held back until Flush and then go to the office in as few calls as they
// allow; the open workbooks and their titles are remembered while the
// office's document events say nothing changed; a column is fitted again
// only for something wider than it was last fitted to (as far as this
// program wrote it). Unbatched, every call goes to the office as it is made.
//
// An office that cannot be reached or started is not asked again for a few
// seconds: binding then fails at once instead of waiting once per cell.
//
// A cell the user is typing into: the office takes no value into a document
// while the user edits one of its cells without clobbering what is typed,
// so a batched delivery waits until the edit ends (see cellEditWait).

#include "sheetwire/Automation.h"
#include "sheetwire/sheetwire_export.h"

#include <chrono>
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
    // Whether calls are held back until Flush (see Delivery).
    bool batched = true;
    // How long a delivery waits for the user to finish typing into a cell of
    // the workbook it writes to (the window repainting meanwhile) before it
    // gives up with AutomationFailure::Busy.
    std::chrono::milliseconds cellEditWait{30000};
};

class SHEETWIRE_EXPORT CalcBackend : public AutomationBackend {
public:
    explicit CalcBackend(CalcOffice office = {});
    ~CalcBackend() override;

    CalcBackend(const CalcBackend&) = delete;
    CalcBackend& operator=(const CalcBackend&) = delete;

    std::shared_ptr<AutomationApplication> AttachRunning() override;
    // Starts a visible office (soffice as found on PATH; no document
    // restore, no splash) and waits until it accepts us; fails at once
    // when there is no soffice or it ends without an office running.
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
