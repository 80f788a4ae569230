#include "sheetwire/CalcBackend.h"

#include "CalcObjects.h"
#include "CalcSession.h"
#include "OfficeProcess.h"

#include <unistd.h>

#include <chrono>
#include <mutex>
#include <optional>
#include <thread>

namespace sheetwire {

using namespace std::chrono_literals;

// How long a failure to reach or start the office stands.
constexpr auto failureRemembered = 3s;

struct CalcBackend::State {
    std::string profileUrl;
    std::string pipeName;
    bool batched = true;
    std::chrono::milliseconds cellEditWait{};
    std::chrono::steady_clock::time_point attachFailedUntil;
    std::chrono::steady_clock::time_point launchFailedUntil;
    // Worked out when first needed: the default profile's location comes
    // from the office's own configuration.
    std::string singleInstancePipe;
    std::shared_ptr<calc::Traffic> traffic = std::make_shared<calc::Traffic>();
    std::shared_ptr<calc::Session> session;
    std::mutex lock;

    std::shared_ptr<calc::Session> liveSession()
    {
        if (session && !session->alive())
            session.reset();
        return session;
    }

    bool officeRuns()
    {
        try {
            if (singleInstancePipe.empty())
                singleInstancePipe = calc::singleInstancePipeName(
                    profileUrl.empty() ? calc::defaultProfileUrl() : profileUrl);
        } catch (const com::sun::star::uno::Exception&) {
            // Without a usable URE no office can be reached.
            return false;
        }
        return calc::pipeAnswers(singleInstancePipe);
    }

    bool connect()
    {
        if (calc::pipeBelongsToOthers(pipeName))
            return false;
        try {
            session = calc::Session::connect(pipeName, traffic, batched);
            return true;
        } catch (const com::sun::star::uno::Exception&) {
            return false;
        }
    }

    std::shared_ptr<AutomationApplication> application() const
    {
        return batched ? calc::makeBatchedApplication(session, cellEditWait)
                       : calc::makeApplication(session);
    }

    // Starts soffice asking the office of our profile to accept us: it
    // becomes that office, or hands the request to the one running and ends.
    bool startAndConnect(std::chrono::steady_clock::duration limit)
    {
        std::vector<std::string> arguments = {"--norestore", "--nologo",
                                              "--accept=pipe,name=" + pipeName + ";urp;"};
        if (!profileUrl.empty())
            arguments.push_back("-env:UserInstallation=" + profileUrl);
        const pid_t soffice = calc::startSoffice(arguments);
        if (soffice < 0)
            return false;
        // One that handed the request on ends at once, and the running
        // office opens the pipe when its main loop gets to it: within a
        // second or two, much later on a loaded machine. An office that could
        // not start ends too, with no office left running, and no pipe ever
        // comes; neither does one when the office it handed on to has gone.
        const auto start = std::chrono::steady_clock::now();
        std::optional<std::chrono::steady_clock::time_point> ended;
        while (!connect()) {
            const auto now = std::chrono::steady_clock::now();
            if (!ended && !calc::processRunning(soffice))
                ended = now;
            if (now - start > limit || (ended && (now - *ended > 20s || !officeRuns())))
                return false;
            std::this_thread::sleep_for(50ms);
        }
        return true;
    }
};

CalcBackend::CalcBackend(CalcOffice office) : state(std::make_unique<State>())
{
    state->batched = office.batched;
    state->cellEditWait = office.cellEditWait;
    state->profileUrl = std::move(office.profileUrl);
    state->pipeName = office.pipeName.empty() ? "tonvale_" + std::to_string(getuid())
                                              : std::move(office.pipeName);
}

CalcBackend::~CalcBackend() = default;

std::shared_ptr<AutomationApplication> CalcBackend::AttachRunning()
{
    const std::lock_guard<std::mutex> hold(state->lock);
    if (state->liveSession())
        return state->application();
    if (state->connect())
        return state->application();
    // An office that runs without accepting us is asked to, which may take
    // long; when that failed a moment ago it is not tried again yet.
    const auto now = std::chrono::steady_clock::now();
    if (now < state->attachFailedUntil || !state->officeRuns())
        return nullptr;
    if (state->startAndConnect(30s))
        return state->application();
    state->attachFailedUntil = std::chrono::steady_clock::now() + failureRemembered;
    return nullptr;
}

std::shared_ptr<AutomationApplication> CalcBackend::Launch()
{
    const std::lock_guard<std::mutex> hold(state->lock);
    if (std::chrono::steady_clock::now() < state->launchFailedUntil)
        return nullptr;
    // A fresh profile takes the office a few seconds to set up; a loaded
    // machine, more.
    if (state->startAndConnect(60s))
        return state->application();
    state->launchFailedUntil = std::chrono::steady_clock::now() + failureRemembered;
    return nullptr;
}

bool CalcBackend::IsRunning()
{
    const std::lock_guard<std::mutex> hold(state->lock);
    return state->liveSession() != nullptr || state->officeRuns();
}

std::uint64_t CalcBackend::messagesReceived() const
{
    return state->traffic->messagesReceived.load();
}

std::shared_ptr<AutomationBackend> makePlatformBackend()
{
    return std::make_shared<CalcBackend>();
}

} // namespace sheetwire
