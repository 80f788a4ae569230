#include "GuiTest.h"

#include "ExceptionReport.h"
#include "Placement.h"
#include "SessionEnd.h"
#include "SingleInstance.h"

#include <csignal>
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

class SingleInstanceTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir = std::filesystem::temp_directory_path() /
              ("tonvale-single-" + std::to_string(getpid()));
        std::filesystem::create_directories(dir);
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::filesystem::path dir;
};

TEST_F(SingleInstanceTest, TheSecondStartFindsTheFirstAndAsksItToComeForward)
{
    int activations = 0;
    {
        SingleInstance first("CRAZY_SX4810K", dir);
        ASSERT_TRUE(first.claim([&] { ++activations; }));

        SingleInstance second("CRAZY_SX4810K", dir);
        EXPECT_FALSE(second.claim([] { FAIL() << "the second instance must not listen"; }));
        EXPECT_TRUE(second.activateFirst());
        EXPECT_TRUE(pumpUntil([&] { return activations == 1; }));
    }
    // Once the first has ended the name is free again, even though a socket
    // file of a crashed instance would still be lying there.
    SingleInstance later("CRAZY_SX4810K", dir);
    EXPECT_TRUE(later.claim([] {}));
    SingleInstance other("OTHER_NAME", dir);
    EXPECT_TRUE(other.claim([] {}));
}

TEST_F(SingleInstanceTest, NobodyToActivateWhenNoInstanceRuns)
{
    SingleInstance alone("CRAZY_SX4810K", dir);
    EXPECT_FALSE(alone.activateFirst());
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
