// The receive time-outs, in real time: a calibration reply may take up to
// 31 s, every other command gets 10 s again afterwards, and switching remote
// measurement off takes no longer than one command however much data keeps
// arriving.

#include "InstrumentFixture.h"

#include "CalibrationPromptDialog.h"
#include "OutputDestination.h"

#include <atomic>
#include <thread>

using namespace tonvale;

namespace instrumenttest {
namespace {

using namespace std::chrono_literals;

// The next command is not answered: it must fail with the link's time-out
// message after 10 s.
void expectTenSecondTimeout(sxsim::SimProcess& sim, Instrument& instrument)
{
    sim.command("SILENT");
    const auto start = std::chrono::steady_clock::now();
    std::string model;
    wxTEST_DIALOG(EXPECT_FALSE(instrument.identify(model)), ExpectMessage(linkTimeout));
    const double seconds = secondsSince(start);
    EXPECT_GE(seconds, 10.0);
    EXPECT_LT(seconds, 12.0);
}

TEST_F(InstrumentTest, ACalibrationReplyAfterTwentySecondsIsAccepted)
{
    sim.command("FLAGS 00000000");
    const auto start = std::chrono::steady_clock::now();
    bool result = false;
    wxTEST_DIALOG(result = instrument.calibrateZero(),
                  ExpectDialog<CalibrationPromptDialog>([this](CalibrationPromptDialog&) {
                      sim.command("DELAY 20");
                      return wxID_OK;
                  }));
    EXPECT_TRUE(result);
    EXPECT_GE(secondsSince(start), 20.0);
    EXPECT_NE(sim.command("STATE").find("flags=10000000"), std::string::npos);
    expectTenSecondTimeout(sim, instrument);
}

TEST_F(InstrumentTest, AfterAFailedRemoteMeasurementCommandsTimeOutAfterTenSeconds)
{
    sim.command("FLAGS 22222222");
    std::atomic<bool> done{false};
    bool result = true;
    std::thread worker;
    wxTEST_DIALOG({
        worker = std::thread([&] {
            result = instrument.remoteMeasure(0, OutputText);
            done = true;
        });
        ASSERT_TRUE(pumpUntil([this] {
            for (const auto& entry : sim.log())
                if (entry.bytes == "SWE\r\n")
                    return true;
            return false;
        }));
        sim.command("CODE ER10");
        sim.command("PRESS");
        EXPECT_TRUE(pumpUntil([&] { return done.load(); }));
    }, ExpectMessage("データエラー(ER10)"), ExpectMessage(measureFailed));
    if (!done)
        instrument.cancelRemote();
    worker.join();
    EXPECT_FALSE(result);
    expectTenSecondTimeout(sim, instrument);
}

// The line at its real speed, so that data lines take their time.
class PacedInstrumentTest : public InstrumentTest {
protected:
    PacedInstrumentTest() : InstrumentTest(sxsim::SimOptions{"COM1", true}) {}
};

TEST_F(PacedInstrumentTest, DataLinesThatKeepComingEndTheSwitchOffAfterTheCommandTimeOut)
{
    sim.command("FLAGS 22222222");
    sim.command("CONDITIONS 0 0");
    std::string acknowledgement;
    EXPECT_NO_DIALOG(ASSERT_TRUE(instrument.exchange("SWE\r\n", acknowledgement)));
    // Some 15 s of spectral lines at 9600 baud before the reply to SWD.
    for (int i = 0; i < 65; ++i)
        sim.command("PRESS");
    const auto start = std::chrono::steady_clock::now();
    bool result = true;
    wxTEST_DIALOG(result = instrument.disableRemote(), ExpectMessage(unexpectedData));
    const double seconds = secondsSince(start);
    EXPECT_FALSE(result);
    EXPECT_GE(seconds, Instrument::commandTimeout);
    EXPECT_LT(seconds, Instrument::commandTimeout + 2.5);
    EXPECT_EQ(instrument.receiveTimeout(), Instrument::commandTimeout);
}

} // namespace
} // namespace instrumenttest
