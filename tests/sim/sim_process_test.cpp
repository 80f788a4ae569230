// The simulator as a process: its port link, its command log, its timing
// and its command line.

#include "SimFixture.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <utility>

namespace simtest {
namespace {

namespace fs = std::filesystem;

long long nowMs()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Output and exit status of sxsim run with the given arguments.
std::pair<std::string, int> runSxsim(const std::string& arguments)
{
    FILE* pipe = popen((std::string(SXSIM_PATH) + " " + arguments + " 2>&1").c_str(), "r");
    std::string output;
    char buffer[512];
    while (std::size_t n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    const int status = pclose(pipe);
    return {output, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

TEST(SimProcess, TheLinkLeadsToTheLineAndGoesAtEveryStopSignal)
{
    for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
        sxsim::SimProcess sim;
        ASSERT_TRUE(fs::is_symlink(sim.linkPath())) << sim.linkPath();
        EXPECT_EQ(fs::read_symlink(sim.linkPath()).string(), sim.slavePath());
        EXPECT_EQ(fs::path(sim.linkPath()).filename(), "COM1");
        EXPECT_EQ(sim.stop(signal), 0) << "signal " << signal << "\n" << sim.output();
        EXPECT_FALSE(fs::exists(fs::symlink_status(sim.linkPath()))) << "signal " << signal;
    }
}

TEST(SimProcess, QuitEndsItCleanlyUnderAnyPortName)
{
    sxsim::SimOptions options;
    options.portName = "COM9";
    sxsim::SimProcess sim(options);
    EXPECT_EQ(fs::path(sim.linkPath()).filename(), "COM9");
    ASSERT_TRUE(fs::is_symlink(sim.linkPath()));
    EXPECT_EQ(sim.command("QUIT"), "");
    EXPECT_EQ(sim.stop(), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(sim.linkPath())));
}

TEST(SimProcess, TheProductOptionSetsTheIdentity)
{
    sxsim::SimOptions options;
    options.productId = 13;
    sxsim::SimProcess sim(options);
    SimLine line(sim.linkPath());
    EXPECT_EQ(line.exchange("IDR").value_or("<no reply>"), "OK00,13\r\n");
}

TEST(SimProcess, TheLineSurvivesTheProgramClosingAndReopeningIt)
{
    sxsim::SimProcess sim;
    for (int round = 0; round < 3; ++round) {
        SimLine line(sim.linkPath());
        EXPECT_EQ(line.exchange("CPS,0," + std::to_string(round)).value_or(""), "OK00\r\n");
        EXPECT_EQ(line.exchange("CPR").value_or(""),
                  "OK00,0," + std::to_string(round) + "\r\n");
    }
}

TEST(SimProcess, RepliesSentWhileNobodyHasTheLineOpenAreLost)
{
    sxsim::SimProcess sim;
    {
        SimLine line(sim.linkPath());
        sim.command("DELAY 0.3");
        line.send("IDR\r\n");
        std::this_thread::sleep_for(100ms);
    }
    std::this_thread::sleep_for(500ms);
    SimLine line(sim.linkPath());
    EXPECT_EQ(line.exchange("CPR").value_or("<no reply>"), "OK00,0,0\r\n");
}

TEST(SimProcess, ASecondSimulatorCannotTakeARunningOnesControlSocket)
{
    sxsim::SimProcess sim;
    const auto [output, status] = runSxsim("--link COM1 --control " + sim.controlPath());
    EXPECT_EQ(status, 1) << output;
    EXPECT_NE(output.find("in use"), std::string::npos) << output;
    EXPECT_EQ(fs::read_symlink(sim.linkPath()).string(), sim.slavePath());
    EXPECT_EQ(sim.command("PING"), "");
}

using SimLog = SimFixture;

TEST_F(SimLog, EveryCommandLineIsLoggedWithItsArrivalTime)
{
    const long long before = nowMs();
    line.send("IDR\r\n");
    ASSERT_TRUE(line.readLine());
    std::this_thread::sleep_for(150ms);
    line.send("CPS,1,0\r\n");
    ASSERT_TRUE(line.readLine());
    line.send(std::string("x\0y\n", 4));
    ASSERT_TRUE(line.readLine());
    const long long after = nowMs();

    const std::vector<sxsim::ReceivedCommand> log = sim.log();
    ASSERT_EQ(log.size(), 3u);
    EXPECT_EQ(log[0].bytes, "IDR\r\n");
    EXPECT_EQ(log[1].bytes, "CPS,1,0\r\n");
    EXPECT_EQ(log[2].bytes, std::string("x\0y\n", 4));
    EXPECT_GE(log[0].ms, before);
    EXPECT_GE(log[1].ms - log[0].ms, 150);
    EXPECT_LE(log[2].ms, after);

    sim.command("CLEARLOG");
    EXPECT_TRUE(sim.log().empty());
}

class SimTiming : public SimFixture {
protected:
    static sxsim::SimOptions slowInstrument()
    {
        sxsim::SimOptions options;
        options.measureMs = 400;
        options.calibrateMs = 700;
        return options;
    }
    SimTiming() : SimFixture(slowInstrument()) {}

    std::chrono::steady_clock::duration timed(const char* command, std::size_t lines)
    {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(replies(command, lines).size(), lines) << command;
        return std::chrono::steady_clock::now() - start;
    }
};

TEST_F(SimTiming, MeasuringAndCalibratingTakeTheInstrumentsTime)
{
    sim.command("FLAGS 22222222");
    EXPECT_LT(timed("IDR", 1), 300ms);
    EXPECT_GE(timed("MES", 1), 400ms);
    EXPECT_GE(timed("CES,0,0,11,0,0", 1), 400ms);
    EXPECT_GE(timed("UZC", 1), 700ms);
    EXPECT_GE(timed("CAL", 1), 700ms);
    EXPECT_EQ(reply("SWE"), "OK00\r\n");
    const auto pressed = std::chrono::steady_clock::now();
    sim.command("PRESS");
    ASSERT_TRUE(line.readLine());
    EXPECT_GE(std::chrono::steady_clock::now() - pressed, 400ms);
}

class SimPaced : public SimFixture {
protected:
    static sxsim::SimOptions paced()
    {
        sxsim::SimOptions options;
        options.pace = true;
        return options;
    }
    SimPaced() : SimFixture(paced()) {}
};

TEST_F(SimPaced, BytesTakeTheirTimeOnTheLineBothWays)
{
    sim.command("FLAGS 22222222");
    const long long sent = nowMs();
    const auto start = std::chrono::steady_clock::now();
    const std::vector<std::string> data = replies("MES", 1);
    const auto took = std::chrono::steady_clock::now() - start;
    ASSERT_EQ(data.size(), 1u);
    // Ten bit times per byte at 9600 baud.
    const auto lineTime = std::chrono::microseconds(1041) * data[0].size();
    EXPECT_GE(took, lineTime);

    const std::vector<sxsim::ReceivedCommand> log = sim.log();
    ASSERT_EQ(log.size(), 1u);
    EXPECT_GE(log[0].ms - sent, 5) << "five command bytes reach the instrument one by one";
}

TEST(SxsimCommand, HelpExplainsTheOptionsAndTheControlCommands)
{
    const auto [text, status] = runSxsim("--help");
    EXPECT_EQ(status, 0);
    for (const char* item : {"--link", "--control", "--pace", "--measure-ms", "--calibrate-ms",
                             "--product", "--send", "PRESS", "CODE", "SILENT", "LOG"})
        EXPECT_NE(text.find(item), std::string::npos) << item;
}

TEST(SxsimCommand, WrongOptionsAreRefused)
{
    for (const char* arguments :
         {"--link COM10", "--link COM0", "--measure-ms -5", "--product 100", "--bogus",
          "--control", "--send PING"})
        EXPECT_EQ(runSxsim(arguments).second, 2) << arguments;
}

TEST(SxsimCommand, SendDrivesARunningSimulator)
{
    sxsim::SimProcess sim;
    const std::string control = "--control " + sim.controlPath();
    const auto [answer, status] = runSxsim(control + " --send 'PRODUCT 13' --send PING");
    EXPECT_EQ(status, 0) << answer;
    EXPECT_EQ(answer, "OK\nOK\n");
    EXPECT_EQ(runSxsim(control + " --send BOGUS").second, 1);
    SimLine line(sim.linkPath());
    EXPECT_EQ(line.exchange("IDR").value_or(""), "OK00,13\r\n");
}

} // namespace
} // namespace simtest
