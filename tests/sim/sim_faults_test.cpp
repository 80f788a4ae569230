// Faults injected through the control channel reach the line as asked.

#include "SimFixture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace simtest {
namespace {

using SimFaults = SimFixture;

TEST_F(SimFaults, InjectedLinesReplaceTheInstrumentsReply)
{
    const struct {
        const char* control;
        const char* reply;
    } cases[] = {
        {"CODE ER07", "ER07\r\n"},
        {"CODE OK02", "OK02,03\r\n"},
        {"CODE OK0x", "OK0x,03\r\n"},
        {"CODE XX00", "XX00,03\r\n"},
        {"CODE ok00", "ok00,03\r\n"},
        {"CODE OK2", "OK2,03\r\n"},
        {"EMPTY", "\n"},
        {"REPLY OK00 spaced text", "OK00 spaced text\r\n"},
        {"REPLY ER-1", "ER-1\r\n"},
        {"REPLY", "\r\n"},
        {"REPLY OK00,\\x41\\t\\\\", "OK00,A\t\\\r\n"},
    };
    for (const auto& c : cases) {
        sim.command(c.control);
        EXPECT_EQ(reply("IDR"), c.reply) << c.control;
        EXPECT_EQ(reply("IDR"), "OK00,03\r\n") << "after " << c.control;
    }
}

TEST_F(SimFaults, GarbageIsNoiseEndedByCrLf)
{
    sim.command("GARBAGE");
    const std::string noise = reply("IDR");
    ASSERT_GE(noise.size(), 3u);
    EXPECT_EQ(noise.substr(noise.size() - 2), "\r\n");
    EXPECT_NE(noise.substr(0, 2), "OK");
    EXPECT_NE(noise.substr(0, 2), "ER");
    EXPECT_TRUE(std::any_of(noise.begin(), noise.end(),
                            [](char c) { return static_cast<unsigned char>(c) > 0x7e; }));
}

TEST_F(SimFaults, NulBytesAreSpreadThroughTheReplyCode)
{
    sim.command("NUL");
    std::string received = reply("IDR");
    EXPECT_EQ(std::count(received.begin(), received.end(), '\0'), 4);
    EXPECT_EQ(received.substr(0, 2), std::string("O\0", 2));
    received.erase(std::remove(received.begin(), received.end(), '\0'), received.end());
    EXPECT_EQ(received, "OK00,03\r\n");
}

TEST_F(SimFaults, ALineWithoutLfRunsIntoTheNextReply)
{
    sim.command("NOLF");
    line.send("IDR\r\n");
    EXPECT_FALSE(line.readLine(400ms));
    EXPECT_EQ(line.partial(), "OK00,03\r");
    EXPECT_EQ(reply("CPR"), "OK00,03\rOK00,0,0\r\n");
}

TEST_F(SimFaults, SilenceLeavesOneCommandUnansweredButTakesEffect)
{
    sim.command("SILENT");
    line.send("CPS,1,1\r\n");
    EXPECT_FALSE(line.readLine(500ms)) << line.partial();
    EXPECT_EQ(reply("CPR"), "OK00,1,1\r\n");
}

TEST_F(SimFaults, ADelayedReplyComesLate)
{
    sim.command("DELAY 1.2");
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(reply("IDR"), "OK00,03\r\n");
    EXPECT_GE(std::chrono::steady_clock::now() - start, 1200ms);
    const auto next = std::chrono::steady_clock::now();
    EXPECT_EQ(reply("IDR"), "OK00,03\r\n");
    EXPECT_LT(std::chrono::steady_clock::now() - next, 1000ms);
}

TEST_F(SimFaults, FaultsApplyToTheFollowingLinesInTurn)
{
    sim.command("FLAGS 22222222");
    reply("CPS,0,1");
    sim.command("CODE OK02");
    sim.command("EMPTY");
    const std::vector<std::string> lines = replies("MES", 2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].substr(0, 4), "OK02");
    EXPECT_TRUE(dataValues(lines[0], 39)) << "a warning keeps the values";
    EXPECT_EQ(lines[1], "\n");
    EXPECT_EQ(reply("IDR"), "OK00,03\r\n");
}

TEST_F(SimFaults, AnInjectedErrorEndsTheReplyAndUndoesTheCommand)
{
    sim.command("FLAGS 22222222");
    sim.command("CODE ER05");
    EXPECT_EQ(reply("CPS,1,1"), "ER05\r\n");
    EXPECT_EQ(reply("CPR"), "OK00,0,0\r\n") << "the refused command changed nothing";

    sim.command("FLAGS 00000000");
    sim.command("CODE ER02");
    EXPECT_EQ(reply("UZC"), "ER02\r\n");
    EXPECT_EQ(reply("STR"), "OK00,00,,00000000\r\n");

    reply("CPS,0,1");
    sim.command("FLAGS 22222222");
    sim.command("CODE ER10");
    EXPECT_EQ(reply("MES"), "ER10\r\n");
    EXPECT_FALSE(line.readLine(300ms)) << "no second data line follows an error";
}

TEST_F(SimFaults, BadControlCommandsAreRefused)
{
    for (const char* command :
         {"BOGUS", "PRODUCT 100", "PRODUCT x", "FLAGS 123", "FLAGS 2222222a",
          "CONDITIONS 2 0", "CONDITIONS 0 6", "BUSY -1", "DELAY -1", "DELAY soon",
          "REPLY bad\\q", "SAMPLE nope", "PRESS LAB 11 0", "PRESS LAB 0 2", "PRESS SPECTRAL",
          "CODE", "EMPTY 1", ""})
        EXPECT_THROW(sim.command(command), sxsim::SimError) << command;
    EXPECT_EQ(reply("IDR"), "OK00,03\r\n") << "refused control commands inject nothing";
}

} // namespace
} // namespace simtest
