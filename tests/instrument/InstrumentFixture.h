#pragma once
// An Instrument on COM1, which leads to a fresh simulator, decoding into a
// record of its own; and helpers to look at what the simulator received.

#include "GuiTest.h"

#include "Instrument.h"
#include "MeasurementRecord.h"
#include "SimControl.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace instrumenttest {

// Texts of the messages the tests meet most.
inline const std::string unexpectedData =
    "予期しないデータを受信しました。\nSX-4800k/SX-4810k以外の測定器が接続されていないか確認してください。";
inline const std::string measureFailed = "測定を正常に終了することができませんでした。\n処理を中止します。";
inline const std::string notCalibrated = "現在の測定条件で校正されていません。\n測定を中止します。";
inline const std::string portClosed = "シリアルポートがオープンされてません。\n処理を中止します。";
inline const std::string linkTimeout = "通訊錯誤: 連接超時";

class InstrumentTest : public ::testing::Test {
protected:
    explicit InstrumentTest(const sxsim::SimOptions& options = {}) : sim(options) {}

    void SetUp() override
    {
        ASSERT_TRUE(instrument.openPort("COM1"));
        sim.command("CLEARLOG");
    }

    // The command lines received since the last call, CR LF included.
    std::vector<std::string> commands()
    {
        std::vector<std::string> lines;
        for (const auto& received : sim.log())
            lines.push_back(received.bytes);
        sim.command("CLEARLOG");
        return lines;
    }

    // Arrival times (ms) of the command lines received so far.
    std::vector<std::int64_t> arrivals()
    {
        std::vector<std::int64_t> times;
        for (const auto& received : sim.log())
            times.push_back(received.ms);
        return times;
    }

    sxsim::SimProcess sim;
    tonvale::MeasurementRecord record{nullptr};
    tonvale::Instrument instrument{record};
};

// Runs code while expecting exactly the given message boxes (error icon),
// in order, each answered with OK.
template <typename Code>
void expectMessages(const std::vector<std::string>& messages, Code&& code)
{
    switch (messages.size()) {
    case 0:
        EXPECT_NO_DIALOG(code());
        break;
    case 1:
        wxTEST_DIALOG(code(), ExpectMessage(messages[0]));
        break;
    case 2:
        wxTEST_DIALOG(code(), ExpectMessage(messages[0]), ExpectMessage(messages[1]));
        break;
    default:
        FAIL() << "no more than two messages expected";
    }
}

inline double secondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

} // namespace instrumenttest
