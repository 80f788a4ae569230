// The simulator speaks the instrument's protocol over its line.

#include "SimFixture.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace simtest {
namespace {

// The component codes of each mode's data lines: odd codes exclude the
// specular component, code / 2 is the UV condition.
const std::vector<std::vector<int>> componentCodes = {
    {0}, {0, 1}, {0, 2}, {0, 1, 2, 3}, {0, 2, 4}, {0, 1, 2, 3, 4, 5}};

std::string flagsOf(const std::string& statusLine)
{
    return statusLine.size() >= 17 ? statusLine.substr(9, 8) : std::string();
}

using SimProtocol = SimFixture;

TEST_F(SimProtocol, IdentifyReportsTheProductIdInTwoDigits)
{
    const struct {
        int id;
        const char* reply;
    } cases[] = {{3, "OK00,03\r\n"}, {13, "OK00,13\r\n"}, {14, "OK00,14\r\n"},
                 {0, "OK00,00\r\n"}, {99, "OK00,99\r\n"}};
    for (const auto& c : cases) {
        sim.command("PRODUCT " + std::to_string(c.id));
        EXPECT_EQ(reply("IDR"), c.reply) << "product " << c.id;
    }
}

TEST_F(SimProtocol, ConditionsSetWithCpsAreReadBackWithCpr)
{
    for (int area = 0; area <= 1; ++area) {
        for (int mode = 0; mode <= 5; ++mode) {
            const std::string cps = "CPS," + std::to_string(area) + "," + std::to_string(mode);
            EXPECT_EQ(reply(cps), "OK00\r\n") << cps;
            const std::string cpr = reply("CPR");
            ASSERT_GE(cpr.size(), 8u) << cps;
            EXPECT_EQ(cpr[5] - '0', area) << cpr;
            EXPECT_EQ(cpr[7] - '0', mode) << cpr;
        }
    }
}

TEST_F(SimProtocol, InvalidConditionsAreRefusedAndChangeNothing)
{
    ASSERT_EQ(reply("CPS,1,3"), "OK00\r\n");
    for (const char* cps : {"CPS,2,0", "CPS,0,6", "CPS,-1,0", "CPS,0", "CPS,0,1,0", "CPS,a,1",
                            "CPS,,1", "CPS,0,123"})
        EXPECT_EQ(reply(cps), "ER00\r\n") << cps;
    EXPECT_EQ(reply("CPR"), "OK00,1,3\r\n");
}

TEST_F(SimProtocol, StatusIsBusyForTheRequestedPollsThenReady)
{
    sim.command("FLAGS 21000020");
    sim.command("BUSY 3");
    for (int poll = 0; poll < 3; ++poll) {
        const std::string status = reply("STR");
        ASSERT_GE(status.size(), 17u);
        EXPECT_EQ(status.substr(0, 4), "OK00");
        EXPECT_NE(std::stoi(status.substr(5, 2)), 0) << "poll " << poll << ": " << status;
        EXPECT_EQ(flagsOf(status), "21000020");
    }
    EXPECT_EQ(reply("STR"), "OK00,00,,21000020\r\n");
    EXPECT_EQ(reply("STR"), "OK00,00,,21000020\r\n");
}

TEST_F(SimProtocol, CalibrationMovesOnlyTheFlagOfTheCurrentConditions)
{
    for (int area = 0; area <= 1; ++area) {
        for (int mode = 0; mode <= 5; ++mode) {
            SCOPED_TRACE("area " + std::to_string(area) + " mode " + std::to_string(mode));
            sim.command("FLAGS 00000000");
            ASSERT_EQ(reply("CPS," + std::to_string(area) + "," + std::to_string(mode)),
                      "OK00\r\n");
            const int slot = flagIndex(area, mode);
            auto expected = [&](char flag) {
                std::string flags = "00000000";
                flags[slot] = flag;
                return flags;
            };

            EXPECT_EQ(reply("MES"), "ER07\r\n");
            EXPECT_EQ(reply("CAL"), "ER07\r\n") << "white before zero";
            EXPECT_EQ(reply("UZC"), "OK00\r\n");
            EXPECT_EQ(flagsOf(reply("STR")), expected('1'));
            EXPECT_EQ(reply("MES"), "ER24\r\n");
            EXPECT_EQ(reply("CES,0,0,11,0,0"), "ER24\r\n");
            EXPECT_EQ(reply("CAL"), "OK00\r\n");
            EXPECT_EQ(flagsOf(reply("STR")), expected('2'));
            EXPECT_EQ(replies("MES", lineCountTable[mode]).size(),
                      static_cast<std::size_t>(lineCountTable[mode]));
            EXPECT_EQ(reply("UZC"), "OK00\r\n") << "a new zero calibration";
            EXPECT_EQ(flagsOf(reply("STR")), expected('1'));
        }
    }
}

TEST_F(SimProtocol, SpectralLinesFollowTheModeAndTheLineFormat)
{
    sim.command("FLAGS 22222222");
    for (int area = 0; area <= 1; ++area) {
        for (int mode = 0; mode <= 5; ++mode) {
            SCOPED_TRACE("area " + std::to_string(area) + " mode " + std::to_string(mode));
            reply("CPS," + std::to_string(area) + "," + std::to_string(mode));
            const std::vector<std::string> lines = replies("MES", lineCountTable[mode]);
            ASSERT_EQ(lines.size(), static_cast<std::size_t>(lineCountTable[mode]));
            std::vector<std::vector<double>> values;
            for (const std::string& l : lines) {
                EXPECT_EQ(l.substr(0, 4), "OK00");
                auto v = dataValues(l, 39);
                ASSERT_TRUE(v) << l;
                for (double r : *v)
                    EXPECT_TRUE(r >= 0 && r < 1000) << r;
                values.push_back(*v);
            }
            // Without the specular component every band reads lower.
            const std::vector<int>& codes = componentCodes[mode];
            for (std::size_t i = 0; i < codes.size(); ++i) {
                if (codes[i] % 2 == 0)
                    continue;
                for (int k = 0; k < 39; ++k)
                    EXPECT_LT(values[i][k], values[i - 1][k]) << "line " << i << " band " << k;
            }
        }
    }
    EXPECT_EQ(reply("IDR"), "OK00,03\r\n") << "nothing left over on the line";
}

TEST_F(SimProtocol, UvCutRemovesTheBrightenersFluorescence)
{
    sim.command("FLAGS 22222222");
    sim.command("SAMPLE paper");
    reply("CPS,0,2");
    const std::vector<std::string> lines = replies("MES", 2);
    ASSERT_EQ(lines.size(), 2u);
    auto fullUv = dataValues(lines[0], 39);
    auto uvCut = dataValues(lines[1], 39);
    ASSERT_TRUE(fullUv && uvCut);
    const int band440 = (440 - 360) / 10;
    EXPECT_GT((*fullUv)[band440] - (*uvCut)[band440], 5.0);
    const int band700 = (700 - 360) / 10;
    EXPECT_NEAR((*fullUv)[band700], (*uvCut)[band700], 0.5);
}

TEST_F(SimProtocol, ColorimetricLinesCarryThreeValuesForEveryRequest)
{
    sim.command("FLAGS 22222222");
    reply("CPS,0,1");
    const std::vector<std::string> names = {"white", "grey",  "black", "red",
                                            "yellow", "green", "blue",  "paper"};
    EXPECT_EQ(sim.command("SAMPLES"), "white grey black red yellow green blue paper");
    for (const std::string& name : names) {
        sim.command("SAMPLE " + name);
        for (int illuminant = 0; illuminant <= 10; ++illuminant) {
            for (int observer = 0; observer <= 1; ++observer) {
                const std::string ces = "CES,0," + std::to_string(illuminant) + ",11," +
                                        std::to_string(observer) + ",0";
                const std::vector<std::string> lines = replies(ces, 2);
                ASSERT_EQ(lines.size(), 2u) << name << " " << ces;
                for (const std::string& l : lines) {
                    auto lab = dataValues(l, 3);
                    ASSERT_TRUE(lab) << name << " " << ces << ": " << l;
                    EXPECT_TRUE((*lab)[0] > 0 && (*lab)[0] <= 100) << l;
                }
            }
        }
    }
}

TEST_F(SimProtocol, MalformedCommandsAnswerCommandError)
{
    sim.command("FLAGS 22222222");
    for (const char* bytes :
         {"idr\r\n", "IDR\n", "XYZ\r\n", "\r\n", "MES,1\r\n", "IDR \r\n", "CES,0,0,11,0\r\n",
          "CES,1,0,11,0,0\r\n", "CES,0,11,11,0,0\r\n", "CES,0,0,12,0,0\r\n",
          "CES,0,0,11,2,0\r\n", "CES,0,0,11,0,1\r\n", "SWE,1\r\n"}) {
        line.send(bytes);
        EXPECT_EQ(line.readLine().value_or("<no reply>"), "ER00\r\n") << bytes;
    }
}

TEST_F(SimProtocol, AnOverlongLineIsAnOverrun)
{
    line.send(std::string(300, 'A'));
    EXPECT_EQ(line.readLine().value_or("<no reply>"), "ER08\r\n");
    line.send("AAAA\r\n");
    EXPECT_EQ(reply("IDR"), "OK00,03\r\n") << "the overlong line is dropped up to its end";
    EXPECT_EQ(sim.log().size(), 1u);
}

TEST_F(SimProtocol, RemoteModeSendsDataLinesForEachPressOfTheButton)
{
    sim.command("FLAGS 22222222");
    reply("CPS,0,1");
    EXPECT_EQ(sim.command("PRESS"), "0") << "outside remote mode nothing goes out";

    EXPECT_EQ(reply("SWE"), "OK00\r\n");
    EXPECT_EQ(sim.command("PRESS"), "2");
    for (int i = 0; i < 2; ++i) {
        auto data = line.readLine();
        ASSERT_TRUE(data);
        EXPECT_TRUE(dataValues(*data, 39)) << *data;
    }
    EXPECT_EQ(sim.command("PRESS LAB 1 1"), "2");
    for (int i = 0; i < 2; ++i) {
        auto data = line.readLine();
        ASSERT_TRUE(data);
        EXPECT_TRUE(dataValues(*data, 3)) << *data;
    }
    EXPECT_EQ(reply("SWD"), "OK00\r\n");

    EXPECT_EQ(sim.command("PRESS"), "0");
    EXPECT_FALSE(line.readLine(300ms)) << line.partial();
}

TEST_F(SimProtocol, RemotePressWithoutCalibrationReportsIt)
{
    sim.command("FLAGS 10000000");
    EXPECT_EQ(reply("SWE"), "OK00\r\n");
    EXPECT_EQ(sim.command("PRESS"), "1");
    EXPECT_EQ(line.readLine().value_or("<no reply>"), "ER24\r\n");
}

TEST_F(SimProtocol, StateReportsWhatTheInstrumentHolds)
{
    sim.command("PRODUCT 13");
    sim.command("CONDITIONS 1 3");
    sim.command("FLAGS 00012000");
    sim.command("BUSY 2");
    sim.command("SAMPLE blue");
    EXPECT_EQ(reply("CPR"), "OK00,1,3\r\n");
    EXPECT_EQ(reply("SWE"), "OK00\r\n");
    EXPECT_EQ(sim.command("STATE"),
              "product=13 area=1 mode=3 flags=00012000 busy=2 remote=1 sample=blue");
}

} // namespace
} // namespace simtest
