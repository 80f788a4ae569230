#pragma once
// Spreadsheet output tests run against a fresh in-memory spreadsheet
// application with two workbooks open: "Book1" (Sheet1, Sheet2) and
// "結果.xls" (測定, Sheet2). The worksheet selection dialog is driven as the
// operator would: pick a worksheet in its tree, "選択", then "閉じる(1)".

#include "ChooseWorksheet.h"
#include "GuiTest.h"

#include "SpreadsheetOutput.h"

#include "sheetwire/Automation.h"
#include "sheetwire/MemorySpreadsheet.h"
#include "sheetwire/SelectWorksheetDlg.h"

#include <wx/msgdlg.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// Expects a message box with exactly this text, does what the operator does
// while it is up, and answers OK.
class ExpectMessageThen : public wxExpectModalBase<wxMessageDialog, ExpectMessageThen> {
public:
    ExpectMessageThen(std::string text, std::function<void()> then)
        : text(std::move(text)), then(std::move(then))
    {
    }

protected:
    int OnInvoked(wxMessageDialog* dlg) const override
    {
        EXPECT_EQ(dlg->GetMessage().utf8_string(), text);
        then();
        return wxID_OK;
    }

    wxString GetDefaultDescription() const override
    {
        return wxString::FromUTF8("message box \"" + text + "\"");
    }

private:
    std::string text;
    std::function<void()> then;
};

inline const std::string message140 =
    "出力先のワークブックとワークシートが指定されていません。\n処理を中止します。";
inline const std::string workbookNotOpen = "指定したワークブックは開いていません。";
inline const std::string worksheetNotOpen = "指定したワークシートは開いていません。";
inline const std::string notRunning = "Excel が起動しているか確認してください。";

inline std::string message131(const std::string& item)
{
    return item + " を転送することができませんでした。\n次のデータを転送します。";
}

inline std::string message142(const std::string& title)
{
    return "タイトル「" + title + "」を出力することができませんでした。\n次のタイトルを出力します。";
}

class SpreadsheetTest : public testing::Test {
protected:
    void SetUp() override
    {
        sheetwire::setAutomationBackend(spreadsheet);
        spreadsheet->addWorkbook("Book1", {"Sheet1", "Sheet2"});
        spreadsheet->addWorkbook("結果.xls", {"測定", "Sheet2"});
    }

    void TearDown() override { sheetwire::setAutomationBackend(nullptr); }

    // Runs selectDestination of target; the dialog selects worksheet of
    // workbook when one is given, and is closed with "閉じる(1)" either way.
    bool select(tonvale::SpreadsheetOutput& target, const std::string& workbook,
                const std::string& worksheet)
    {
        GTestModalHook hook(__FILE__, __LINE__);
        const auto dialog = chooseWorksheet(workbook, worksheet);
        hook.AddExpectation(dialog);
        const bool selected = target.selectDestination();
        hook.CheckUnmetExpectations();
        return selected;
    }

    bool select(const std::string& workbook, const std::string& worksheet)
    {
        return select(output, workbook, worksheet);
    }

    sheetwire::MemoryWorksheet& sheet(const std::string& workbook, const std::string& worksheet)
    {
        return *spreadsheet->worksheet(workbook, worksheet);
    }

    // Does what the operator does behind the program's back at the
    // occurrence-th call from now whose log entry starts with call, before
    // that call takes effect.
    void atCall(const std::string& call, std::function<void()> meanwhile, int occurrence = 1)
    {
        auto seen = std::make_shared<int>(0);
        spreadsheet->onCall = [call, meanwhile = std::move(meanwhile), seen,
                               occurrence](const std::string& entry) {
            if (entry.rfind(call, 0) == 0 && ++*seen == occurrence)
                meanwhile();
        };
    }

    // Renames the workbook once the check before writing has passed (its
    // font probe of cell A1): the first cell then fails Sheetwire's name
    // check.
    void renameAfterTheCheck(sheetwire::MemoryWorkbook& book, const std::string& name)
    {
        atCall("Font.ColorIndex=0", [&book, name] { book.name = name; });
    }

    std::shared_ptr<sheetwire::MemorySpreadsheet> spreadsheet =
        sheetwire::MemorySpreadsheet::create();
    GTestModalHook unexpectedDialogsFail{__FILE__, __LINE__};
    tonvale::SpreadsheetOutput output;
};
