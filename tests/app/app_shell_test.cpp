#include "GuiTest.h"

#include "AboutDialog.h"
#include "ExceptionReport.h"
#include "Layout.h"
#include "MeasureInfoDialog.h"
#include "MeasurementRecord.h"
#include "Placement.h"
#include "StatusLine.h"
#include "RemoteMeasureDialog.h"
#include "SessionEnd.h"
#include "SingleInstance.h"
#include "TempDir.h"

#include "Platform.h"

#ifdef _WIN32
#include <wx/frame.h>
#else
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <poll.h>
#include <unistd.h>
#endif

#include <csignal>
#include <cstring>
#include <fstream>
#include <functional>
#include <filesystem>
#include <stdexcept>

using namespace tonvale;

TEST(Placement, ShiftsTheStoredRectangleOntoTheDesktop)
{
    const Rect desktop{0, 0, 1280, 1024};
    struct Case {
        const char* what;
        Rect stored;
        Rect placed;
    } cases[] = {
        {"inside stays", {100, 100, 400, 400}, {100, 100, 400, 400}},
        {"over the left edge moves right", {-50, 10, 250, 310}, {0, 10, 300, 310}},
        {"over the top edge moves down", {10, -20, 310, 280}, {10, 0, 310, 300}},
        {"over the right edge moves left", {1200, 10, 1500, 310}, {980, 10, 1280, 310}},
        {"over the bottom edge moves up", {10, 900, 310, 1200}, {10, 724, 310, 1024}},
        // Wider than the desktop: both rules apply and the right edge wins.
        {"over both sides: the right edge wins", {-100, 0, 1400, 200}, {-220, 0, 1280, 200}},
        {"over top and bottom: the bottom edge wins", {0, -10, 100, 1100}, {0, -86, 100, 1024}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(shiftOntoDesktop(c.stored, desktop), c.placed) << c.what;
}

TEST(Placement, DefaultIsTheWindowCentredWithTruncatingDivisions)
{
    EXPECT_EQ(centredOn({0, 0, 1281, 1023}, 301, 201), (Rect{640 - 150, 511 - 100, 640 + 150, 511 + 100}));
}

TEST(ExceptionReport, AHandlersExceptionIsShownAndSwallowed)
{
    struct Thrower : wxEvtHandler {
        void onEvent(wxEvent&) { throw std::runtime_error("Automation error: gone"); }
    } handler;
    wxCommandEvent event(wxEVT_MENU, 1);
    wxTEST_DIALOG(callHandlerReportingErrors(&handler,
                                             static_cast<wxEventFunction>(&Thrower::onEvent), event),
                  ExpectMessage("Automation error: gone"));
}

#ifdef _WIN32
// Windows: the named mutex says whether an instance runs, the window property
// of the same name finds its main window.
TEST(SingleInstance, TheSecondStartFindsTheMarkedWindowAndBringsItForward)
{
    const std::string name = "TONVALE_TEST_" + std::to_string(processId());
    SingleInstance first(name);
    ASSERT_EQ(first.claim({}), SingleInstance::Claim::First);
    SingleInstance second(name);
    EXPECT_EQ(second.claim({}), SingleInstance::Claim::Second);
    EXPECT_FALSE(second.activateFirst()) << "no main window is marked yet";

    auto* main = new wxFrame(nullptr, wxID_ANY, "main");
    main->Show();
    main->Iconize();
    first.markMainWindow(*main);
    EXPECT_TRUE(second.activateFirst());
    EXPECT_TRUE(pumpUntil([&] { return !main->IsIconized(); })) << "the main window stayed minimised";

    // A destroyed main window is no longer found.
    main->Destroy();
    EXPECT_TRUE(pumpUntil([&] { return !second.activateFirst(); }));
}

TEST(SingleInstance, OtherNamesDoNotCount)
{
    SingleInstance first("TONVALE_TEST_A_" + std::to_string(processId()));
    ASSERT_EQ(first.claim({}), SingleInstance::Claim::First);
    SingleInstance other("TONVALE_TEST_B_" + std::to_string(processId()));
    EXPECT_EQ(other.claim({}), SingleInstance::Claim::First);
}
#else
class SingleInstanceTest : public testing::Test {
protected:
    TempDir temp;
    const std::string dir = temp.path("run");
};

using Claim = SingleInstance::Claim;

TEST_F(SingleInstanceTest, TheSecondStartFindsTheFirstAndAsksItToComeForward)
{
    int activations = 0;
    {
        SingleInstance first("CRAZY_SX4810K", dir);
        ASSERT_EQ(first.claim([&] { ++activations; }), Claim::First);

        SingleInstance second("CRAZY_SX4810K", dir);
        EXPECT_EQ(second.claim([] { FAIL() << "the second instance must not listen"; }), Claim::Second);
        EXPECT_TRUE(second.activateFirst());
        EXPECT_TRUE(pumpUntil([&] { return activations == 1; }));
    }
    // Once the first has ended the name is free again, even though a socket
    // file of a crashed instance would still be lying there.
    SingleInstance later("CRAZY_SX4810K", dir);
    EXPECT_EQ(later.claim([] {}), Claim::First);
    SingleInstance other("OTHER_NAME", dir);
    EXPECT_EQ(other.claim([] {}), Claim::First);
}

TEST_F(SingleInstanceTest, NobodyToActivateWhenNoInstanceRuns)
{
    SingleInstance alone("CRAZY_SX4810K", dir);
    EXPECT_FALSE(alone.activateFirst());
}

TEST_F(SingleInstanceTest, WithoutARuntimeDirectoryTheRendezvousIsInADirectoryOfTheUsersOwn)
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string savedRuntime = runtime ? runtime : "";
    const char* tmp = std::getenv("TMPDIR");
    const std::string savedTmp = tmp ? tmp : "";
    ::unsetenv("XDG_RUNTIME_DIR");
    ::setenv("TMPDIR", temp.path("").c_str(), 1);
    const std::string chosen = SingleInstance::defaultDirectory();
    runtime ? ::setenv("XDG_RUNTIME_DIR", savedRuntime.c_str(), 1) : ::unsetenv("XDG_RUNTIME_DIR");
    tmp ? ::setenv("TMPDIR", savedTmp.c_str(), 1) : ::unsetenv("TMPDIR");

    EXPECT_EQ(std::filesystem::path(chosen),
              std::filesystem::path(temp.path("")) / ("tonvale-" + std::to_string(::geteuid())));
    SingleInstance first("CRAZY_SX4810K", chosen);
    ASSERT_EQ(first.claim([] {}), Claim::First);
    struct stat info {};
    ASSERT_EQ(::lstat(chosen.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(info.st_mode & 07777, 0700u);
}

TEST_F(SingleInstanceTest, ARendezvousOthersCouldHaveMadeIsRefusedWithAReason)
{
    const bool root = ::geteuid() == 0;
    const std::string lock = dir + "/CRAZY_SX4810K.lock";
    struct Case {
        const char* what;
        bool needsRoot; // to play the other user
        std::function<void()> setUp;
        std::string path;
        std::string reason;
    };
    const Case cases[] = {
        {"the directory is a link", false,
         [&] {
             std::filesystem::create_directory(temp.path("elsewhere"));
             std::filesystem::create_directory_symlink(temp.path("elsewhere"), dir);
         },
         dir, "フォルダではありません。"},
        {"others may write into the directory", false,
         [&] {
             std::filesystem::create_directory(dir);
             ::chmod(dir.c_str(), 0777);
         },
         dir, "ほかのユーザーも書き込めます。"},
        {"the lock file is a link", false,
         [&] {
             std::filesystem::create_directory(dir);
             ::chmod(dir.c_str(), 0700);
             std::filesystem::create_symlink(temp.path("elsewhere.lock"), lock);
         },
         lock, std::strerror(ELOOP)},
        {"another user's directory", true,
         [&] {
             std::filesystem::create_directory(dir);
             ::chmod(dir.c_str(), 0700);
             ASSERT_EQ(::chown(dir.c_str(), 65534, 65534), 0);
         },
         dir, "このユーザーのものではありません。"},
        {"another user's lock file", true,
         [&] {
             std::filesystem::create_directory(dir);
             ::chmod(dir.c_str(), 0700);
             std::ofstream(lock).put('x');
             ASSERT_EQ(::chown(lock.c_str(), 65534, 65534), 0);
         },
         lock, "このユーザーのものではありません。"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.needsRoot && !root)
            continue;
        std::filesystem::remove_all(dir);
        c.setUp();
        SingleInstance instance("CRAZY_SX4810K", dir);
        EXPECT_EQ(instance.claim([] {}), Claim::Failed);
        const std::string kind = c.path == dir ? "フォルダ " : "ファイル ";
        EXPECT_EQ(instance.failure(), "多重起動を防ぐための" + kind + c.path + " を使用できません。\n" +
                                          c.reason + "\n処理を中止します。");
    }
}

TEST_F(SingleInstanceTest, OnlyASocketOfTheUsersOwnIsAskedToComeForward)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "a socket of another user needs root";
    std::filesystem::create_directory(dir);
    ::chmod(dir.c_str(), 0700);
    const std::string path = dir + "/CRAZY_SX4810K.sock";
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(::listen(listener, 4), 0);
    ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);

    SingleInstance second("CRAZY_SX4810K", dir);
    EXPECT_FALSE(second.activateFirst());
    pollfd incoming{listener, POLLIN, 0};
    EXPECT_EQ(::poll(&incoming, 1, 100), 0) << "someone connected to the other user's socket";
    ::close(listener);
}

TEST(SessionEnd, TheSignalsOfTheSessionReachTheUiThreadFromItsEventLoop)
{
    for (const int signal : {SIGTERM, SIGHUP}) {
        SCOPED_TRACE(signal);
        int calls = 0;
        bool onUiThread = false;
        callOnSessionEnd([&] {
            ++calls;
            onUiThread = wxIsMainThread();
        });
        std::raise(signal);
        EXPECT_TRUE(pumpUntil([&] { return calls == 1; }));
        EXPECT_TRUE(onUiThread);
    }
    callOnSessionEnd({});
}
#endif

TEST(DialogLayout, EveryControlOfTheProgramsSmallDialogsFitsItsCaptionAndNoneOverlaps)
{
    AboutDialog about(nullptr);
    EXPECT_EQ(expectTidyLayout(about), 3u);

    MeasurementRecord record(nullptr, ".");
    MeasureInfoDialog measure(nullptr, record);
    measure.InitDialog();
    EXPECT_EQ(expectTidyLayout(measure), 8u);

    RemoteMeasureDialog remote(nullptr);
    EXPECT_EQ(expectTidyLayout(remote), 2u);
}

TEST(StatusLine, SaysWhatIsKnownAndWhatIsNot)
{
    using tonvale::StatusFacts;
    struct Case {
        StatusFacts facts;
        std::string text;
    };
    const Case cases[] = {
        {{"COM1", "", -1, -1, -1, 1, 0, 0, 0, ""},
         "COM1  機種未確認  校正状態未確認\n測定条件未確認\nL*a*b*  D65/10°  リモート測定: オフ\n"},
        {{"COM3", "SX-4800k", 0, 0, 0, 0, 4, 1, 1, "白色校正中..."},
         "COM3  SX-4800k  未校正\nSCI  MAV (8mm)\n分光データ  リモート測定: オン\n白色校正中..."},
        {{"COM1", "SX-4810k", 1, 1, 1, 1, 10, 1, 0, ""},
         "COM1  SX-4810k  白色校正未実施\nSCI+SCE  SAV (3mm)\nL*a*b*  F12/2°  リモート測定: オフ\n"},
        {{"COM1", "SX-4810k", 2, 0, 1, 1, 42, 0, 0, ""},
         "COM1  SX-4810k  校正済み\nSCI+SCE  MAV (8mm)\nL*a*b*  ?/10°  リモート測定: オフ\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(tonvale::statusText(c.facts), c.text);
}
