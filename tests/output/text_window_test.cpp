#include "ChooseFile.h"
#include "GuiTest.h"
#include "Layout.h"
#include "ScrollBar.h"
#ifndef _WIN32
#include "FileSizeLimit.h"
#endif
#include "TempDir.h"

#include "PlatformFiles.h"
#include "Strings.h"
#include "TextFile.h"
#include "TextOutputWindow.h"

#include <wx/button.h>
#include <wx/datetime.h>
#include <wx/filedlg.h>
#include <wx/frame.h>
#include <wx/msgdlg.h>
#include <wx/textctrl.h>
#include <wx/xrc/xmlres.h>

#include <cstring>

using namespace tonvale;

TEST(TextFile, Bytes)
{
    struct Case {
        const char* what;
        std::string text;
        std::string path;
        std::string bytes;
    };
    const Case cases[] = {
        {"tabs become commas in a .csv file", "a\tb\r\n", "/d/result.csv", "a,b\r\n"},
        {"upper-case CSV keeps the tab", "a\tb\r\n", "/d/result.CSV", "a\tb\r\n"},
        {"a text file keeps the tab", "a\tb\r\n", "/d/result.txt", "a\tb\r\n"},
        {"only the end of the path counts", "a\tb\r\n", "/d.csv/result.csv.txt", "a\tb\r\n"},
        {"empty text", "", "/d/result.csv", ""},
        {"CR LF is never doubled", "a\r\n\r\nb\r\n", "/d/result.txt", "a\r\n\r\nb\r\n"},
        {"a lone LF ends a line too", "a\nb\r\n", "/d/result.txt", "a\r\nb\r\n"},
        {"empty fields", "\t\t\r\n", "/d/result.csv", ",,\r\n"},
        {"decimal commas are quoted", "Lot\t1,00\t-3,25\r\n", "/d/r.csv", "Lot,\"1,00\",\"-3,25\"\r\n"},
        {"quotes are doubled", "say \"hi\"\tx\r\n", "/d/r.csv", "\"say \"\"hi\"\"\",x\r\n"},
        {"a line break inside a field", "a\rb\tc\r\n", "/d/r.csv", "\"a\rb\",c\r\n"},
        {"text without quoting stays as it is", "測定No.\tL*\r\nNo.1\t1.00\r\n", "/d/r.csv",
         "測定No.,L*\r\nNo.1,1.00\r\n"},
        {"a text file is never quoted", "1,00\t\"x\"\r\n", "/d/r.txt", "1,00\t\"x\"\r\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(textFileBytes(c.text, c.path), toFileText(c.bytes)) << c.what;
}

TEST(TextFile, DefaultExtensionAndFilter)
{
    const std::string wildcard = fileDialogWildcard(strings().get(149));
    EXPECT_EQ(wildcard, "CSVﾌｧｲﾙ (*.csv)|*.csv|ﾃｷｽﾄﾌｧｲﾙ (*.txt)|*.txt|すべてのﾌｧｲﾙ (*.*)|*.*");

    // The extension of the chosen filter, as the Windows file dialog adds it;
    // ".txt" for all files. A name with an extension of its own keeps it.
    const struct {
        const char* chosen;
        int filter;
        const char* used;
    } paths[] = {
        {"/d/result", 0, "/d/result.csv"},
        {"/d/result", 1, "/d/result.txt"},
        {"/d/result", 2, "/d/result.txt"},
        {"/d/result", 3, "/d/result.txt"},
        {"/d/result", -1, "/d/result.txt"},
        {"/d/result.csv", 1, "/d/result.csv"},
        {"/d/result.CSV", 0, "/d/result.CSV"},
        {"/d/result.txt", 0, "/d/result.txt"},
        {"/d.x/result", 0, "/d.x/result.csv"},
        {"/d/.hidden", 1, "/d/.hidden.txt"},
    };
    for (const auto& p : paths)
        EXPECT_EQ(withDefaultExtension(p.chosen, wildcard, p.filter), p.used)
            << p.chosen << " under filter " << p.filter;
    EXPECT_EQ(withDefaultExtension("/d/r", "Data|*.dat;*.d|Any|*", 0), "/d/r.txt");
    EXPECT_EQ(withDefaultExtension("/d/r", "Data|*.dat;*.d|Any|*", 1), "/d/r.txt");
}

namespace {

struct TextWindow : testing::Test {
    TextOutputWindow& window = TextOutputWindow::instance();
    wxTextCtrl* view = XRCCTRL(window, "textout_text", wxTextCtrl);

    void SetUp() override { window.clear(); }
    void TearDown() override
    {
        window.Hide();
        window.setMainWindow(nullptr);
    }
};

} // namespace

TEST_F(TextWindow, IsOneHiddenTopLevelWindow)
{
    EXPECT_EQ(&TextOutputWindow::instance(), &window);
    EXPECT_FALSE(window.IsShown());
    EXPECT_EQ(window.GetParent(), nullptr);
    EXPECT_EQ(window.GetTitle().utf8_string(), "テキスト出力");
    EXPECT_EQ(XRCCTRL(window, "textout_save", wxButton)->GetLabel().utf8_string(), "名前を付けて保存");
    EXPECT_EQ(XRCCTRL(window, "textout_clear", wxButton)->GetLabel().utf8_string(), "クリア");
    EXPECT_FALSE(view->IsEditable());
}

TEST_F(TextWindow, AppendAndClear)
{
    window.appendLine("a\tb");
    window.appendLine("");
    window.appendLine("測定");
    EXPECT_EQ(window.text(), "a\tb\r\n\r\n測定\r\n");
    EXPECT_EQ(view->GetValue().utf8_string(), "a\tb\n\n測定\n");

    // Bytes that are not UTF-8 are kept in the text and still shown.
    window.clear();
    window.appendLine("Lot\x82\xa0");
    EXPECT_EQ(window.text(), "Lot\x82\xa0\r\n");
    EXPECT_TRUE(view->GetValue().StartsWith("Lot")) << view->GetValue().utf8_string();

    press(window, XRCID("textout_clear"));
    EXPECT_EQ(window.text(), "");
    EXPECT_EQ(view->GetValue(), "");
}

TEST_F(TextWindow, HidingRightAfterShowingHolds)
{
    for (int round = 0; round < 2; ++round) {
        window.Show();
        window.Hide();
        pumpFor(std::chrono::milliseconds(100));
        EXPECT_FALSE(window.IsShown()) << "round " << round;
        window.Show();
        pumpFor(std::chrono::milliseconds(100));
        EXPECT_TRUE(window.IsShown()) << "round " << round;
        EXPECT_TRUE(window.IsShownOnScreen()) << "round " << round;
        window.Hide();
    }
}

TEST_F(TextWindow, TheNewestLineIsInView)
{
    window.Show();
    for (int i = 0; i < 300; ++i)
        window.appendLine("line " + std::to_string(i));
    pumpFor(std::chrono::milliseconds(200));
    const wxPoint last = view->PositionToCoords(view->XYToPosition(0, 299));
    const wxPoint first = view->PositionToCoords(0);
    EXPECT_GE(last.y, 0);
    EXPECT_LT(last.y, view->GetClientSize().y);
    EXPECT_LT(first.y, 0) << "the first line has scrolled out of view";
}

TEST_F(TextWindow, LayoutFollowsTheSize)
{
    window.Show();
    window.SetClientSize(600, 400);
    pumpUntil([&] { return window.GetClientSize() == wxSize(600, 400); });
    ASSERT_EQ(window.GetClientSize(), wxSize(600, 400));
    auto* save = XRCCTRL(window, "textout_save", wxButton);
    auto* clear = XRCCTRL(window, "textout_clear", wxButton);
    const wxSize button = save->GetSize();
    EXPECT_EQ(view->GetRect(), wxRect(wxPoint(15, 15), wxPoint(600 - 15 - 1, 400 - button.y - 20 - 1)));
    EXPECT_EQ(save->GetPosition(), wxPoint(15, 400 - button.y - 5));
    EXPECT_EQ(clear->GetRect(), wxRect(30 + button.x, 400 - button.y - 5, button.x, button.y));
    EXPECT_EQ(expectTidyLayout(window), 3u);

    // At its smallest too.
    window.SetSize(TextOutputWindow::minimumWidth, TextOutputWindow::minimumHeight);
    pumpUntil([&] { return window.GetSize() == wxSize(TextOutputWindow::minimumWidth, TextOutputWindow::minimumHeight); });
    EXPECT_EQ(expectTidyLayout(window), 3u);
}

TEST_F(TextWindow, CannotBeMadeSmallerThanItsMinimum)
{
    window.Show();
    window.SetSize(200, 150);
    pumpFor(std::chrono::milliseconds(100));
    EXPECT_GE(window.GetSize().x, TextOutputWindow::minimumWidth);
    EXPECT_GE(window.GetSize().y, TextOutputWindow::minimumHeight);
    EXPECT_EQ(window.GetMinSize(), wxSize(380, 300));
}

TEST_F(TextWindow, ClosingSwitchesTheDestinationToNoneAndKeepsTheText)
{
    auto* main = new wxFrame(nullptr, wxID_ANY, "main");
    int switched = 0;
    main->Bind(wxEVT_MENU, [&](wxCommandEvent&) { ++switched; }, commandSwitchToNone);
    window.setMainWindow(main);
    window.appendLine("kept");
    window.Show();
    window.Close();
    EXPECT_FALSE(window.IsShown());
    EXPECT_TRUE(pumpUntil([&] { return switched == 1; }));
    EXPECT_FALSE(window.IsShown());
    EXPECT_EQ(window.text(), "kept\r\n");
    main->Destroy();
}

TEST_F(TextWindow, SavesTheTextAsChosen)
{
    TempDir dir;
    window.appendLine("No.1\t1,00\t2.00");
    struct Case {
        std::string chosen;
        int filter;
        std::string written;
        std::string bytes;
    };
    // The CSV filter is the one offered first.
    const Case cases[] = {
        {"r.csv", 1, "r.csv", "No.1,\"1,00\",2.00\r\n"},
        {"r.CSV", 0, "r.CSV", "No.1\t1,00\t2.00\r\n"},
        {"plain", 0, "plain.csv", "No.1,\"1,00\",2.00\r\n"},
        {"text", 1, "text.txt", "No.1\t1,00\t2.00\r\n"},
        {"any", 2, "any.txt", "No.1\t1,00\t2.00\r\n"},
    };
    for (const auto& c : cases) {
        wxTEST_DIALOG(window.saveAs(),
                      ExpectDialog<wxFileDialog>([&](wxFileDialog& dlg) {
                          EXPECT_EQ(dlg.GetWildcard().utf8_string(), fileDialogWildcard(strings().get(149)));
                          EXPECT_TRUE(dlg.HasFlag(wxFD_SAVE));
                          EXPECT_TRUE(dlg.HasFlag(wxFD_OVERWRITE_PROMPT));
                          // A name with the day's date; the folder of the last save.
                          EXPECT_EQ(dlg.GetFilename().utf8_string(),
                                    suggestedFileName(*wxDateTime::GetTmNow()));
                          if (&c != cases) {
                              EXPECT_EQ(dlg.GetDirectory().utf8_string(), utf8Of(pathOf(dir.path("x")).parent_path()))
                                  << "after " << (&c - 1)->chosen;
                          }
                          EXPECT_EQ(dlg.GetFilterIndex(), 0);
                          dlg.SetFilterIndex(c.filter);
                          choose(dlg, dir.path(c.chosen));
                          return wxID_OK;
                      }));
        EXPECT_EQ(dir.read(c.written), c.bytes) << c.chosen;
    }
    EXPECT_EQ(window.text(), "No.1\t1,00\t2.00\r\n") << "saving keeps the text";
}

TEST(TextFile, TheOfferedNameCarriesTheDate)
{
    std::tm day{};
    day.tm_year = 2026 - 1900;
    day.tm_mon = 2;
    day.tm_mday = 5;
    EXPECT_EQ(suggestedFileName(day), "Tonvale_2026-03-05.csv");
}

TEST_F(TextWindow, ALongLineCanBeScrolledToWithABarThatIsThere)
{
    window.Show();
    window.appendLine(std::string(400, '9'));
    EXPECT_TRUE(pumpUntil([&] { return hasHorizontalScrollBar(*view); }, std::chrono::seconds(3)));
}

TEST_F(TextWindow, LinesAddedSinceTheLastSaveOrClearAreUnsaved)
{
    TempDir dir;
    EXPECT_FALSE(window.hasUnsavedLines());
    window.appendLine("No.1");
    EXPECT_TRUE(window.hasUnsavedLines());
    wxTEST_DIALOG(EXPECT_FALSE(window.saveAs()), chooseFile(dir.path("never.txt"), wxID_CANCEL));
    EXPECT_TRUE(window.hasUnsavedLines()) << "a cancelled save saved nothing";
    wxTEST_DIALOG(EXPECT_TRUE(window.saveAs()), chooseFile(dir.path("r.txt")));
    EXPECT_FALSE(window.hasUnsavedLines());
    window.appendLine("No.2");
    EXPECT_TRUE(window.hasUnsavedLines());
    window.clear();
    EXPECT_FALSE(window.hasUnsavedLines());
}

TEST_F(TextWindow, AnEmptyTextSavesAnEmptyFileAndCancelSavesNothing)
{
    TempDir dir;
    wxTEST_DIALOG(window.saveAs(), chooseFile(dir.path("empty.txt")));
    EXPECT_TRUE(std::filesystem::exists(dir.path("empty.txt")));
    EXPECT_EQ(dir.read("empty.txt"), "");

    wxTEST_DIALOG(window.saveAs(), chooseFile(dir.path("never.txt"), wxID_CANCEL));
    EXPECT_FALSE(std::filesystem::exists(dir.path("never.txt")));
}

TEST_F(TextWindow, AnAddedExtensionAsksBeforeOverwriting)
{
    TempDir dir;
    dir.write("r.csv", "old");
    window.appendLine("new");
    const std::string question = "r.csv は既に存在します。\n上書きしますか?";
    wxTEST_DIALOG(window.saveAs(), chooseFile(dir.path("r")),
                  ExpectMessage(question, wxID_CANCEL, wxICON_QUESTION));
    EXPECT_EQ(dir.read("r.csv"), "old");
    wxTEST_DIALOG(window.saveAs(), chooseFile(dir.path("r")),
                  ExpectMessage(question, wxID_OK, wxICON_QUESTION));
    EXPECT_EQ(dir.read("r.csv"), "new\r\n");
}

// A full disk, by the file size limit of POSIX.
#ifndef _WIN32
TEST_F(TextWindow, ASaveErrorIsReportedAndChangesNothing)
{
    TempDir dir;
    dir.write("r.csv", "old");
    const std::string line(10000, 'x');
    window.appendLine(line);
    const std::string path = dir.path("r.csv");
    {
        FileSizeLimit limit(4096);
        wxTEST_DIALOG(window.saveAs(), chooseFile(path),
                      ExpectMessage("ファイル " + path + " に書き込むことができませんでした。\n" +
                                    std::strerror(EFBIG)));
    }
    EXPECT_EQ(dir.read("r.csv"), "old");
    EXPECT_EQ(dir.entryCount(), 1u);
    EXPECT_EQ(window.text(), line + "\r\n");
    EXPECT_EQ(view->GetValue().utf8_string(), line + "\n");
}
#endif
