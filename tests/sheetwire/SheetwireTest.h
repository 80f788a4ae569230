#pragma once
// Every Sheetwire test runs against a fresh in-memory spreadsheet
// application installed as the process's backend: running, with no
// workbooks, an empty call log.

#include "GuiTest.h"
#include "Platform.h"

#include "sheetwire/Automation.h"
#include "sheetwire/MemorySpreadsheet.h"

#include <wx/app.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

class SheetwireTest : public testing::Test {
protected:
    void SetUp() override
    {
        wxTheApp->SetAppDisplayName(wxString::FromUTF8("SX-4810k用アクセサリーソフトウェア"));
        sheetwire::setAutomationBackend(spreadsheet);
    }

    void TearDown() override
    {
        sheetwire::setAutomationBackend(nullptr);
        std::filesystem::remove_all(files);
    }

    // Creates a file that the spreadsheet can open with these worksheets;
    // the file chooser hands back only paths that exist.
    std::string spreadsheetFile(const std::string& name, const std::vector<std::string>& worksheets)
    {
        std::filesystem::create_directories(files);
        const auto file = files / std::filesystem::path(std::u8string(name.begin(), name.end()));
        std::ofstream(file) << "\n";
        const std::u8string path = file.u8string();
        spreadsheet->addFile({path.begin(), path.end()}, worksheets);
        return {path.begin(), path.end()};
    }

    // Two workbooks of three worksheets each.
    void openTwoWorkbooks()
    {
        spreadsheet->addWorkbook("Book1", {"Sheet1", "Sheet2", "Sheet3"});
        spreadsheet->addWorkbook("結果.xls", {"測定", "Sheet2", "Sheet3"});
        spreadsheet->log.clear();
    }

    const sheetwire::MemoryCell* cell(const std::string& workbook, const std::string& worksheet,
                                      const std::string& reference) const
    {
        return spreadsheet->worksheet(workbook, worksheet)->cell(reference);
    }

    std::shared_ptr<sheetwire::MemorySpreadsheet> spreadsheet =
        sheetwire::MemorySpreadsheet::create();
    const std::filesystem::path files = std::filesystem::path(testing::TempDir()) /
                                        ("sheetwire-" + std::to_string(processId()));
};

inline const char* const message1001 = "Excel を起動できません。";
inline const char* const message1002 = "Excel が起動しているか確認してください。";
inline const char* const message1003 = "指定したワークシートは開いていません。";
inline const char* const message1004 = "指定したワークブックは開いていません。";
