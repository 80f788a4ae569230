// The reply judgement, the readings of the instrument's replies, the port
// and the PC-started measurement, against the simulator over a real
// pseudo-terminal.

#include "InstrumentFixture.h"
#include "MissingPort.h"

#include "OutputDestination.h"
#ifndef _WIN32
#include "Unprivileged.h"
#endif

#include "termin/PortLink.h"
#include "termin/PortSetupDialog.h"

#include <wx/choice.h>
#include <wx/utils.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

using namespace tonvale;

namespace instrumenttest {
namespace {

const std::string lampLow = "Xe ランプの光量低下エラー(OK02)";
const std::string notConnected = "測定器と接続することができませんでした。";

TEST(ReplyJudgement, EveryCodeHasItsOutcomeAndMessage)
{
    struct Case {
        std::string reply;
        bool success;
        std::string message; // empty: none
    };
    const Case cases[] = {
        {"OK00", true, ""},
        {"OK00\r", true, ""},
        {"OK00,03,more", true, ""},
        {"OK0x", false, unexpectedData},
        {"OK", false, unexpectedData},
        {"OK01", false, unexpectedData},
        {"OK06", false, unexpectedData},
        {"OK07", false, unexpectedData},
        {"OK08", false, unexpectedData},
        {"OK10", false, unexpectedData},
        {"OK-2", false, unexpectedData},
        {"OK02", true, lampLow},
        {"OK2,", true, lampLow},
        {"OK 2", true, lampLow},
        {"OK03", true, "測定器の電圧低下エラー(OK03)"},
        {"OK04", true, "Xe ランプの光量低下エラー & 測定器の電圧低下エラー(OK04)"},
        {"OK05", true, "ターゲットと環境条件の光源と視野不一致エラー(OK05)"},
        {"OK09,1.00", true, "反射率規定値(175%)オーバーエラー(OK09)"},
        {"ER00", false, "コマンド入力エラー(ER00)"},
        {"ER02", false, "電池電圧低下エラー(ER02)"},
        {"ER05", false, "Xe ランプ発光エラー(ER05)"},
        {"ER07", false, "未校正エラー(ER07)"},
        {"ER08", false, "オーバーランエラー(ER08)"},
        {"ER10", false, "データエラー(ER10)"},
        {"ER11", false, "不正なA/D変換値ｴﾗｰ(ER11)"},
        {"ER13", false, "A/D変換エラー(ER13)"},
        {"ER15", false, "JOB (TASK) の設定変更不可エラー(ER15)"},
        {"ER20", false, "データ書き込みエラー(ER20)"},
        {"ER24", false, "白色未校正エラー(ER24)"},
        {"ER25", false, "測定径とレンズ位置不一致エラー(ER25)"},
        {"ER27", false, "充電回路エラー(ER27)"},
        {"ER01", false, notConnected},
        {"ER99", false, notConnected},
        {"ER-1", false, notConnected},
        {"ER", false, "コマンド入力エラー(ER00)"},
        {"XX00", false, unexpectedData},
        {"ok00", false, unexpectedData},
        {"Ok00", false, unexpectedData},
        {"", false, ""},
    };
    MeasurementRecord record(nullptr);
    Instrument instrument(record);
    for (const Case& c : cases) {
        SCOPED_TRACE("reply \"" + c.reply + "\"");
        std::vector<std::string> messages;
        if (!c.message.empty())
            messages.push_back(c.message);
        expectMessages(messages, [&] { EXPECT_EQ(instrument.checkResponse(c.reply), c.success); });
    }
}

TEST_F(InstrumentTest, IdentifyNamesTheModelOrRefusesTheProductId)
{
    struct Case {
        std::string fault;
        bool success;
        std::string model;
        std::string message;
    };
    const Case cases[] = {
        {"PRODUCT 3", true, "SX-4810k", ""},
        {"PRODUCT 13", true, "SX-4800k", ""},
        {"REPLY OK00,3\\x20", true, "SX-4810k", ""},
        {"PRODUCT 14", false, "", "SX-4800k/SX-4810k以外の測定器が接続されています。\n処理を中止します。\nProduct ID: 14"},
        {"REPLY OK00", false, "", "SX-4800k/SX-4810k以外の測定器が接続されています。\n処理を中止します。\nProduct ID: "},
        {"CODE ER02", false, "", "電池電圧低下エラー(ER02)"},
        {"EMPTY", false, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        sim.command(c.fault);
        std::string model = "unchanged";
        expectMessages(c.message.empty() ? std::vector<std::string>{} : std::vector{c.message},
                       [&] { EXPECT_EQ(instrument.identify(model), c.success); });
        EXPECT_EQ(model, c.success ? c.model : "unchanged");
        EXPECT_EQ(commands(), std::vector<std::string>{"IDR\r\n"});
    }
}

TEST_F(InstrumentTest, ReadConditionsDerivesTheBothFlagAndIndicesFromTheMode)
{
    for (int area : {0, 1}) {
        for (int mode = 0; mode <= 5; ++mode) {
            SCOPED_TRACE("area " + std::to_string(area) + " mode " + std::to_string(mode));
            sim.command("CONDITIONS " + std::to_string(area) + " " + std::to_string(mode));
            int a = -1, both = -1, component = -1, uv = -1;
            EXPECT_NO_DIALOG(EXPECT_TRUE(instrument.readConditions(a, both, component, uv)));
            EXPECT_EQ(a, area);
            EXPECT_EQ(both, mode % 2);
            EXPECT_EQ(component, mode % 2 == 1 ? 2 : 0);
            EXPECT_EQ(uv, 0);
        }
    }
    EXPECT_EQ(commands(), std::vector<std::string>(12, "CPR\r\n"));

    // A short reply reads as area 0, mode 0; an area outside the table is
    // reported as it is.
    for (const auto& [reply, area] : {std::pair{"OK00", 0}, {"OK00,7,1", 7}}) {
        sim.command(std::string("REPLY ") + reply);
        int a = -1, both = -1, component = -1, uv = -1;
        SCOPED_TRACE(reply);
        EXPECT_NO_DIALOG(EXPECT_TRUE(instrument.readConditions(a, both, component, uv)));
        EXPECT_EQ(a, area);
    }
}

TEST_F(InstrumentTest, AModeDigitOutsideTheTableIsAFailedReading)
{
    for (const char* reply : {"OK00,0,6", "OK00,0,9"}) {
        sim.command(std::string("REPLY ") + reply);
        int area = -1, both = -1, component = -1, uv = -1;
        wxTEST_DIALOG(EXPECT_FALSE(instrument.readConditions(area, both, component, uv)),
                      ExpectMessage(unexpectedData));
        EXPECT_EQ(both, -1) << reply;
    }
}

TEST_F(InstrumentTest, CalibrationStateIsTheFlagOfTheCurrentConditions)
{
    // Each of the four flags of the full UV condition in turn is 2, the
    // others 1; the flags of the other UV conditions are never looked at.
    struct Conditions {
        int area;
        int mode;
        std::size_t flag;
    };
    const Conditions conditions[] = {{0, 0, 0}, {0, 1, 1}, {1, 0, 2}, {1, 1, 3}};
    for (std::size_t two = 0; two < 4; ++two) {
        std::string flags = "11110000";
        flags[two] = '2';
        sim.command("FLAGS " + flags);
        for (const Conditions& c : conditions) {
            SCOPED_TRACE(flags + " area " + std::to_string(c.area) + " mode " + std::to_string(c.mode));
            sim.command("CONDITIONS " + std::to_string(c.area) + " " + std::to_string(c.mode));
            int area = -1, both = -1, component = -1, uv = -1, state = -1;
            EXPECT_NO_DIALOG(EXPECT_TRUE(instrument.readCalibrationState(area, both, component, uv, state)));
            EXPECT_EQ(state, c.flag == two ? 2 : 1);
            EXPECT_EQ(commands(), (std::vector<std::string>{"CPR\r\n", "STR\r\n"}));
        }
    }
}

TEST_F(InstrumentTest, AnAreaOutsideTheTableFailsTheCalibrationLookup)
{
    sim.command("REPLY OK00,7,1");
    int area = -1, both = -1, component = -1, uv = -1, state = -1;
    wxTEST_DIALOG(EXPECT_FALSE(instrument.readCalibrationState(area, both, component, uv, state)),
                  ExpectMessage(unexpectedData));
    EXPECT_EQ(state, -1);
    EXPECT_EQ(commands(), (std::vector<std::string>{"CPR\r\n", "STR\r\n"}));
}

TEST_F(InstrumentTest, SetConditionsSendsAreaAndMode)
{
    EXPECT_NO_DIALOG(EXPECT_TRUE(instrument.setConditions(1, 1)));
    const std::string state = sim.command("STATE");
    EXPECT_NE(state.find("area=1 mode=1 "), std::string::npos) << state;
    wxTEST_DIALOG(EXPECT_FALSE(instrument.setConditions(2, 0)), ExpectMessage("コマンド入力エラー(ER00)"));
    EXPECT_EQ(commands(), (std::vector<std::string>{"CPS,1,1\r\n", "CPS,2,0\r\n"}));
}

TEST_F(InstrumentTest, SpectralMeasurementOfBothComponents)
{
    sim.command("FLAGS 22222222");
    sim.command("CONDITIONS 0 1");
    EXPECT_NO_DIALOG(EXPECT_TRUE(instrument.measure(0, 0, 0, OutputText)));

    const auto times = arrivals();
    EXPECT_EQ(commands(), (std::vector<std::string>{"STR\r\n", "IDR\r\n", "CPR\r\n", "STR\r\n",
                                                    "CPS,0,1\r\n", "MES\r\n"}));
    ASSERT_EQ(times.size(), 6u);
    for (std::size_t i = 1; i < times.size(); ++i)
        EXPECT_GE(times[i] - times[i - 1], 100) << "pause before command " << i;

    for (int line = 0; line < 2; ++line) {
        const std::string& data = instrument.dataLines()[line];
        EXPECT_EQ(data.substr(0, 5), "OK00,") << data;
        EXPECT_EQ(std::count(data.begin(), data.end(), ','), 39) << data;
    }
    EXPECT_EQ(record.lineCount(), 2);
    EXPECT_EQ(record.componentLabel(0), "SCI");
    EXPECT_EQ(record.componentLabel(1), "SCE");
    EXPECT_EQ(record.areaLabel(), "MAV");
    const std::string& first = instrument.dataLines()[0];
    EXPECT_EQ(record.valueText(0, 0), first.substr(5, first.find(',', 5) - 5));
    EXPECT_FALSE(record.dateTime().empty());
    EXPECT_EQ(instrument.receiveTimeout(), Instrument::commandTimeout);
}

TEST_F(InstrumentTest, ColorimetricMeasurementOfOneComponentKeepsTheEarlierSecondLine)
{
    sim.command("FLAGS 22222222");
    sim.command("CONDITIONS 0 1");
    ASSERT_TRUE(instrument.measure(0, 0, 0, OutputText));
    const std::string earlierSecond = instrument.dataLines()[1];
    commands();

    sim.command("CONDITIONS 1 0");
    EXPECT_NO_DIALOG(EXPECT_TRUE(instrument.measure(1, 1, 1, OutputSpreadsheet)));
    EXPECT_EQ(commands(), (std::vector<std::string>{"STR\r\n", "IDR\r\n", "CPR\r\n", "STR\r\n",
                                                    "CPS,1,0\r\n", "CES,0,1,11,1,0\r\n"}));
    const std::string& data = instrument.dataLines()[0];
    EXPECT_EQ(std::count(data.begin(), data.end(), ','), 3) << data;
    EXPECT_EQ(instrument.dataLines()[1], earlierSecond);
    EXPECT_EQ(record.lineCount(), 1);
    EXPECT_EQ(record.areaLabel(), "SAV");
    EXPECT_GT(record.value(0, 0), 0.0);
    EXPECT_LE(record.value(0, 0), 100.0);
}

TEST_F(InstrumentTest, AnotherDataTypeIsRefusedAfterTheChecks)
{
    sim.command("FLAGS 22222222");
    wxTEST_DIALOG(EXPECT_FALSE(instrument.measure(2, 0, 0, OutputText)), ExpectMessage(measureFailed));
    EXPECT_EQ(commands(), (std::vector<std::string>{"STR\r\n", "IDR\r\n", "CPR\r\n", "STR\r\n",
                                                    "CPS,0,0\r\n"}));
    EXPECT_EQ(record.lineCount(), 0);
    EXPECT_EQ(record.dateTime(), "");
}

TEST_F(InstrumentTest, MeasuringNeedsZeroAndWhiteCalibration)
{
    for (const char* flags : {"00000000", "10000000", "02220000"}) {
        sim.command(std::string("FLAGS ") + flags);
        wxTEST_DIALOG(EXPECT_FALSE(instrument.measure(0, 0, 0, OutputText)), ExpectMessage(notCalibrated));
        EXPECT_EQ(commands(), (std::vector<std::string>{"STR\r\n", "IDR\r\n", "CPR\r\n", "STR\r\n",
                                                        "CPS,0,0\r\n"}))
            << flags;
    }
}

TEST_F(InstrumentTest, MeasureWaitsWhileTheInstrumentIsBusy)
{
    sim.command("FLAGS 22222222");
    sim.command("BUSY 3");
    EXPECT_NO_DIALOG(EXPECT_TRUE(instrument.measure(0, 0, 0, OutputText)));
    EXPECT_EQ(commands(), (std::vector<std::string>{"STR\r\n", "STR\r\n", "STR\r\n", "STR\r\n",
                                                    "IDR\r\n", "CPR\r\n", "STR\r\n", "CPS,0,0\r\n",
                                                    "MES\r\n"}));
}

TEST_F(InstrumentTest, AnEmptyStatusReplyEndsTheMeasurementSilently)
{
    sim.command("BUSY 1");
    sim.command("CODE OK03"); // not judged while polling
    sim.command("EMPTY");
    EXPECT_NO_DIALOG(EXPECT_FALSE(instrument.measure(0, 0, 0, OutputText)));
    EXPECT_EQ(commands(), (std::vector<std::string>{"STR\r\n", "STR\r\n"}));
}

TEST_F(InstrumentTest, AnUnsupportedInstrumentIsNotMeasured)
{
    sim.command("PRODUCT 14");
    wxTEST_DIALOG(EXPECT_FALSE(instrument.measure(0, 0, 0, OutputText)),
                  ExpectMessage("SX-4800k/SX-4810k以外の測定器が接続されています。\n処理を中止します。\nProduct ID: 14"));
    EXPECT_EQ(commands(), (std::vector<std::string>{"STR\r\n", "IDR\r\n"}));
}

TEST_F(InstrumentTest, DataLineCodesAreJudgedLineByLine)
{
    struct Case {
        std::vector<std::string> faults;
        int both;
        bool colorimetric;
        bool success;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {{"CODE OK02"}, 0, false, true, {lampLow}},
        {{"CODE OK00", "CODE OK09"}, 1, true, true, {"反射率規定値(175%)オーバーエラー(OK09)"}},
        {{"CODE ER10"}, 1, false, false, {"データエラー(ER10)", measureFailed}},
        {{"CODE OK00", "CODE OK01"}, 1, true, false, {unexpectedData, measureFailed}},
        {{"EMPTY"}, 0, false, false, {measureFailed}},
    };
    sim.command("FLAGS 22222222");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.faults.back() + (c.colorimetric ? " CES" : " MES"));
        sim.command("CONDITIONS 0 " + std::to_string(c.both));
        for (const auto& fault : c.faults)
            sim.command(fault);
        expectMessages(c.messages, [&] {
            EXPECT_EQ(c.colorimetric ? instrument.measureColorimetric(c.both, 3, 0)
                                     : instrument.measureSpectral(c.both),
                      c.success);
        });
        EXPECT_EQ(commands(), std::vector<std::string>{c.colorimetric ? "CES,0,3,11,0,0\r\n" : "MES\r\n"});
        if (c.success) {
            // The values of a line with a warning count.
            const std::string& data = instrument.dataLines()[c.both];
            EXPECT_EQ(std::count(data.begin(), data.end(), ','), c.colorimetric ? 3 : 39) << data;
        }
    }
}

TEST_F(InstrumentTest, DataLinesWhoseValuesCannotBeDecodedFailTheMeasurementWithMessage148)
{
    struct Case {
        const char* reply;
        std::vector<std::string> messages;
    };
    const Case cases[] = {
        {"REPLY OK00,1.00,22.50", {measureFailed}},
        {"REPLY OK00,1.00,-123.45,2.00", {measureFailed}},
        {"REPLY OK00,1.00,22.50,-3.25,7", {measureFailed}},
        {"REPLY OK02,1.00,2.00,3.00,4.00,5.00", {lampLow, measureFailed}},
    };
    sim.command("FLAGS 22222222");
    sim.command("CONDITIONS 0 0");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.reply);
        // The replies before the data line as the instrument gives them:
        // status, identity, conditions, status, conditions set.
        for (const char* before : {"OK00,00,,22222222", "OK00,03", "OK00,0,0", "OK00,00,,22222222", "OK00"})
            sim.command(std::string("REPLY ") + before);
        sim.command(c.reply);
        record.stampDateTime(0);
        expectMessages(c.messages, [&] { EXPECT_FALSE(instrument.measure(1, 0, 0, OutputText)); });
        EXPECT_EQ(record.dateTime(), "01/01/70 00:00:00") << "a failed measurement is not stamped";
        commands();
    }
}

TEST_F(InstrumentTest, AClosedLinkIsReportedBeforeAnythingIsSent)
{
    instrument.closePort();
    EXPECT_FALSE(instrument.isOpen());
    EXPECT_NO_DIALOG(instrument.closePort());
    std::string reply;
    wxTEST_DIALOG(EXPECT_FALSE(instrument.exchange("IDR\r\n", reply)), ExpectMessage(portClosed));
    wxTEST_DIALOG(EXPECT_FALSE(instrument.measure(0, 0, 0, OutputText)), ExpectMessage(portClosed));
    wxTEST_DIALOG(EXPECT_FALSE(instrument.disableRemote()), ExpectMessage(portClosed));
    EXPECT_TRUE(commands().empty());
}

TEST_F(InstrumentTest, OpenPortKeepsAnOpenLink)
{
    EXPECT_NO_DIALOG(EXPECT_TRUE(instrument.openPort("COM2")));
    EXPECT_EQ(instrument.getPortName(), "COM1");
    std::string model;
    EXPECT_TRUE(instrument.identify(model));
}

TEST_F(InstrumentTest, OpenPortWithARefusedNameOpensThePreviousPort)
{
    instrument.closePort();
    EXPECT_NO_DIALOG(EXPECT_TRUE(instrument.openPort("COM10")));
    EXPECT_EQ(instrument.getPortName(), "COM1");
    std::string model;
    EXPECT_TRUE(instrument.identify(model));
}

TEST_F(InstrumentTest, APortThatDoesNotOpenIsReported)
{
    instrument.closePort();
    makeMissingPort("COM2");
    wxTEST_DIALOG(EXPECT_FALSE(instrument.openPort("COM2")),
                  ExpectMessage("シリアルポートをオープンすることができませんでした。"));
    EXPECT_FALSE(instrument.isOpen());
}

// Linux refuses a device to users outside its group; Windows knows no such
// case (a refused port is one in use).
#ifndef _WIN32
TEST_F(InstrumentTest, APortTheUserMayNotUseSaysWhichDeviceAndHowToGetAccess)
{
    instrument.closePort();
    letOthersEnter(sim.configHome());
    const std::filesystem::path device = sim.configHome() + "/ttyUSB0";
    makeForbiddenDevice(device);
    const std::filesystem::path link = termin::portLinkPath("COM2");
    std::filesystem::create_symlink(device, link);
    const std::string expected =
        "シリアルポートをオープンすることができませんでした。\n"
        "Failed to Open COM2 (" + std::filesystem::canonical(device).string() + "): " +
        std::system_category().message(EACCES) +
        "\n\n"
        "このシリアルポートを使う権限がありません。\n"
        "シリアルポートを使うには dialout グループのメンバーである必要があります。\n"
        "次のコマンドを実行し、一度ログアウトしてからログインし直してください。\n"
        "\n"
        "    sudo adduser " + wxGetUserId().utf8_string() + " dialout";
    {
        const AsUnprivilegedUser user;
        wxTEST_DIALOG(EXPECT_FALSE(instrument.openPort("COM2")), ExpectMessage(expected));
    }
    EXPECT_FALSE(instrument.isOpen());
    std::filesystem::remove(link);
}
#endif

TEST_F(InstrumentTest, SetupPortOffersOnlyThePortAndTakesItsName)
{
    for (int answer : {wxID_OK, wxID_CANCEL}) {
        bool result = answer != wxID_OK;
        wxTEST_DIALOG(result = instrument.setupPort(nullptr),
                      ExpectDialog<termin::PortSetupDialog>([answer](termin::PortSetupDialog& dlg) {
                          EXPECT_TRUE(dlg.FindWindow(termin::PortSetupDialog::PortList)->IsEnabled());
                          for (int id : {termin::PortSetupDialog::BaudRateList,
                                         termin::PortSetupDialog::ByteSizeList,
                                         termin::PortSetupDialog::ParityList,
                                         termin::PortSetupDialog::StopBitsList}) {
                              auto* list = dynamic_cast<wxChoice*>(dlg.FindWindow(id));
                              EXPECT_FALSE(list->IsEnabled()) << id;
                              EXPECT_EQ(list->GetCount(), 1u) << id;
                          }
                          auto* baud = dynamic_cast<wxChoice*>(dlg.FindWindow(termin::PortSetupDialog::BaudRateList));
                          EXPECT_EQ(baud->GetString(0).utf8_string(), "9600");
                          return answer;
                      }));
        EXPECT_EQ(result, answer == wxID_OK);
    }
    EXPECT_EQ(instrument.getPortName(), "COM1");
}

} // namespace
} // namespace instrumenttest
