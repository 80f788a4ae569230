// The measurement started with the instrument's own button: remoteMeasure on
// a worker thread, as the main window runs it, against the simulator.

#include "InstrumentFixture.h"

#include "OutputDestination.h"

#include <algorithm>
#include <atomic>
#include <thread>

using namespace tonvale;

namespace instrumenttest {
namespace {

using namespace std::chrono_literals;

const std::vector<std::string> remoteCommands{"IDR\r\n", "CPR\r\n", "STR\r\n", "CPS,0,1\r\n",
                                              "SWE\r\n", "SWD\r\n"};

class RemoteTest : public InstrumentTest {
protected:
    void SetUp() override
    {
        InstrumentTest::SetUp();
        sim.command("FLAGS 22222222");
        sim.command("CONDITIONS 0 1");
    }

    void TearDown() override
    {
        // Never leave a worker behind, whatever failed.
        if (worker.joinable()) {
            instrument.cancelRemote();
            worker.join();
        }
    }

    void start(int dataType = 0, int destination = OutputText)
    {
        done = false;
        worker = std::thread([this, dataType, destination] {
            result = instrument.remoteMeasure(dataType, destination);
            done = true;
        });
    }

    // Keeps the UI thread serving the worker's messages until it is done.
    bool finish()
    {
        EXPECT_TRUE(pumpUntil([this] { return done.load(); }, 15s)) << "the worker is still waiting";
        if (!done)
            instrument.cancelRemote();
        worker.join();
        return result;
    }

    bool received(const std::string& command)
    {
        const auto log = sim.log();
        return std::any_of(log.begin(), log.end(), [&](const auto& entry) { return entry.bytes == command; });
    }

    // Until the instrument has been switched to remote mode.
    void awaitRemoteMode()
    {
        ASSERT_TRUE(pumpUntil([this] { return received("SWE\r\n"); }, 10s));
    }

    // The next command after a remote measurement gets its own reply.
    void expectCleanLine()
    {
        std::string model;
        EXPECT_NO_DIALOG(EXPECT_TRUE(instrument.identify(model)));
        EXPECT_EQ(model, "SX-4810k");
        EXPECT_EQ(commands(), std::vector<std::string>{"IDR\r\n"});
        EXPECT_EQ(instrument.receiveTimeout(), Instrument::commandTimeout);
    }

    std::thread worker;
    std::atomic<bool> done{false};
    bool result = false;
};

TEST_F(RemoteTest, TheButtonsMeasurementIsDecodedAndStamped)
{
    // The button sends what the instrument is set to, which need not be
    // the data type asked for: the lines are taken as what they are.
    struct Case {
        int dataType;
        int destination;
        const char* press;
        int commas;
        int received;
    };
    const Case cases[] = {
        {0, OutputText, "PRESS", 39, 0},
        {1, OutputSpreadsheet, "PRESS LAB 0 0", 3, 1},
        {1, OutputText, "PRESS", 39, 0},
        {0, OutputSpreadsheet, "PRESS LAB 0 0", 3, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.press);
        record.stampDateTime(0);
        const std::string unstamped = record.dateTime();
        EXPECT_NO_DIALOG({
            start(c.dataType, c.destination);
            awaitRemoteMode();
            EXPECT_EQ(sim.command(c.press), "2");
            EXPECT_TRUE(finish());
        });
        EXPECT_EQ(commands(), remoteCommands);
        for (int line = 0; line < 2; ++line) {
            const std::string& data = instrument.dataLines()[line];
            EXPECT_EQ(std::count(data.begin(), data.end(), ','), c.commas) << data;
        }
        EXPECT_EQ(record.lineCount(), 2);
        EXPECT_EQ(record.dataType(), c.received);
        EXPECT_EQ(record.componentLabel(1), "SCE");
        EXPECT_NE(record.dateTime(), unstamped);
        EXPECT_NE(sim.command("STATE").find("remote=0"), std::string::npos);
        expectCleanLine();
    }
}

TEST_F(RemoteTest, ACancelledWaitSwitchesRemoteModeOff)
{
    wxTEST_DIALOG({
        start();
        awaitRemoteMode();
        std::this_thread::sleep_for(200ms); // well into the wait
        instrument.cancelRemote();
        EXPECT_FALSE(finish());
    }, ExpectMessage(measureFailed));
    EXPECT_EQ(commands(), remoteCommands);
    EXPECT_NE(sim.command("STATE").find("remote=0"), std::string::npos);
    // The button now sends nothing.
    EXPECT_EQ(sim.command("PRESS"), "0");
    expectCleanLine();
}

TEST_F(RemoteTest, ACancelBeforeTheWaitEndsItAsItBegins)
{
    instrument.cancelRemote();
    wxTEST_DIALOG({
        start();
        EXPECT_FALSE(finish());
    }, ExpectMessage(measureFailed));
    EXPECT_EQ(commands(), remoteCommands);
    expectCleanLine();

    // The cancel is used up: the next remote measurement waits for the button.
    EXPECT_NO_DIALOG({
        start();
        awaitRemoteMode();
        std::this_thread::sleep_for(200ms);
        EXPECT_FALSE(done);
        sim.command("PRESS");
        EXPECT_TRUE(finish());
    });
}

TEST_F(RemoteTest, DataLinesArrivingAsTheWaitIsCancelledAreNotTakenForReplies)
{
    wxTEST_DIALOG({
        start();
        awaitRemoteMode();
        instrument.cancelRemote();
        // The button is pressed while the worker waits for its message box to
        // be answered (this thread does not serve it yet), so that both data
        // lines are on the line before the switch-off.
        std::this_thread::sleep_for(50ms);
        EXPECT_EQ(sim.command("PRESS"), "2");
        EXPECT_FALSE(finish());
    }, ExpectMessage(measureFailed));
    EXPECT_EQ(commands(), remoteCommands);
    expectCleanLine();
    int area = -1, both = -1, component = -1, uv = -1;
    EXPECT_NO_DIALOG(EXPECT_TRUE(instrument.readConditions(area, both, component, uv)));
    EXPECT_EQ(both, 1);
}

TEST_F(RemoteTest, AFailingDataLineShowsItsCodeAndSwitchesRemoteModeOff)
{
    wxTEST_DIALOG({
        start();
        awaitRemoteMode();
        sim.command("CODE ER10");
        sim.command("PRESS");
        EXPECT_FALSE(finish());
    }, ExpectMessage("データエラー(ER10)"), ExpectMessage(measureFailed));
    EXPECT_EQ(commands(), remoteCommands);
    EXPECT_NE(sim.command("STATE").find("remote=0"), std::string::npos);
    expectCleanLine();
}

TEST_F(RemoteTest, ADataLineThatCannotBeDecodedFailsWithMessage148)
{
    wxTEST_DIALOG({
        start();
        awaitRemoteMode();
        sim.command("REPLY OK00,1.00,22.50");
        sim.command("PRESS LAB 0 0");
        EXPECT_FALSE(finish());
    }, ExpectMessage(measureFailed));
    EXPECT_EQ(commands(), remoteCommands);
    EXPECT_NE(sim.command("STATE").find("remote=0"), std::string::npos);
    expectCleanLine();
}

TEST_F(RemoteTest, AnOddReplyToTheSwitchOffIsJudgedLikeAnyReply)
{
    std::string acknowledgement;
    EXPECT_NO_DIALOG(ASSERT_TRUE(instrument.exchange("SWE\r\n", acknowledgement)));
    struct Case {
        const char* lines; // data lines still on their way, then the reply
        bool success;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"XX00", false, {unexpectedData}},
        {"OK00,1.00,22.50,-3.25\\r\\nER02", false, {"電池電圧低下エラー(ER02)"}},
        // The rest of a line that a cancelled wait cut short.
        {"22.50,-3.25\\r\\n-3.25\\r\\nOK00", true, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        sim.command(std::string("REPLY ") + c.lines);
        const auto start = std::chrono::steady_clock::now();
        expectMessages(c.messages, [&] { EXPECT_EQ(instrument.disableRemote(), c.success); });
        EXPECT_LT(secondsSince(start), 2.0);
    }
}

TEST_F(RemoteTest, NothingIsWaitedForWhenTheMeasurementCannotBeTaken)
{
    struct Case {
        const char* setup;
        int dataType;
        std::string message;
    };
    const Case cases[] = {
        {"FLAGS 21000000", 0, notCalibrated},
        {"FLAGS 22222222", 2, measureFailed},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setup);
        sim.command(c.setup);
        wxTEST_DIALOG({
            start(c.dataType);
            EXPECT_FALSE(finish());
        }, ExpectMessage(c.message));
        EXPECT_EQ(commands(), (std::vector<std::string>{"IDR\r\n", "CPR\r\n", "STR\r\n", "CPS,0,1\r\n"}));
    }

    instrument.closePort();
    wxTEST_DIALOG({
        start();
        EXPECT_FALSE(finish());
    }, ExpectMessage(portClosed));
    EXPECT_TRUE(commands().empty());
}

} // namespace
} // namespace instrumenttest
