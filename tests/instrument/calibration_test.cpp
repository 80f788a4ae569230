// Zero and white calibration with the operator's prompt, against the
// simulator.

#include "InstrumentFixture.h"
#include "Layout.h"

#include "CalibrationPromptDialog.h"

#include <wx/stattext.h>
#include <wx/xrc/xmlres.h>

using namespace tonvale;

namespace instrumenttest {
namespace {

const std::string zeroFailed = "ゼロ校正ができませんでした。";
const std::string whiteFailed = "白色校正ができませんでした。";
const std::vector<std::string> preparation{"IDR\r\n", "CPR\r\n", "STR\r\n", "CPS,0,0\r\n"};

std::vector<std::string> operator+(std::vector<std::string> first, const std::vector<std::string>& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

struct Prompt {
    std::string title;
    std::string text;
    bool skipEnabled;
};

const Prompt zeroPrompt{"ゼロ校正", "ゼロ校正を行います。\n準備ができたら[OK]をクリックしてください。", false};
const Prompt zeroPromptWithSkip{zeroPrompt.title, zeroPrompt.text, true};
const Prompt whitePrompt{"白色校正", "白色校正を行います。\n準備ができたら[OK]をクリックしてください。", false};

// Expects the prompt as given and answers it; during runs before the answer.
ExpectDialog<CalibrationPromptDialog> answerPrompt(const Prompt& expected, int answer,
                                                   std::function<void()> during = {})
{
    return ExpectDialog<CalibrationPromptDialog>([=](CalibrationPromptDialog& dlg) {
        EXPECT_EQ(dlg.GetTitle().utf8_string(), expected.title);
        EXPECT_EQ(XRCCTRL(dlg, "CALIBRATION_PROMPT_TEXT", wxStaticText)->GetLabel().utf8_string(),
                  expected.text);
        EXPECT_EQ(dlg.FindWindow(CalibrationPromptDialog::skipResult)->IsEnabled(), expected.skipEnabled);
        EXPECT_TRUE(dlg.FindWindow(wxID_OK)->IsEnabled());
        EXPECT_TRUE(dlg.FindWindow(wxID_CANCEL)->IsEnabled());
        if (during)
            during();
        return answer;
    });
}

TEST_F(InstrumentTest, ZeroCalibrationByStateAndAnswer)
{
    struct Case {
        const char* flags;
        int answer;
        bool success;
        bool sent;            // "UZC" went out
        const char* flagsAfter;
    };
    const Case cases[] = {
        {"00000000", wxID_OK, true, true, "10000000"},
        {"00000000", wxID_CANCEL, false, false, "00000000"},
        {"10000000", wxID_OK, true, true, "10000000"},
        {"10000000", CalibrationPromptDialog::skipResult, true, false, "10000000"},
        {"20000000", CalibrationPromptDialog::skipResult, true, false, "20000000"},
        {"20000000", wxID_CANCEL, false, false, "20000000"},
        {"20000000", wxID_OK, true, true, "10000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.flags) + " answer " + std::to_string(c.answer));
        sim.command(std::string("FLAGS ") + c.flags);
        const Prompt& prompt = c.flags[0] == '0' ? zeroPrompt : zeroPromptWithSkip;
        bool result = !c.success;
        wxTEST_DIALOG(result = instrument.calibrateZero(), answerPrompt(prompt, c.answer));
        EXPECT_EQ(result, c.success);
        EXPECT_EQ(commands(), c.sent ? preparation + std::vector<std::string>{"UZC\r\n"} : preparation);
        EXPECT_NE(sim.command("STATE").find(std::string("flags=") + c.flagsAfter), std::string::npos);
        EXPECT_EQ(instrument.receiveTimeout(), Instrument::commandTimeout);
    }
}

TEST_F(InstrumentTest, AFailedZeroCalibrationShowsTheCodeThenItsOwnMessage)
{
    bool result = true;
    wxTEST_DIALOG(result = instrument.calibrateZero(),
                  answerPrompt(zeroPrompt, wxID_OK, [this] { sim.command("CODE ER05"); }),
                  ExpectMessage("Xe ランプ発光エラー(ER05)"), ExpectMessage(zeroFailed));
    EXPECT_FALSE(result);
    EXPECT_EQ(commands(), preparation + std::vector<std::string>{"UZC\r\n"});
    EXPECT_EQ(instrument.receiveTimeout(), Instrument::commandTimeout);
}

TEST_F(InstrumentTest, WhiteCalibrationNeedsTheZeroCalibrationFirst)
{
    sim.command("FLAGS 00000000");
    wxTEST_DIALOG(EXPECT_FALSE(instrument.calibrateWhite()), ExpectMessage(whiteFailed));
    EXPECT_EQ(commands(), preparation);
}

TEST_F(InstrumentTest, WhiteCalibrationByAnswer)
{
    struct Case {
        int answer;
        bool success;
        bool sent;
        const char* flagsAfter;
    };
    const Case cases[] = {
        {wxID_CANCEL, false, false, "10000000"},
        {wxID_OK, true, true, "20000000"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        sim.command("FLAGS 10000000");
        bool result = !c.success;
        wxTEST_DIALOG(result = instrument.calibrateWhite(), answerPrompt(whitePrompt, c.answer));
        EXPECT_EQ(result, c.success);
        EXPECT_EQ(commands(), c.sent ? preparation + std::vector<std::string>{"CAL\r\n"} : preparation);
        EXPECT_NE(sim.command("STATE").find(std::string("flags=") + c.flagsAfter), std::string::npos);
        EXPECT_EQ(instrument.receiveTimeout(), Instrument::commandTimeout);
    }
}

TEST_F(InstrumentTest, AFailedWhiteCalibrationShowsTheCodeThenItsOwnMessage)
{
    sim.command("FLAGS 10000000");
    bool result = true;
    wxTEST_DIALOG(result = instrument.calibrateWhite(),
                  answerPrompt(whitePrompt, wxID_OK, [this] { sim.command("CODE ER24"); }),
                  ExpectMessage("白色未校正エラー(ER24)"), ExpectMessage(whiteFailed));
    EXPECT_FALSE(result);
    EXPECT_EQ(instrument.receiveTimeout(), Instrument::commandTimeout);
}

TEST_F(InstrumentTest, CalibrateRunsBothStepsAndReportsSuccess)
{
    sim.command("FLAGS 00000000");
    sim.command("CONDITIONS 1 1");
    const std::vector<std::string> prepare{"IDR\r\n", "CPR\r\n", "STR\r\n", "CPS,1,1\r\n"};
    wxTEST_DIALOG(instrument.calibrate(), answerPrompt(zeroPrompt, wxID_OK), answerPrompt(whitePrompt, wxID_OK),
                  ExpectMessage("校正が正常に終了しました。", wxID_OK, wxICON_INFORMATION));
    EXPECT_EQ(commands(), prepare + std::vector<std::string>{"UZC\r\n"} + prepare +
                              std::vector<std::string>{"CAL\r\n"});
    EXPECT_NE(sim.command("STATE").find("flags=00020000"), std::string::npos);
}

TEST_F(InstrumentTest, CalibrateAfterASkippedZeroCalibrationGoesOnWithWhite)
{
    sim.command("FLAGS 20000000");
    wxTEST_DIALOG(instrument.calibrate(), answerPrompt(zeroPromptWithSkip, CalibrationPromptDialog::skipResult),
                  answerPrompt(whitePrompt, wxID_OK),
                  ExpectMessage("校正が正常に終了しました。", wxID_OK, wxICON_INFORMATION));
    EXPECT_EQ(commands(), preparation + preparation + std::vector<std::string>{"CAL\r\n"});
}

TEST_F(InstrumentTest, CalibrateStopsAtACancelledStep)
{
    for (int cancelled : {0, 1}) {
        SCOPED_TRACE(cancelled == 0 ? "zero" : "white");
        sim.command("FLAGS 00000000");
        if (cancelled == 0) {
            wxTEST_DIALOG(instrument.calibrate(), answerPrompt(zeroPrompt, wxID_CANCEL));
            EXPECT_EQ(commands(), preparation);
        } else {
            wxTEST_DIALOG(instrument.calibrate(), answerPrompt(zeroPrompt, wxID_OK),
                          answerPrompt(whitePrompt, wxID_CANCEL));
            EXPECT_EQ(commands(), preparation + std::vector<std::string>{"UZC\r\n"} + preparation);
        }
    }
}

TEST(CalibrationPromptDialog, SkipEndsWithItsOwnResult)
{
    CalibrationPromptDialog dlg;
    dlg.skipEnabled = true;
    int result = wxID_NONE;
    wxTEST_DIALOG(result = dlg.ShowModal(), ExpectDialog<CalibrationPromptDialog>([](CalibrationPromptDialog& shown) {
                      press(shown, CalibrationPromptDialog::skipResult);
                      return shown.GetReturnCode();
                  }));
    EXPECT_EQ(result, CalibrationPromptDialog::skipResult);
    EXPECT_NE(result, wxID_OK);
    EXPECT_NE(result, wxID_CANCEL);
}

TEST(CalibrationPromptDialog, EveryControlFitsAndNoneOverlaps)
{
    for (bool white : {false, true}) {
        CalibrationPromptDialog dlg;
        dlg.isWhite = white;
        dlg.InitDialog();
        SCOPED_TRACE(white ? "white calibration" : "zero calibration");
        EXPECT_EQ(expectTidyLayout(dlg), 4u);
    }
}

TEST_F(InstrumentTest, ARunningStepIsAnnouncedUnderTheWaitCursorWithThePromptTakingNoClicks)
{
    sim.command("FLAGS 00000000");
    std::vector<int> steps;
    instrument.setStepListener([&](int step) {
        steps.push_back(step);
        if (step == 0)
            return;
        EXPECT_TRUE(wxIsBusy());
        int prompts = 0;
        for (wxWindow* window : wxTopLevelWindows) {
            if (dynamic_cast<CalibrationPromptDialog*>(window) != nullptr) {
                ++prompts;
                EXPECT_FALSE(window->FindWindow(wxID_CANCEL)->IsEnabled()) << "cancel cannot stop the step";
            }
        }
        EXPECT_EQ(prompts, 1);
    });
    // The white prompt after the zero step is enabled again (answerPrompt).
    wxTEST_DIALOG(instrument.calibrate(), answerPrompt(zeroPrompt, wxID_OK),
                  answerPrompt(whitePrompt, wxID_OK),
                  ExpectMessage("校正が正常に終了しました。", wxID_OK, wxICON_INFORMATION));
    EXPECT_EQ(steps, (std::vector<int>{145, 0, 146, 0}));
    // A step answered with cancel never runs.
    steps.clear();
    wxTEST_DIALOG(instrument.calibrateWhite(), answerPrompt(whitePrompt, wxID_CANCEL));
    EXPECT_TRUE(steps.empty());
    instrument.setStepListener(nullptr);
}

} // namespace
} // namespace instrumenttest
