// The main window and its workflow against the simulated instrument on a
// pseudo-terminal, with every dialog answered through the modal hook.

#include "ChooseFile.h"
#include "GuiTest.h"

#include "CalibrationPromptDialog.h"
#include "ColourViewWindow.h"
#include "ConditionsDialog.h"
#include "DataTypeDialog.h"
#include "Instrument.h"
#include "MainDialog.h"
#include "Layout.h"
#include "MeasureInfoDialog.h"
#include "PathMessageDialog.h"
#include "PortDialog.h"
#include "PropertyFile.h"
#include "RemoteMeasureDialog.h"
#include "StandardDialog.h"
#include "StandardsDialog.h"
#include "standards/SqliteStore.h"
#include "SimControl.h"
#include "ChooseWorksheet.h"
#include "sheetwire/Automation.h"
#include "sheetwire/MemorySpreadsheet.h"
#include "TextOutputWindow.h"
#include "WindowPing.h"
#include "Journal.h"
#include "PlatformFiles.h"
#include "Platform.h"


#include <wx/choice.h>
#include <wx/display.h>
#include <wx/listbox.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <thread>

using namespace tonvale;
namespace fs = std::filesystem;

namespace {

const std::string message140 =
    "出力先のワークブックとワークシートが指定されていません。\n処理を中止します。";
const char* const exitQuestion = "SX-4810k用アクセサリーソフトウェア を終了しますか？";

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

class MainWindowTest : public testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::temp_directory_path() / ("tonvale-main-" + std::to_string(getpid()));
        fs::remove_all(dir);
        fs::create_directories(dir);
        settingsFile = (dir / "Tonvale.INI").string();
        // The journal's folder and the standards library are the test's own.
#ifdef _WIN32
        setEnvironment("LOCALAPPDATA", (dir / "data").string().c_str());
        setEnvironment("APPDATA", (dir / "data").string().c_str());
        journalDir = dir / "data" / "Tonvale" / "journal";
#else
        setEnvironment("XDG_DATA_HOME", (dir / "data").string().c_str());
        journalDir = dir / "data" / "tonvale" / "journal";
#endif
        standardsFile = journalDir.parent_path() / "standards.sqlite";
        sheetwire::setAutomationBackend(spreadsheet);
        spreadsheet->addWorkbook("Book1", {"Sheet1"});
        spreadsheet->addWorkbook("結果.ods", {"測定", "Sheet2"});
        sim.command("FLAGS 22222222");
        sim.command("SAMPLE white");
        TextOutputWindow::instance().clear();
        TextOutputWindow::instance().Hide();
    }

    void TearDown() override
    {
        if (main)
            main->Destroy();
        pumpFor(std::chrono::milliseconds(20));
        sheetwire::setAutomationBackend(nullptr);
        fs::remove_all(dir);
    }

    // Starts the window with COM1 (the simulator) chosen in the port dialog.
    void startConnected()
    {
        main = new MainDialog(settingsFile);
        bool started = false;
        wxTEST_DIALOG(started = main->start(), choosePort(0));
        ASSERT_TRUE(started);
    }

    // Started, with automatic naming (no measurement dialog).
    PropertyFile& startWithAutomaticNaming()
    {
        startConnected();
        main->settings().setInt("Chk_AutoNaming", 1);
        return main->settings();
    }

    // Started, measuring remotely into the text window with automatic naming.
    PropertyFile& startForRemoteMeasurement()
    {
        startConnected();
        PropertyFile& s = main->settings();
        s.setInt("Chk_Remote", 1);
        s.setInt("Chk_AutoNaming", 1);
        selectDestination(2);
        return s;
    }

    // The remote measurement dialog while the operator presses the
    // instrument's button.
    ExpectDialog<RemoteMeasureDialog> pressTheInstrumentsButton()
    {
        return ExpectDialog<RemoteMeasureDialog>([this](RemoteMeasureDialog& dlg) {
            EXPECT_TRUE(pumpUntil([&] { return commandArrived("SWE"); }));
            sim.command("PRESS");
            EXPECT_TRUE(pumpUntil([&] { return dlg.isCloseRequested(); }));
            return 1;
        });
    }

    void selectDestination(int index)
    {
        main->destinationList()->SetSelection(index);
        main->changeDestination();
    }

    bool commandArrived(const std::string& command)
    {
        for (const auto& c : sim.log())
            if (c.bytes.rfind(command, 0) == 0)
                return true;
        return false;
    }

    std::shared_ptr<sheetwire::MemorySpreadsheet> spreadsheet =
        sheetwire::MemorySpreadsheet::create();
    sxsim::SimProcess sim;
    fs::path dir;
    fs::path journalDir;
    fs::path standardsFile;
    std::string settingsFile;
    MainDialog* main = nullptr;
};

TEST_F(MainWindowTest, EveryControlFitsItsCaptionAndNoneOverlaps)
{
    startConnected();
    EXPECT_EQ(expectTidyLayout(*main->destinationList()->GetParent()), 3u);
}

TEST_F(MainWindowTest, FirstRunStoresTheDefaultsAndWritesNothingUntilExit)
{
    startConnected();
    PropertyFile& s = main->settings();
    EXPECT_EQ(s.getInt("Mes_Num"), 1);
    EXPECT_EQ(s.getString("Name_Default"), "Sample");
    EXPECT_EQ(s.getInt("Data_Type"), 1);
    EXPECT_EQ(s.getInt("Chk_Name"), 1);
    EXPECT_EQ(s.getInt("Chk_Number"), 0);
    EXPECT_EQ(s.getString("Port_Name"), "COM1");
    EXPECT_THROW(s.getInt("Gloss"), std::invalid_argument);
    EXPECT_FALSE(fs::exists(settingsFile));
    EXPECT_EQ(main->destinationList()->GetSelection(), 0);

    bool ended = true;
    wxTEST_DIALOG(ended = main->confirmExit(), ExpectMessage(exitQuestion, wxID_CANCEL));
    EXPECT_FALSE(ended);
    EXPECT_FALSE(fs::exists(settingsFile));

    wxTEST_DIALOG(ended = main->confirmExit(), ExpectMessage(exitQuestion, wxID_OK));
    EXPECT_TRUE(ended);
    main = nullptr; // destroyed by the exit
    const std::string file = readFile(settingsFile);
    for (const char* key : {"Mes_Num=1\r\n", "Port_Name=COM1\r\n", "PosLeft_Main=", "PosTop_Main=",
                            "PosRight_Main=", "PosBottom_Main=", "Data_Type=1\r\n"})
        EXPECT_NE(file.find(key), std::string::npos) << key;
}

TEST_F(MainWindowTest, AStartWithASettingsFileResetsTheNumberAndRewritesTheFile)
{
    const wxRect screen = wxDisplay(0u).GetGeometry();
    {
        std::ofstream out(settingsFile, std::ios::binary);
        // Hanging over the right edge of the desktop: moved left onto it.
        out << "Mes_Num=57\r\nName_Default=Lot\r\n"
            << "PosLeft_Main=" << screen.GetRight() - 100 << "\r\nPosTop_Main=10\r\n"
            << "PosRight_Main=" << screen.GetRight() + 200 << "\r\nPosBottom_Main=310\r\n";
    }
    main = new MainDialog(settingsFile);
    const wxSize own = main->GetSize();
    ASSERT_NE(own, wxSize(300, 300));
    bool started = false;
    wxTEST_DIALOG(started = main->start(), choosePort(0));
    ASSERT_TRUE(started);
    EXPECT_EQ(main->settings().getInt("Mes_Num"), 1);
    EXPECT_NE(readFile(settingsFile).find("Mes_Num=1\r\n"), std::string::npos);
    EXPECT_NE(readFile(settingsFile).find("Name_Default=Lot\r\n"), std::string::npos);
    // The saved rectangle, 300 wide, shifted onto the desktop; the window
    // keeps its own size there.
    const wxRect placed = main->GetRect();
    EXPECT_EQ(placed.GetLeft(), screen.GetRight() + 1 - 300);
    EXPECT_EQ(placed.GetTop(), 10);
    EXPECT_EQ(placed.GetSize(), own);
}

TEST_F(MainWindowTest, APortThatDoesNotOpenAsksAgainAndCancelEndsWithoutSaving)
{
    std::ofstream(settingsFile, std::ios::binary) << "Mes_Num=7\r\n";
    main = new MainDialog(settingsFile);
    bool started = true;
    // COM2 leads nowhere in the simulator's private configuration.
    wxTEST_DIALOG(started = main->start(), choosePort(1),
                  ExpectMessage("シリアルポートをオープンすることができませんでした。"),
                  cancelPortDialog());
    EXPECT_FALSE(started);
    EXPECT_EQ(readFile(settingsFile), "Mes_Num=7\r\n");
}

TEST_F(MainWindowTest, DestinationChangesShowAndHideTheTextWindow)
{
    startConnected();
    TextOutputWindow& text = TextOutputWindow::instance();
    selectDestination(2);
    EXPECT_TRUE(text.IsShown());
    selectDestination(0);
    EXPECT_FALSE(text.IsShown());

    // Without a worksheet chosen the spreadsheet destination falls back to
    // none.
    selectDestination(2);
    wxTEST_DIALOG(selectDestination(1), chooseWorksheet("", ""));
    EXPECT_FALSE(text.IsShown());
    EXPECT_EQ(main->destinationList()->GetSelection(), 0);

    // Closing the text window switches the destination to none.
    selectDestination(2);
    text.Close();
    EXPECT_FALSE(text.IsShown());
    EXPECT_TRUE(pumpUntil([&] { return main->destinationList()->GetSelection() == 0; }));
}

TEST_F(MainWindowTest, MeasuringChecksTheLinkAndTheDestinationFirst)
{
    startConnected();
    wxTEST_DIALOG(main->measure(), ExpectMessage("出力先が指定されていません。\n処理を中止します。"));

    Instrument::instance().closePort();
    const char* closed = "シリアルポートがオープンされてません。\n処理を中止します。";
    sim.command("CLEARLOG");
    selectDestination(2);
    wxTEST_DIALOG(main->measure(), ExpectMessage(closed));
    wxTEST_DIALOG(main->calibrate(), ExpectMessage(closed));
    EXPECT_TRUE(sim.log().empty());
}

TEST_F(MainWindowTest, APcStartedMeasurementGoesToTheTextWindowAndAdvancesTheNumber)
{
    startConnected();
    PropertyFile& s = main->settings();
    s.setInt("Data_Type", 1);
    s.setInt("Chk_Number", 1);
    selectDestination(2);

    wxTEST_DIALOG(main->measure(), ExpectDialog<MeasureInfoDialog>([](MeasureInfoDialog& dlg) {
                      auto* number = dynamic_cast<wxTextCtrl*>(dlg.FindWindow(wxXmlResource::GetXRCID("1011")));
                      EXPECT_EQ(number->GetValue(), "1");
                      EXPECT_FALSE(number->IsEnabled());
                      dynamic_cast<wxTextCtrl*>(dlg.FindWindow(wxXmlResource::GetXRCID("1017")))->SetValue("Tile A");
                      dynamic_cast<wxTextCtrl*>(dlg.FindWindow(wxXmlResource::GetXRCID("1018")))->SetValue("matt");
                      press(dlg, wxID_OK);
                      return wxID_OK;
                  }));
    EXPECT_EQ(s.getInt("Mes_Num"), 2);
    const std::string text = TextOutputWindow::instance().text();
    EXPECT_NE(text.find("L*a*b*"), std::string::npos) << text;
    EXPECT_NE(text.find("No.1\tTile A\t"), std::string::npos) << text;
    EXPECT_TRUE(commandArrived("CES,0,0,11,0,0\r\n"));

    // The next measurement offers the previous name and comment.
    wxTEST_DIALOG(main->measure(), ExpectDialog<MeasureInfoDialog>([](MeasureInfoDialog& dlg) {
                      EXPECT_EQ(dynamic_cast<wxTextCtrl*>(dlg.FindWindow(wxXmlResource::GetXRCID("1017")))->GetValue(), "Tile A");
                      EXPECT_EQ(dynamic_cast<wxTextCtrl*>(dlg.FindWindow(wxXmlResource::GetXRCID("1018")))->GetValue(), "matt");
                      press(dlg, wxID_CANCEL);
                      return wxID_CANCEL;
                  }));
    EXPECT_EQ(s.getInt("Mes_Num"), 2); // cancelled: nothing measured
}

TEST_F(MainWindowTest, AutomaticNamingNeedsNoDialogAndTheLastNumberIsKept)
{
    startConnected();
    PropertyFile& s = main->settings();
    s.setInt("Chk_AutoNaming", 1);
    s.setString("Name_Default", "Lot");
    s.setInt("Mes_Num", 99999);
    selectDestination(2);
    main->measure();
    main->measure();
    EXPECT_EQ(s.getInt("Mes_Num"), 99999);
    const std::string text = TextOutputWindow::instance().text();
    const auto first = text.find("Lot_No.99999");
    ASSERT_NE(first, std::string::npos) << text;
    EXPECT_NE(text.find("Lot_No.99999", first + 1), std::string::npos) << text;
}

TEST_F(MainWindowTest, ARemoteMeasurementArrivesWhenTheInstrumentsButtonIsPressed)
{
    PropertyFile& s = startForRemoteMeasurement();
    // The instrument's button sends spectral data, whatever is set here: the
    // lines are written as what they are.
    s.setInt("Data_Type", 1);

    wxTEST_DIALOG(main->measure(), pressTheInstrumentsButton());
    EXPECT_EQ(s.getInt("Mes_Num"), 2);
    const std::string text = TextOutputWindow::instance().text();
    EXPECT_NE(text.find("\t反射率\r\n"), std::string::npos) << text;
    const auto line = text.find("Sample_No.1");
    ASSERT_NE(line, std::string::npos) << text;
    const std::string first = text.substr(line, text.find("\r\n", line) - line);
    EXPECT_EQ(std::count(first.begin(), first.end(), '\t'), 1 + 39) << first;
}

TEST_F(MainWindowTest, TheWindowStaysAliveWhileTheInstrumentIsSwitchedOffAfterACancel)
{
    PropertyFile& s = startForRemoteMeasurement();
    ASSERT_TRUE(pumpUntil([&] { return nativeWindowId(*main) != 0; }));
    const unsigned long window = nativeWindowId(*main);
    {
        // The idle window answers while this thread runs its event loop.
        std::optional<std::chrono::milliseconds> answer;
        std::atomic<bool> asked{false};
        std::thread idle([&] {
            answer = pingWindow(window, std::chrono::seconds(2));
            asked = true;
        });
        pumpUntil([&] { return asked.load(); });
        idle.join();
        ASSERT_TRUE(answer) << "the idle window does not answer";
    }

    // The instrument does not answer the switch-off that follows the cancel:
    // the worker waits a command time-out (10 s) for it. Meanwhile the window
    // is asked three times whether it is alive.
    std::vector<std::optional<std::chrono::milliseconds>> answers;
    std::thread asker;
    wxTEST_DIALOG(main->measure(),
                  ExpectDialog<RemoteMeasureDialog>([&](RemoteMeasureDialog& dlg) {
                      EXPECT_TRUE(pumpUntil([&] { return commandArrived("SWE"); }));
                      sim.command("SILENT");
                      asker = std::thread([&] {
                          std::this_thread::sleep_for(std::chrono::seconds(1));
                          for (int i = 0; i < 3; ++i) {
                              answers.push_back(pingWindow(window, std::chrono::milliseconds(1500)));
                              std::this_thread::sleep_for(std::chrono::milliseconds(500));
                          }
                      });
                      press(dlg, wxID_CANCEL);
                      return 1;
                  }),
                  ExpectMessage("測定を正常に終了することができませんでした。\n処理を中止します。"),
                  ExpectMessage("通訊錯誤: 連接超時"));
    asker.join();
    ASSERT_EQ(answers.size(), 3u);
    for (const auto& answer : answers)
        EXPECT_TRUE(answer) << "the window did not answer within 1.5 s";
    EXPECT_TRUE(commandArrived("SWD"));
    EXPECT_EQ(s.getInt("Mes_Num"), 1);
}

TEST_F(MainWindowTest, AtTheEndOfTheSessionTheRemoteWorkerIsCancelledTheSettingsSavedAndTheLinkClosed)
{
    startForRemoteMeasurement();
    ASSERT_FALSE(fs::exists(settingsFile));

    // The session ends while the instrument waits for its button.
    wxTEST_DIALOG(main->measure(), ExpectDialog<RemoteMeasureDialog>([&](RemoteMeasureDialog& dlg) {
                      EXPECT_TRUE(pumpUntil([&] { return commandArrived("SWE"); }));
                      main->endSession();
                      EXPECT_TRUE(dlg.isCloseRequested());
                      return 1;
                  }),
                  ExpectMessage("測定を正常に終了することができませんでした。\n処理を中止します。"));
    EXPECT_TRUE(commandArrived("SWD"));
    EXPECT_FALSE(Instrument::instance().isOpen());
    const std::string file = readFile(settingsFile);
    for (const char* key : {"Chk_Remote=1\r\n", "Mes_Num=1\r\n", "PosLeft_Main=", "PosBottom_Main="})
        EXPECT_NE(file.find(key), std::string::npos) << key;
}

TEST_F(MainWindowTest, ASessionThatEndsBeforeStartUpIsDoneSavesNothing)
{
    std::ofstream(settingsFile, std::ios::binary) << "Mes_Num=7\r\n";
    main = new MainDialog(settingsFile);
    wxTEST_DIALOG(main->start(), ExpectDialog<termin::PortSetupDialog>([&](termin::PortSetupDialog& dlg) {
                      main->endSession();
                      press(dlg, wxID_CANCEL);
                      return wxID_CANCEL;
                  }));
    EXPECT_EQ(readFile(settingsFile), "Mes_Num=7\r\n");
}

TEST_F(MainWindowTest, SwitchesChangedBeforeAMeasurementThatStoppedStillBringAHeader)
{
    startConnected();
    PropertyFile& s = main->settings();
    s.setInt("Data_Type", 1);
    s.setInt("Chk_AutoNaming", 1);
    selectDestination(2);
    main->measure();
    TextOutputWindow::instance().clear();

    // The number column is switched on; then three measurements stop before
    // their output.
    s.setInt("Chk_Number", 1);
    selectDestination(0);
    wxTEST_DIALOG(main->measure(), ExpectMessage("出力先が指定されていません。\n処理を中止します。"));
    selectDestination(2);
    s.setInt("Chk_AutoNaming", 0);
    wxTEST_DIALOG(main->measure(), ExpectDialog<MeasureInfoDialog>([](MeasureInfoDialog& dlg) {
                      press(dlg, wxID_CANCEL);
                      return wxID_CANCEL;
                  }));
    s.setInt("Chk_AutoNaming", 1);
    sim.command("FLAGS 00000000");
    wxTEST_DIALOG(main->measure(), ExpectMessage("現在の測定条件で校正されていません。\n測定を中止します。"));
    sim.command("FLAGS 22222222");
    EXPECT_EQ(TextOutputWindow::instance().text(), "");

    main->measure();
    const std::string text = TextOutputWindow::instance().text();
    EXPECT_EQ(text.rfind("Sample\r\n\r\n\tL*a*b*\r\n測定No.\t測定値名\t測定日時\tL*\ta*\tb*\r\nNo.2\t", 0), 0u) << text;
    EXPECT_EQ(s.getInt("Mes_Num"), 3);
}

TEST_F(MainWindowTest, CancellingARemoteMeasurementReturnsAndLeavesTheInstrumentOutOfRemoteMode)
{
    PropertyFile& s = startForRemoteMeasurement();

    wxTEST_DIALOG(main->measure(), ExpectDialog<RemoteMeasureDialog>([this](RemoteMeasureDialog& dlg) {
                      EXPECT_TRUE(pumpUntil([&] { return commandArrived("SWE"); }));
                      press(dlg, wxID_CANCEL);
                      return 1;
                  }),
                  // The wait ended without data lines.
                  ExpectMessage("測定を正常に終了することができませんでした。\n処理を中止します。"));
    EXPECT_EQ(s.getInt("Mes_Num"), 1);
    EXPECT_TRUE(pumpUntil([&] { return commandArrived("SWD"); }));
    EXPECT_EQ(TextOutputWindow::instance().text(), "");

    // The instrument answers the next command cleanly.
    s.setInt("Chk_Remote", 0);
    main->measure();
    EXPECT_EQ(s.getInt("Mes_Num"), 2);
}

} // namespace

namespace {

TEST_F(MainWindowTest, TheToolsCommandsShowTheirDialogsOverTheWindowsSettings)
{
    startConnected();
    // The conditions dialog reads the instrument, which answers SX-4810k.
    wxTEST_DIALOG(main->showConditions(), ExpectDialog<ConditionsDialog>([](ConditionsDialog& dlg) {
                      press(dlg, wxID_OK);
                      return wxID_OK;
                  }));
    EXPECT_NO_THROW(main->settings().getInt("Gloss"));
    EXPECT_TRUE(commandArrived("CPS,"));

    wxTEST_DIALOG(main->showDataType(), ExpectDialog<DataTypeDialog>([](DataTypeDialog& dlg) {
                      press(dlg, wxID_OK);
                      return wxID_OK;
                  }));
    EXPECT_NE(readFile(settingsFile).find("Illuminant=0\r\n"), std::string::npos);

    Instrument::instance().closePort();
    wxTEST_DIALOG(main->showConditions(),
                  ExpectMessage("シリアルポートがオープンされてません。\n処理を中止します。"));
}

} // namespace

namespace {

TEST_F(MainWindowTest, MeasurementsLandInTheChosenWorksheetUntilItIsGone)
{
    startConnected();
    PropertyFile& s = main->settings();
    s.setInt("Chk_AutoNaming", 1);
    s.setInt("Chk_Number", 1);
    s.setInt("Data_Type", 1);

    // The spreadsheet destination needs a worksheet.
    main->destinationList()->SetSelection(1);
    wxTEST_DIALOG(main->measure(), ExpectMessage(message140));
    wxTEST_DIALOG(selectDestination(1), chooseWorksheet("結果.ods", "測定"));
    EXPECT_EQ(main->destinationList()->GetSelection(), 1);

    for (int i = 0; i < 3; ++i)
        main->measure();
    EXPECT_EQ(s.getInt("Mes_Num"), 4);
    const auto& sheet = *spreadsheet->worksheet("結果.ods", "測定");
    ASSERT_NE(sheet.cell("A1"), nullptr);
    EXPECT_EQ(sheet.cell("A1")->value, sheetwire::CellValue(std::string("測定No.")));
    EXPECT_EQ(sheet.cell("A1")->interiorColorIndex, 15);
    for (const char* cell : {"A2", "A3", "A4", "C4", "D4", "E4"})
        EXPECT_NE(sheet.cell(cell), nullptr) << cell;
    EXPECT_EQ(sheet.cell("A4")->value, sheetwire::CellValue(std::int32_t{3}));
    EXPECT_EQ(sheet.cell("C2")->interiorColorIndex, 36) << "odd numbers are filled";
    EXPECT_NE(sheet.cell("C3")->interiorColorIndex, 36);

    // The workbook closed: message 140, the destination falls back to none
    // and the number stays.
    spreadsheet->closeWorkbook("結果.ods");
    wxTEST_DIALOG(main->measure(), ExpectMessage(message140));
    EXPECT_EQ(main->destinationList()->GetSelection(), 0);
    EXPECT_EQ(s.getInt("Mes_Num"), 4);
}

} // namespace

namespace {

const std::string journalFailure = "測定記録ファイルに書き込むことができませんでした。\n";

TEST_F(MainWindowTest, EveryMeasurementIsKeptInTheJournalUnlessItIsSwitchedOff)
{
    startConnected();
    PropertyFile& s = main->settings();
    s.setInt("Chk_AutoNaming", 1);
    s.setInt("Data_Type", 1);
    // Neither the name nor the number goes to the text window; the journal
    // keeps them all the same.
    s.setInt("Chk_Number", 0);
    s.setInt("Chk_Name", 0);
    selectDestination(2);
    const fs::path file = journalDir / journalFileName(std::time(nullptr));
    // What the journal held whenever the text window changed.
    struct JournalWatch : wxEvtHandler {
        explicit JournalWatch(fs::path file) : file(std::move(file))
        {
            Bind(wxEVT_TEXT, [this](wxCommandEvent& event) {
                seen.push_back(fs::exists(this->file) ? readFile(this->file) : "");
                event.Skip();
            });
        }
        fs::path file;
        std::vector<std::string> seen;
    } watch(file);
    auto* view = wxWindow::FindWindowByName("textout_text", &TextOutputWindow::instance());
    ASSERT_NE(view, nullptr);
    view->PushEventHandler(&watch);
    main->measure();
    view->PopEventHandler();
    EXPECT_EQ(s.getInt("Journal"), 1);
    const std::string kept = readFile(file);
    ASSERT_FALSE(watch.seen.empty());
    for (const auto& before : watch.seen)
        EXPECT_EQ(before, kept) << "the text window had the measurement before the journal";
    EXPECT_EQ(kept.rfind(journalHeader(), 0), 0u) << kept;
    EXPECT_NE(kept.find("\r\n1,Sample_No.1,,"), std::string::npos) << kept;
    EXPECT_NE(kept.find(",SX-4810k,MAV,SCI,D65,10°,L*a*b*,text,"), std::string::npos) << kept;

    s.setInt("Journal", 0);
    main->measure();
    EXPECT_EQ(s.getInt("Mes_Num"), 3);
    EXPECT_EQ(readFile(file), kept);
}

TEST_F(MainWindowTest, AJournalThatCannotBeWrittenIsReportedAndTheMeasurementStillOutput)
{
    startConnected();
    PropertyFile& s = main->settings();
    s.setInt("Chk_AutoNaming", 1);
    s.setInt("Data_Type", 1);
    selectDestination(2);
    const std::string day = journalFileName(std::time(nullptr));

    // Where the folder would be there is a file.
    std::ofstream(journalDir) << "not a folder";
    std::error_code cannotMake;
    fs::create_directories(journalDir, cannotMake);
    ASSERT_TRUE(cannotMake);
    wxTEST_DIALOG(main->measure(),
                  ExpectMessage(journalFailure + utf8Of(journalDir / day) + "\n" + cannotMake.message() +
                                "\n測定データは出力先に出力します。"));
    EXPECT_NE(TextOutputWindow::instance().text().find("Sample_No.1"), std::string::npos);
    EXPECT_EQ(s.getInt("Mes_Num"), 2);
#ifndef _WIN32
    // A full disk.
    fs::remove(journalDir);
    fs::create_directories(journalDir);
    fs::create_symlink("/dev/full", journalDir / day);
    wxTEST_DIALOG(main->measure(),
                  ExpectMessage(journalFailure + utf8Of(journalDir / day) + "\n" +
                                std::make_error_code(std::errc::no_space_on_device).message() +
                                "\n測定データは出力先に出力します。"));
    EXPECT_NE(TextOutputWindow::instance().text().find("Sample_No.2"), std::string::npos);
    EXPECT_EQ(s.getInt("Mes_Num"), 3);
#endif
}

TEST_F(MainWindowTest, AStandardsLibraryThatCannotBeUsedIsNamedAndMeasuringGoesOnWithoutIt)
{
    fs::create_directories(standardsFile.parent_path());
    const std::string notADatabase = "name,L*,a*,b*\r\nRed,50,60,30\r\n";
    std::ofstream(standardsFile, std::ios::binary) << notADatabase;
    main = new MainDialog(settingsFile);
    bool started = false;
    wxTEST_DIALOG(started = main->start(), choosePort(0),
                  ExpectMessage("基準色ライブラリを使うことができません。基準色なしで測定と出力を続けます。\n" +
                                utf8Of(standardsFile) +
                                "\nファイルが壊れているか、データベースではありません。ファイルはそのまま残してあります。"
                                "\n(file is not a database)"));
    ASSERT_TRUE(started);
    EXPECT_EQ(nullptr, main->standardStore());

    PropertyFile& s = main->settings();
    s.setInt("Chk_AutoNaming", 1);
    selectDestination(2);
    EXPECT_NO_DIALOG(main->measure());
    EXPECT_NE(TextOutputWindow::instance().text().find("Sample_No.1"), std::string::npos);
    EXPECT_EQ(notADatabase, readFile(standardsFile));

    // Once the file is mended, the library is opened again when it is asked for.
    fs::remove(standardsFile);
    wxTEST_DIALOG(main->showStandards(), ExpectDialog<standards::StandardsDialog>([](standards::StandardsDialog& dlg) {
                      EXPECT_EQ(0u, dlg.list()->GetCount());
                      return wxID_CANCEL;
                  }));
    EXPECT_NE(nullptr, main->standardStore());
}

// Measurements are judged against the standard the settings name as
// active: from the start, and after "基準に設定", whose new standard the
// operator has just set as the standard. A name the library no longer has
// judges nothing.
TEST_F(MainWindowTest, MeasurementsAreJudgedAgainstTheActiveStandardOfTheSettingsAndOfTheColourViewsButton)
{
    fs::create_directories(standardsFile.parent_path());
    {
        standards::SqliteStore library(utf8Of(standardsFile));
        standards::Standard tile;
        tile.name = "白タイル";
        tile.lab = {95.0, -0.5, 2.0};
        standards::Standard grey = tile;
        grey.name = "灰タイル";
        grey.lab = {50.0, 0.0, 0.0};
        library.add({tile, grey});
    }
    std::ofstream(settingsFile, std::ios::binary) << toFileText("Name_Standard=灰タイル\r\n");
    startConnected();
    ASSERT_TRUE(main->activeStandard());
    EXPECT_EQ(main->activeStandard()->name, "灰タイル");
    ASSERT_NE(main->colourView(), nullptr);
    ASSERT_TRUE(main->colourView()->model().standard());
    EXPECT_EQ(main->colourView()->model().standard()->name, "灰タイル");

    // L*a*b* under D65/10°, which the colour view's button can make a standard.
    PropertyFile& s = main->settings();
    s.setInt("Chk_AutoNaming", 1);
    s.setInt("Data_Type", 1);
    selectDestination(2);
    main->measure();
    wxTEST_DIALOG(main->makeStandardOfShown(), ExpectDialog<standards::StandardDialog>([](standards::StandardDialog& dialog) {
                      XRCCTRL(dialog, "standard_name", wxTextCtrl)->ChangeValue(wxString::FromUTF8("今日の白"));
                      press(dialog, wxID_OK);
                      return dialog.GetReturnCode();
                  }));
    ASSERT_TRUE(main->activeStandard());
    EXPECT_EQ(main->activeStandard()->name, "今日の白");
    EXPECT_EQ(main->colourView()->model().standard()->name, "今日の白");
    EXPECT_NE(readFile(settingsFile).find(toFileText("Name_Standard=今日の白\r\n")), std::string::npos);
    main->measure();
    const auto judged = main->colourView()->model().shown().judgement;
    ASSERT_TRUE(judged) << "the next measurement is judged against the new standard";
    EXPECT_TRUE(judged->pass);

    // Gone from the library: the standards dialog, even cancelled, leaves
    // nothing to judge against.
    standards::SqliteStore(utf8Of(standardsFile)).remove("今日の白");
    wxTEST_DIALOG(main->showStandards(), ExpectDialog<standards::StandardsDialog>([](standards::StandardsDialog&) {
                      return wxID_CANCEL;
                  }));
    EXPECT_FALSE(main->activeStandard());
    EXPECT_FALSE(main->colourView()->model().standard());
}

#ifndef _WIN32
TEST_F(MainWindowTest, TheToolsMenuOpensTheJournalFolderInTheFileManager)
{
    startConnected();
    // The desktop's opener, standing in for the file manager.
    const fs::path bin = dir / "bin";
    fs::create_directories(bin);
    const fs::path opened = dir / "opened";
    std::ofstream(bin / "xdg-open") << "#!/bin/sh\nprintf '%s' \"$1\" > '" << opened.string() << ".part' && mv '"
                                    << opened.string() << ".part' '" << opened.string() << "'\n";
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const std::string path = std::getenv("PATH");
    setEnvironment("PATH", (bin.string() + ":" + path).c_str());
    wxCommandEvent command(wxEVT_MENU, wxXmlResource::GetXRCID("ID_JOURNAL_FOLDER"));
    main->ProcessWindowEvent(command);
    setEnvironment("PATH", path.c_str());
    for (int i = 0; i < 100 && !fs::exists(opened); ++i)
        pumpFor(std::chrono::milliseconds(50));
    EXPECT_EQ(readFile(opened), journalDir.string());
    EXPECT_TRUE(fs::is_directory(journalDir));
}
#endif

} // namespace

TEST_F(MainWindowTest, TheColourViewShowsEveryMeasurementAndComesBackWhereItWas)
{
    startConnected();
    PropertyFile& s = main->settings();
    s.setInt("Chk_AutoNaming", 1);
    s.setInt("Data_Type", 0);
    selectDestination(2);
    ColourViewWindow* view = main->colourView();
    ASSERT_NE(view, nullptr);
    EXPECT_FALSE(view->IsShown()) << "closed until the operator opens it";
    main->toggleColourView();
    EXPECT_TRUE(view->IsShown());
    EXPECT_TRUE(main->GetMenuBar()->IsChecked(XRCID("ID_COLOUR_VIEW")));

    main->measure();
    s.setInt("Data_Type", 1);
    main->measure();
    ASSERT_EQ(view->model().strip().size(), 2u);
    const ColourSample& spectral = view->model().strip().front();
    EXPECT_EQ(spectral.number, 1);
    EXPECT_EQ(spectral.dataType, 0);
    ASSERT_FALSE(spectral.lines.empty());
    EXPECT_EQ(spectral.lines.front().values.size(), 39u);
    const ColourViewModel::Shown shown = view->model().shown();
    EXPECT_EQ(shown.sample->number, 2);
    EXPECT_EQ(shown.sample->dataType, 1);
    EXPECT_EQ(shown.illuminant, 0) << "L*a*b* asked for under D65";
    EXPECT_FALSE(shown.rows.empty());

    const wxRect screen = wxDisplay(0u).GetGeometry();
    view->Move(screen.GetLeft() + 40, screen.GetTop() + 60);
    pumpFor(std::chrono::milliseconds(50));
    const wxPoint place = view->GetScreenPosition();
    TextOutputWindow::instance().clear(); // nothing unsaved: the plain exit question
    bool ended = false;
    wxTEST_DIALOG(ended = main->confirmExit(), ExpectMessage(exitQuestion, wxID_OK));
    ASSERT_TRUE(ended);
    main = nullptr; // destroyed by the exit
    const std::string file = readFile(settingsFile);
    EXPECT_NE(file.find("Show_ColourView=1\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("PosLeft_ColourView=" + std::to_string(place.x) + "\r\n"), std::string::npos) << file;
    EXPECT_NE(file.find("PosTop_ColourView=" + std::to_string(place.y) + "\r\n"), std::string::npos) << file;

    // The next start opens it again, where it was; closing it unchecks the menu.
    startConnected();
    view = main->colourView();
    EXPECT_TRUE(view->IsShown());
    EXPECT_TRUE(main->GetMenuBar()->IsChecked(XRCID("ID_COLOUR_VIEW")));
    EXPECT_EQ(view->GetScreenPosition(), place);
    view->Close();
    EXPECT_FALSE(view->IsShown());
    EXPECT_FALSE(main->GetMenuBar()->IsChecked(XRCID("ID_COLOUR_VIEW")));
}

namespace {

TEST_F(MainWindowTest, EachDestinationComparesWithWhatItsOwnLastHeaderAnnounced)
{
    PropertyFile& s = startWithAutomaticNaming();
    s.setInt("Chk_Number", 1);
    TextOutputWindow& window = TextOutputWindow::instance();

    // No.1-5, spectral, into the text window.
    s.setInt("Data_Type", 0);
    selectDestination(2);
    for (int i = 0; i < 5; ++i)
        main->measure();
    const std::string spectral = window.text();
    ASSERT_EQ(std::count(spectral.begin(), spectral.end(), '\n'), 4 + 5) << spectral;

    // No.6-16 into the spreadsheet, the last ones L*a*b*.
    wxTEST_DIALOG(selectDestination(1), chooseWorksheet("Book1", "Sheet1"));
    for (int i = 6; i <= 16; ++i) {
        s.setInt("Data_Type", i >= 10 ? 1 : 0);
        main->measure();
    }
    EXPECT_EQ(window.text(), spectral) << "the spreadsheet's rows stay out of the text window";

    // No.17, L*a*b*, into the text window again, without automatic naming:
    // it comes under an L*a*b* header of its own.
    s.setInt("Data_Type", 1);
    s.setInt("Chk_AutoNaming", 0);
    selectDestination(2);
    wxTEST_DIALOG(main->measure(), ExpectDialog<MeasureInfoDialog>([](MeasureInfoDialog& dlg) {
                      press(dlg, wxID_OK);
                      return wxID_OK;
                  }));
    EXPECT_EQ(s.getInt("Mes_Num"), 18);
    const std::string added = window.text().substr(spectral.size());
    EXPECT_EQ(added.rfind("Sample\r\n\r\n\tL*a*b*\r\n測定No.\t測定値名\t測定日時\tL*\ta*\tb*\r\nNo.17\t", 0), 0u)
        << added;

    // No.18, spectral, into the text window; then No.19, spectral, into the
    // spreadsheet, whose last title row was L*a*b* (No.10-16): it gets a
    // spectral title row right above it.
    s.setInt("Data_Type", 0);
    s.setInt("Chk_AutoNaming", 1);
    main->measure();
    wxTEST_DIALOG(selectDestination(1), chooseWorksheet("Book1", "Sheet1"));
    main->measure();
    EXPECT_EQ(s.getInt("Mes_Num"), 20);
    const auto& sheet = *spreadsheet->worksheet("Book1", "Sheet1");
    int row = 1;
    while (row < 100 && !(sheet.cell("A" + std::to_string(row)) != nullptr &&
                          sheet.cell("A" + std::to_string(row))->value == sheetwire::CellValue(std::int32_t{19})))
        ++row;
    ASSERT_LT(row, 100) << "No.19 is not in the worksheet";
    const auto* title = sheet.cell("D" + std::to_string(row - 1));
    ASSERT_NE(title, nullptr);
    EXPECT_EQ(title->value, sheetwire::CellValue(std::int32_t{360}));
}

} // namespace

namespace {

const char* const unsavedExitQuestion =
    "テキスト出力に保存されていない測定データがあります。\n"
    "保存してから SX-4810k用アクセサリーソフトウェア を終了しますか？";

// The exit question with unsaved lines: its three buttons, answered.
ExpectDialog<wxMessageDialog> answerUnsavedExit(int answer)
{
    return ExpectDialog<wxMessageDialog>([answer](wxMessageDialog& box) {
        EXPECT_EQ(box.GetMessage().utf8_string(), unsavedExitQuestion);
        // (GTK writes the mnemonic its own way: "(_S)".)
        EXPECT_EQ(box.GetYesLabel().BeforeFirst('(').utf8_string(), "保存する");
        EXPECT_EQ(box.GetNoLabel().BeforeFirst('(').utf8_string(), "保存しない");
        EXPECT_EQ(box.GetCancelLabel().utf8_string(), "ｷｬﾝｾﾙ");
        return answer;
    });
}

TEST_F(MainWindowTest, LeavingWithUnsavedTextOffersToSaveItFirst)
{
    startWithAutomaticNaming();
    selectDestination(2);
    main->measure();
    const std::string text = TextOutputWindow::instance().text();
    ASSERT_NE(text.find("Sample_No.1"), std::string::npos);

    bool ended = true;
    wxTEST_DIALOG(ended = main->confirmExit(), answerUnsavedExit(wxID_CANCEL));
    EXPECT_FALSE(ended);
    // Saving, but the file dialog is cancelled: still there, nothing saved.
    wxTEST_DIALOG(ended = main->confirmExit(), answerUnsavedExit(wxID_YES),
                  chooseFile((dir / "never.csv").string(), wxID_CANCEL));
    EXPECT_FALSE(ended);
    EXPECT_FALSE(fs::exists(settingsFile));

    wxTEST_DIALOG(ended = main->confirmExit(), answerUnsavedExit(wxID_YES),
                  chooseFile((dir / "day.txt").string()));
    EXPECT_TRUE(ended);
    main = nullptr; // destroyed by the exit
    EXPECT_EQ(readFile(dir / "day.txt"), toFileText(text));
    EXPECT_NE(readFile(settingsFile).find("PosLeft_Main="), std::string::npos);
}

TEST_F(MainWindowTest, LeavingWithoutSavingAndLeavingAfterASaveAskTheirOwnQuestions)
{
    startWithAutomaticNaming();
    selectDestination(2);
    main->measure();
    TextOutputWindow& window = TextOutputWindow::instance();

    // Saved: the plain question.
    wxTEST_DIALOG(window.saveAs(), chooseFile((dir / "saved.csv").string()));
    bool ended = true;
    wxTEST_DIALOG(ended = main->confirmExit(), ExpectMessage(exitQuestion, wxID_CANCEL));
    EXPECT_FALSE(ended);

    // A line more, and quitting without saving it.
    main->measure();
    wxTEST_DIALOG(ended = main->confirmExit(), answerUnsavedExit(wxID_NO));
    EXPECT_TRUE(ended);
    main = nullptr;
    EXPECT_NE(readFile(settingsFile).find("Mes_Num=3\r\n"), std::string::npos);
}

} // namespace

namespace {

// The lines of a CSV file after its header, each without its CR LF.
std::vector<std::string> recordsOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = text.find("\r\n");
    while (start != std::string::npos && start + 2 < text.size()) {
        const std::size_t end = text.find("\r\n", start + 2);
        lines.push_back(text.substr(start + 2, end - start - 2));
        start = end;
    }
    return lines;
}

// The field of a journal record (without quoted fields) under a title of
// the header.
std::string fieldOf(const std::string& record, const std::string& title)
{
    auto split = [](const std::string& line) {
        std::vector<std::string> fields;
        std::istringstream in(line);
        for (std::string field; std::getline(in, field, ',');)
            fields.push_back(field);
        if (!line.empty() && line.back() == ',')
            fields.emplace_back();
        return fields;
    };
    std::string header = journalHeader();
    header.resize(header.size() - 2);
    const auto titles = split(header);
    const auto fields = split(record);
    const auto at = std::find(titles.begin(), titles.end(), title);
    EXPECT_NE(at, titles.end()) << title;
    const auto index = static_cast<std::size_t>(at - titles.begin());
    EXPECT_EQ(fields.size(), titles.size()) << record;
    return index < fields.size() ? fields[index] : std::string();
}

TEST_F(MainWindowTest, TheJournalTellsWhatBecameOfEachMeasurement)
{
    PropertyFile& s = startWithAutomaticNaming();
    s.setInt("Data_Type", 1);
    wxTEST_DIALOG(selectDestination(1), chooseWorksheet("結果.ods", "測定"));
    main->measure();

    // No.2's row fails: its worksheet is renamed as the row is written.
    auto sheet = spreadsheet->worksheet("結果.ods", "測定");
    spreadsheet->onCall = [&](const std::string& call) {
        if (call.rfind("Range.Value=", 0) == 0)
            sheet->name = "改名";
    };
    wxTEST_DIALOG(main->measure(), ExpectMessage("指定したワークシートは開いていません。"),
                  ExpectMessage(message140));
    spreadsheet->onCall = nullptr;
    EXPECT_EQ(s.getInt("Mes_Num"), 2) << "the number stays";
    // Back under its name, the next measurement takes No.2 again.
    sheet->name = "測定";
    main->measure();
    EXPECT_EQ(s.getInt("Mes_Num"), 3);

    const std::time_t now = std::time(nullptr);
    const auto measurements = recordsOf(readFile(journalDir / journalFileName(now)));
    ASSERT_EQ(measurements.size(), 3u);
    std::vector<std::string> ids;
    for (const auto& line : measurements)
        ids.push_back(fieldOf(line, "measurement id"));
    EXPECT_EQ(measurements[1].rfind("2,Sample_No.2,", 0), 0u) << measurements[1];
    EXPECT_EQ(measurements[2].rfind("2,Sample_No.2,", 0), 0u) << measurements[2];
    EXPECT_NE(ids[1], ids[2]) << "the two No.2 are told apart";
    EXPECT_EQ(std::set<std::string>(ids.begin(), ids.end()).size(), 3u);

    const std::string outcomes = readFile(journalDir / journalOutcomeFileName(now));
    EXPECT_EQ(outcomes, journalOutcomeHeader() + ids[0] + ",written,,\r\n" + ids[1] + ",failed,140,\r\n" +
                            ids[2] + ",written,,\r\n");
}

TEST_F(MainWindowTest, EachMeasurementIsJudgedAgainstTheActiveStandardBeforeItIsJournalled)
{
    PropertyFile& s = startWithAutomaticNaming();
    s.setInt("Data_Type", 0);
    selectDestination(2);
    ColourViewWindow* view = main->colourView();
    ASSERT_NE(view, nullptr);
    main->measure(); // white, before any standard

    // No.1 becomes the standard, as the colour view's button makes it.
    const ColourSample& first = view->model().strip().back();
    standards::Standard white;
    white.name = "白タイル";
    white.reflectance.emplace();
    std::copy(first.lines.front().values.begin(), first.lines.front().values.end(), white.reflectance->begin());
    white.tolerance.formula = standards::Formula::E00;
    white.tolerance.deltaE = 1.0;
    main->setActiveStandard(white);
    EXPECT_EQ(main->activeStandard()->name, "白タイル");
    EXPECT_EQ(view->model().standard()->name, "白タイル");

    main->measure(); // white again: within the tolerance
    const auto second = view->model().shown().judgement;
    ASSERT_TRUE(second);
    EXPECT_TRUE(second->pass);
    sim.command("SAMPLE grey");
    main->measure();
    const auto third = view->model().shown().judgement;
    ASSERT_TRUE(third);
    EXPECT_FALSE(third->pass);
    EXPECT_EQ(view->verdictText()->GetLabel(), wxString::FromUTF8("不合格"));

    const auto records = recordsOf(readFile(journalDir / journalFileName(std::time(nullptr))));
    ASSERT_EQ(records.size(), 3u);
    for (const char* title : {"standard", "formula", "judging illuminant", "judging observer", "delta E", "verdict"})
        EXPECT_EQ(fieldOf(records[0], title), "") << "No.1 was measured before a standard was chosen";
    const std::vector<std::pair<std::string, standards::Judgement>> judged{{records[1], *second},
                                                                          {records[2], *third}};
    for (const auto& [record, judgement] : judged) {
        EXPECT_EQ(fieldOf(record, "standard"), "白タイル");
        EXPECT_EQ(fieldOf(record, "formula"), "ΔE00");
        EXPECT_EQ(fieldOf(record, "judging illuminant"), "D65");
        EXPECT_EQ(fieldOf(record, "judging observer"), "10°");
        const std::string deltaE = fieldOf(record, "delta E");
        EXPECT_EQ(deltaE.size() - deltaE.find('.'), 3u) << deltaE;
        EXPECT_NEAR(std::strtod(deltaE.c_str(), nullptr), standards::asShown(judgement.deltaE), 1e-9) << deltaE;
        EXPECT_EQ(fieldOf(record, "verdict"), judgement.pass ? "pass" : "fail");
    }

    main->setActiveStandard(std::nullopt);
    EXPECT_FALSE(view->model().standard());
}

} // namespace

namespace {

void sendMenuCommand(MainDialog& window, const char* name)
{
    wxCommandEvent command(wxEVT_MENU, wxXmlResource::GetXRCID(name));
    window.ProcessWindowEvent(command);
}

TEST_F(MainWindowTest, TheStatusLinesTellWhatTheLastExchangesReadWithoutCommandsOfTheirOwn)
{
    sim.command("CLEARLOG");
    startConnected();
    EXPECT_EQ(main->statusText(), "COM1  機種未確認  校正状態未確認\n測定条件未確認\n"
                                  "L*a*b*  D65/10°  リモート測定: オフ\n");
    EXPECT_TRUE(sim.log().empty()) << "nothing was asked of the instrument for them";

    PropertyFile& s = main->settings();
    s.setInt("Chk_AutoNaming", 1);
    s.setInt("Illuminant", 9);
    s.setInt("Observer", 1);
    sim.command("CONDITIONS 1 1");
    selectDestination(2);
    main->measure();
    EXPECT_EQ(main->statusText(), "COM1  SX-4810k  校正済み\nSCI+SCE  SAV (3mm)\n"
                                  "L*a*b*  F11/2°  リモート測定: オフ\n");

    // A zero calibration: the white one is due again.
    sim.command("CLEARLOG");
    wxTEST_DIALOG(main->calibrate(),
                  ExpectDialog<CalibrationPromptDialog>([](CalibrationPromptDialog&) { return wxID_OK; }),
                  ExpectDialog<CalibrationPromptDialog>([](CalibrationPromptDialog&) { return wxID_CANCEL; }));
    EXPECT_EQ(main->statusText().substr(0, main->statusText().find('\n')), "COM1  SX-4810k  白色校正未実施");
}

TEST_F(MainWindowTest, RemoteMeasurementIsSwitchedInTheMenuAndAnotherDataTypeIsSaidInTheStatusLines)
{
    PropertyFile& s = startWithAutomaticNaming();
    s.setInt("Data_Type", 1);
    selectDestination(2);
    wxMenuItem* item = main->GetMenuBar()->FindItem(wxXmlResource::GetXRCID("ID_REMOTE"));
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->IsCheckable());
    EXPECT_EQ(item->GetItemLabelText().utf8_string(), "リモート測定");
    EXPECT_EQ(main->GetMenuBar()->GetMenu(0)->FindItem(item->GetId()), item) << "under 操作(&O)";

    sendMenuCommand(*main, "ID_REMOTE");
    EXPECT_EQ(s.getInt("Chk_Remote"), 1);
    EXPECT_NE(readFile(settingsFile).find("Chk_Remote=1\r\n"), std::string::npos) << "saved";
    wxMenuEvent opened(wxEVT_MENU_OPEN, 0, main->GetMenuBar()->GetMenu(0));
    main->ProcessWindowEvent(opened);
    EXPECT_TRUE(item->IsChecked());
    EXPECT_NE(main->statusText().find("リモート測定: オン"), std::string::npos) << main->statusText();

    // L*a*b* is set, the instrument's button sends spectral data: written as
    // received, said in the status lines, no box.
    wxTEST_DIALOG(main->measure(), pressTheInstrumentsButton());
    EXPECT_EQ(s.getInt("Mes_Num"), 2);
    EXPECT_NE(TextOutputWindow::instance().text().find("\t反射率\r\n"), std::string::npos);
    const std::string status = main->statusText();
    EXPECT_EQ(status.substr(status.rfind('\n') + 1),
              "リモート測定で受信したデータは分光データです。受信したまま出力しました。")
        << status;

    sendMenuCommand(*main, "ID_REMOTE");
    EXPECT_EQ(s.getInt("Chk_Remote"), 0);
    EXPECT_NE(readFile(settingsFile).find("Chk_Remote=0\r\n"), std::string::npos);
    main->ProcessWindowEvent(opened);
    EXPECT_FALSE(item->IsChecked());
}

TEST_F(MainWindowTest, TheWorksheetCanBeChosenAgainFromTheMenu)
{
    startConnected();
    wxTEST_DIALOG(selectDestination(1), chooseWorksheet("Book1", "Sheet1"));
    // Choosing the same entry again fires nothing; the menu item does.
    wxTEST_DIALOG(sendMenuCommand(*main, "ID_SELECT_WORKSHEET"), chooseWorksheet("結果.ods", "Sheet2"));
    EXPECT_EQ(main->destinationList()->GetSelection(), 1);
    main->settings().setInt("Chk_AutoNaming", 1);
    main->measure();
    EXPECT_NE(spreadsheet->worksheet("結果.ods", "Sheet2")->cell("A2"), nullptr);

    // From the text window, cancelled: the text window stays the destination.
    selectDestination(2);
    wxTEST_DIALOG(sendMenuCommand(*main, "ID_SELECT_WORKSHEET"), chooseWorksheet("", ""));
    EXPECT_EQ(main->destinationList()->GetSelection(), 2);
    EXPECT_TRUE(TextOutputWindow::instance().IsShown());
    // Chosen: the spreadsheet becomes the destination.
    wxTEST_DIALOG(sendMenuCommand(*main, "ID_SELECT_WORKSHEET"), chooseWorksheet("Book1", "Sheet1"));
    EXPECT_EQ(main->destinationList()->GetSelection(), 1);
    EXPECT_FALSE(TextOutputWindow::instance().IsShown());
}

#ifndef _WIN32
TEST_F(MainWindowTest, AJournalFolderThatCannotBeShownIsNamedInSelectableText)
{
    startConnected();
    // An opener that fails, as xdg-open does on a desktop without a file
    // manager.
    const fs::path bin = dir / "bin";
    fs::create_directories(bin);
    std::ofstream(bin / "xdg-open") << "#!/bin/sh\necho 'no method available for opening' >&2\nexit 3\n";
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const std::string path = std::getenv("PATH");
    setEnvironment("PATH", (bin.string() + ":" + path).c_str());
    bool shown = false;
    wxTEST_DIALOG(
        {
            sendMenuCommand(*main, "ID_JOURNAL_FOLDER");
            setEnvironment("PATH", path.c_str());
            EXPECT_TRUE(pumpUntil([&] { return shown; }));
        },
        ExpectDialog<PathMessageDialog>([&](PathMessageDialog& box) {
            shown = true;
            auto* field = dynamic_cast<wxTextCtrl*>(box.FindWindow("path"));
            EXPECT_NE(field, nullptr);
            if (field != nullptr) {
                EXPECT_EQ(field->GetValue().utf8_string(), journalDir.string());
                EXPECT_FALSE(field->IsEditable());
                EXPECT_TRUE(field->IsEnabled()) << "its text can be selected and copied";
            }
            return wxID_OK;
        }));
}
#endif

} // namespace
