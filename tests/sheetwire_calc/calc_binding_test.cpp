// Finding, asking and starting the office: nothing running (also with pipe
// files a crashed office left behind), an office running without our pipe,
// the user's default profile, starting one, quitting it, and the office
// killed between two calls and during one.

#include "CalcTest.h"

#include "GuiTest.h"

#include "sheetwire/CExcel.h"
#include "sheetwire/CExcelAutomation.h"

#include <com/sun/star/awt/XWindow2.hpp>
#include <com/sun/star/util/XCloseable.hpp>

#include <wx/timer.h>
#include <wx/utils.h>

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <optional>
#include <filesystem>
#include <thread>
#include <vector>

using sheetwire::AutomationError;
using sheetwire::CalcBackend;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

// A pipe file as a crashed office leaves it: there, but nobody listens.
void leaveStalePipe(const std::string& path)
{
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(path.size(), sizeof address.sun_path);
    path.copy(address.sun_path, path.size());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
    ASSERT_EQ(listen(fd, 1), 0);
    close(fd);
    ASSERT_TRUE(fs::is_socket(path));
}

std::string readLink(const std::string& path)
{
    std::error_code error;
    return fs::read_symlink(path, error).string();
}

// Installs a backend for CExcel for the length of a test.
struct InstalledBackend {
    explicit InstalledBackend(std::shared_ptr<sheetwire::AutomationBackend> backend)
    {
        sheetwire::setAutomationBackend(std::move(backend));
    }
    ~InstalledBackend() { sheetwire::setAutomationBackend(nullptr); }
};

// Sets an environment variable for the length of a test.
class Environment {
public:
    Environment(const char* name, const std::string& value) : name(name)
    {
        if (const char* before = std::getenv(name))
            previous = before;
        setenv(name, value.c_str(), 1);
    }
    ~Environment()
    {
        if (previous)
            setenv(name, previous->c_str(), 1);
        else
            unsetenv(name);
    }

private:
    const char* name;
    std::optional<std::string> previous;
};

const char* const message1002 = "Excel が起動しているか確認してください。";

} // namespace

TEST(CalcBinding, NothingRunningMeansNoOfficeAndNoneIsStarted)
{
    TestOffice office;
    CalcBackend backend(office.office());
    EXPECT_FALSE(backend.IsRunning());
    EXPECT_EQ(backend.AttachRunning(), nullptr);

    // What a crashed office leaves behind refuses connections.
    leaveStalePipe(TestOffice::pipePath(office.pipeName));
    leaveStalePipe(TestOffice::pipePath(TestOffice::singleInstancePipe(office.profileUrl)));
    EXPECT_FALSE(backend.IsRunning());
    EXPECT_EQ(backend.AttachRunning(), nullptr);

    // Nothing was started behind our back.
    std::this_thread::sleep_for(1s);
    EXPECT_TRUE(office.pids().empty());
}

TEST(CalcBinding, APipeOfAnotherUserIsNotTakenForTheOffice)
{
    if (geteuid() != 0)
        GTEST_SKIP() << "a pipe of another user needs root";
    TestOffice office;
    // Another user listens where our pipes would be, in the shared /tmp.
    std::vector<int> listeners;
    for (const std::string& name : {office.pipeName, TestOffice::singleInstancePipe(office.profileUrl)}) {
        const std::string path = TestOffice::pipePath(name);
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
        ASSERT_EQ(listen(fd, 4), 0);
        ASSERT_EQ(chown(path.c_str(), 65534, 65534), 0);
        listeners.push_back(fd);
    }
    // Whoever connects is hung up on at once, and counted.
    std::atomic<int> connections{0};
    std::atomic<bool> stop{false};
    std::thread other([&] {
        while (!stop) {
            std::vector<pollfd> fds;
            for (const int fd : listeners)
                fds.push_back({fd, POLLIN, 0});
            if (poll(fds.data(), fds.size(), 50) <= 0)
                continue;
            for (const auto& ready : fds) {
                if (ready.revents == 0)
                    continue;
                const int peer = accept(ready.fd, nullptr, nullptr);
                if (peer >= 0) {
                    ++connections;
                    close(peer);
                }
            }
        }
    });

    CalcBackend backend(office.office());
    EXPECT_FALSE(backend.IsRunning());
    EXPECT_EQ(backend.AttachRunning(), nullptr);
    stop = true;
    other.join();
    for (const int fd : listeners)
        close(fd);
    EXPECT_EQ(connections.load(), 0);
    EXPECT_TRUE(office.pids().empty()) << "an office was started";
}

TEST(CalcBinding, AnOfficeRunningWithoutOurPipeIsAskedToAcceptUs)
{
    TestOffice office;
    office.start(false, {"--calc"});
    ASSERT_FALSE(TestOffice::pipeAnswers(office.pipeName));
    const auto before = office.pids();

    CalcBackend backend(office.office());
    EXPECT_TRUE(backend.IsRunning());
    const auto application = backend.AttachRunning();
    ASSERT_NE(application, nullptr);
    EXPECT_TRUE(TestOffice::pipeAnswers(office.pipeName));

    const auto workbooks = application->Workbooks();
    ASSERT_EQ(workbooks->Count(), 1);
    OfficeProbe probe(office.pipeName);
    EXPECT_EQ(workbooks->Item(1)->Name(), probe.titles().at(0));
    // The soffice that passed the request on ends; no second office.
    const auto end = std::chrono::steady_clock::now() + 10s;
    while (office.pids() != before && std::chrono::steady_clock::now() < end)
        std::this_thread::sleep_for(50ms);
    EXPECT_EQ(office.pids(), before);
}

TEST(CalcBinding, TheDefaultProfileIsTheOneInTheUsersConfigurationDirectory)
{
    // A user of our own making: nothing of the real user's office is touched.
    const fs::path home = fs::path(testing::TempDir()) /
                          ("tonvale-calc-config-" + std::to_string(getpid()));
    const Environment configHome("XDG_CONFIG_HOME", home.string());
    TestOffice office;
    ASSERT_NO_FATAL_FAILURE(office.useDefaultProfileUnder(home.string()));
    ASSERT_NO_FATAL_FAILURE(office.start(false, {"--calc"}));

    // Our own pipe name all the same: the user's may be in use by a real
    // Tonvale.
    CalcBackend backend({"", office.pipeName});
    EXPECT_TRUE(backend.IsRunning());
    const auto application = backend.AttachRunning();
    ASSERT_NE(application, nullptr);
    EXPECT_EQ(application->Workbooks()->Count(), 1);
    EXPECT_TRUE(TestOffice::pipeAnswers(office.pipeName));
}

TEST(CalcBinding, LaunchStartsAVisibleOfficeOfItsOwnThatQuitsOnRequest)
{
    // A user's very first office: it sets up the profile and restarts once
    // before it listens.
    TestOffice office(true);
    CalcBackend backend(office.office());
    const auto started = std::chrono::steady_clock::now();
    const auto application = backend.Launch();
    ASSERT_NE(application, nullptr);
    const auto took = std::chrono::steady_clock::now() - started;
    std::cout << "[          ] launch took "
              << std::chrono::duration_cast<std::chrono::milliseconds>(took).count() << " ms\n";
    EXPECT_TRUE(backend.IsRunning());

    const auto pids = office.pids();
    ASSERT_FALSE(pids.empty());
    for (const pid_t pid : pids) {
        // Detached from us, with nothing of our terminal.
        EXPECT_NE(getsid(pid), getsid(0)) << pid;
        EXPECT_EQ(waitpid(pid, nullptr, WNOHANG), -1) << pid << " is no child of ours";
        for (const char* fd : {"0", "1", "2"})
            EXPECT_EQ(readLink("/proc/" + std::to_string(pid) + "/fd/" + fd), "/dev/null")
                << pid << " fd " << fd;
    }

    const auto name = application->Workbooks()->Add()->Name();
    {
        OfficeProbe probe(office.pipeName);
        const auto titles = probe.titles();
        ASSERT_FALSE(titles.empty());
        EXPECT_EQ(titles.back(), name);
        const auto model = probe.model(name);
        ASSERT_TRUE(model.is()) << name;
        const Reference<css::awt::XWindow2> window(
            model->getCurrentController()->getFrame()->getContainerWindow(),
            css::uno::UNO_QUERY_THROW);
        EXPECT_TRUE(window->isVisible());
    }

    application->Quit();
    EXPECT_TRUE(office.waitGone(30s));
    EXPECT_FALSE(backend.IsRunning());
    EXPECT_EQ(backend.AttachRunning(), nullptr);
}

TEST(CalcBinding, AnOfficeKilledBetweenTwoCallsIsNotRunningAnyMore)
{
    TestOffice office;
    office.start(true);
    const auto backend = std::make_shared<CalcBackend>(office.office());
    const auto application = backend->AttachRunning();
    ASSERT_NE(application, nullptr);
    const auto worksheet = application->Workbooks()->Add()->Worksheets()->Item(1);
    worksheet->Range("A1", "A1")->PutValue(std::int32_t{1});
    application->Flush();

    office.kill();

    // Objects of the dead office raise errors (a value held back, when it is
    // delivered); the office is no longer found.
    EXPECT_THROW(
        {
            worksheet->Range("A2", "A2")->PutValue(std::int32_t{2});
            application->Flush();
        },
        AutomationError);
    EXPECT_THROW(application->Workbooks()->Count(), AutomationError);
    EXPECT_FALSE(backend->IsRunning());
    EXPECT_EQ(backend->AttachRunning(), nullptr);
    EXPECT_TRUE(office.pids().empty()) << "nothing was started again";

    // What CExcel makes of it.
    const InstalledBackend installed(backend);
    GTestModalHook hook(__FILE__, __LINE__);
    const ExpectMessage notRunning(message1002);
    hook.AddExpectation(notRunning);
    CExcel excel;
    EXPECT_EQ(excel.SetValue(5, 1, 1, 1, 1, 0), 0);
    EXPECT_EQ(excel.GetCellActiveRow(1, 1), 0);
    const int values[] = {1, 2};
    EXPECT_EQ(excel.SetArrayValue(values, 2, 1, 1, 1, 1, 0, 0), 0);
    hook.CheckUnmetExpectations();
}

TEST(CalcBinding, AnOfficeKilledDuringACallEndsTheCallWithAnError)
{
    TestOffice office;
    office.start(true);
    const auto backend = std::make_shared<CalcBackend>(office.office());
    const auto application = backend->AttachRunning();
    ASSERT_NE(application, nullptr);
    application->Workbooks()->Add();
    const InstalledBackend installed(backend);

    // A run far longer than the office lives.
    const std::vector<double> values(200000, 1.5);
    std::atomic<bool> writing{false};
    std::thread killer([&] {
        while (!writing)
            std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(500ms);
        office.kill();
    });
    CExcel excel;
    writing = true;
    const auto started = std::chrono::steady_clock::now();
    EXPECT_THROW(excel.SetArrayValue(values.data(), static_cast<int>(values.size()), 1, 1, 1, 1, 1, 0),
                 AutomationError);
    killer.join();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 60s);
    EXPECT_FALSE(backend->IsRunning());
    EXPECT_EQ(backend->AttachRunning(), nullptr);
}

TEST(CalcBinding, AProgramEndsCleanlyWithItsBackendStillConnected)
{
    TestOffice office;
    office.start(true);
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        dup2(out[1], 1);
        execl(EXIT_WITH_BACKEND, EXIT_WITH_BACKEND, office.profileUrl.c_str(),
              office.pipeName.c_str(), nullptr);
        _exit(127);
    }
    close(out[1]);
    std::string printed;
    char buffer[256];
    for (ssize_t got; (got = read(out[0], buffer, sizeof buffer)) > 0;)
        printed.append(buffer, static_cast<std::size_t>(got));
    close(out[0]);
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by signal " << (WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);

    // What it wrote stays, and the office carries on without it.
    ASSERT_FALSE(printed.empty());
    const std::string workbook = printed.substr(0, printed.find('\n'));
    OfficeProbe probe(office.pipeName);
    EXPECT_EQ(probe.cell(workbook, "Sheet1", "A1")->getValue(), 42);
    Reference<css::util::XCloseable>(probe.model(workbook), css::uno::UNO_QUERY_THROW)->close(true);
    EXPECT_EQ(probe.model(workbook), nullptr);
    EXPECT_TRUE(office.running());
}

namespace {

// A directory of the test's own with, when lasting is given, an soffice
// that only notes each start in a file and ends after lasting seconds
// without starting any office.
struct FakeOffice {
    explicit FakeOffice(const char* lasting = nullptr)
    {
        fs::create_directories(dir);
        if (lasting == nullptr)
            return;
        const auto soffice = dir / "soffice";
        std::ofstream(soffice) << "#!/bin/sh\necho started >> '" << starts.string()
                               << "'\nexec /bin/sleep " << lasting << "\n";
        fs::permissions(soffice, fs::perms::owner_all);
    }
    ~FakeOffice()
    {
        std::error_code ignored;
        fs::remove_all(dir, ignored);
    }
    int startCount() const
    {
        std::ifstream in(starts);
        int count = 0;
        for (std::string line; std::getline(in, line);)
            ++count;
        return count;
    }

    const fs::path dir = fs::path(testing::TempDir()) /
                         ("tonvale-fake-office-" + std::to_string(getpid()));
    const fs::path starts = dir / "starts";
};

// Listens on a local pipe as an office's single-instance pipe does, taking
// no requests.
class Listener {
public:
    explicit Listener(const std::string& path) : path(path)
    {
        fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        path.copy(address.sun_path, sizeof address.sun_path - 1);
        std::error_code ignored;
        fs::remove(path, ignored);
        EXPECT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0) << path;
        EXPECT_EQ(listen(fd, 16), 0);
    }
    ~Listener() { close(); }
    void close()
    {
        if (fd >= 0)
            ::close(fd);
        fd = -1;
        std::error_code ignored;
        fs::remove(path, ignored);
    }

private:
    std::string path;
    int fd = -1;
};

} // namespace

TEST(CalcBinding, WithoutSofficeOnThePathStartingAnOfficeFailsAtOnce)
{
    TestOffice office(true);
    const FakeOffice nothing;
    const Environment path("PATH", nothing.dir.string());
    CalcBackend backend(office.office());
    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(backend.Launch(), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 2s);

    // The dialog's "新規作成" reports it at once.
    const InstalledBackend installed(std::make_shared<CalcBackend>(office.office()));
    GTestModalHook hook(__FILE__, __LINE__);
    const ExpectMessage cannotStart("Excel を起動できません。");
    hook.AddExpectation(cannotStart);
    CExcelAutomation excel;
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(excel.AddWorkbook(), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 2s);
    hook.CheckUnmetExpectations();
}

TEST(CalcBinding, AnOfficeThatCouldNotBeReachedIsNotWaitedForAgainAtOnce)
{
    TestOffice office(true);
    FakeOffice fake("0");
    const Environment path("PATH", fake.dir.string());
    // Something answers on the profile's single-instance pipe, as an office
    // busy elsewhere would; it never lets us in.
    const auto singleInstance = TestOffice::pipePath(TestOffice::singleInstancePipe(office.profileUrl));
    Listener busy(singleInstance);
    std::thread goes([&] {
        while (fake.startCount() == 0)
            std::this_thread::sleep_for(20ms);
        std::this_thread::sleep_for(500ms);
        busy.close();
    });
    CalcBackend backend(office.office());
    EXPECT_EQ(backend.AttachRunning(), nullptr);
    goes.join();
    EXPECT_EQ(fake.startCount(), 1);

    // It answers again at once, and is not asked: binding fails at once.
    const Listener again(singleInstance);
    const auto asked = std::chrono::steady_clock::now();
    EXPECT_EQ(backend.AttachRunning(), nullptr);
    EXPECT_LT(std::chrono::steady_clock::now() - asked, 1s);
    EXPECT_EQ(fake.startCount(), 1) << "no second start";
}

TEST(CalcBinding, WhileAnOfficeIsStartingTheProgramKeepsRepaintingUnderTheWaitCursor)
{
    TestOffice office(true);
    const FakeOffice slow("1.5");
    const Environment path("PATH", slow.dir.string());
    const InstalledBackend installed(std::make_shared<CalcBackend>(office.office()));

    int ticks = 0;
    bool alwaysBusy = true;
    wxTimer timer;
    timer.Bind(wxEVT_TIMER, [&](wxTimerEvent&) {
        ++ticks;
        alwaysBusy = alwaysBusy && wxIsBusy();
    });
    timer.Start(100);
    GTestModalHook hook(__FILE__, __LINE__);
    const ExpectMessage cannotStart("Excel を起動できません。");
    hook.AddExpectation(cannotStart);
    CExcelAutomation excel;
    EXPECT_EQ(excel.AddWorkbook(), 0);
    hook.CheckUnmetExpectations();
    timer.Stop();
    EXPECT_GE(ticks, 5) << "events were handled while the office was awaited";
    EXPECT_TRUE(alwaysBusy) << "under the wait cursor";
    EXPECT_EQ(slow.startCount(), 1);
}
