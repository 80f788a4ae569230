#pragma once
// Drives the worksheet selection dialog as the operator does: pick a
// worksheet in its tree, "選択", then "閉じる(1)".

#include "GuiTest.h"

#include "sheetwire/SelectWorksheetDlg.h"

#include <wx/treectrl.h>

#include <string>

inline void pickWorksheet(CSelectWorksheetDlg& dlg, const std::string& workbook,
                          const std::string& worksheet)
{
    auto& tree = *wxStaticCast(dlg.FindWindow(CSelectWorksheetDlg::Tree), wxTreeCtrl);
    wxTreeItemIdValue books;
    for (auto book = tree.GetFirstChild(tree.GetRootItem(), books); book.IsOk();
         book = tree.GetNextChild(tree.GetRootItem(), books)) {
        if (tree.GetItemText(book).utf8_string() != workbook)
            continue;
        wxTreeItemIdValue sheets;
        for (auto item = tree.GetFirstChild(book, sheets); item.IsOk();
             item = tree.GetNextChild(book, sheets)) {
            if (tree.GetItemText(item).utf8_string() == worksheet) {
                tree.SelectItem(item);
                return;
            }
        }
    }
    ADD_FAILURE() << "no worksheet " << workbook << "/" << worksheet << " in the tree";
}

// The dialog selects worksheet of workbook when one is given, and is closed
// with "閉じる(1)" either way.
inline ExpectDialog<CSelectWorksheetDlg> chooseWorksheet(std::string workbook, std::string worksheet)
{
    return ExpectDialog<CSelectWorksheetDlg>([=](CSelectWorksheetDlg& dlg) {
        if (!workbook.empty()) {
            pickWorksheet(dlg, workbook, worksheet);
            press(dlg, CSelectWorksheetDlg::SelectButton);
        }
        press(dlg, wxID_OK);
        // The hook reads -1 ("closed without a selection") as "not this
        // dialog".
        return dlg.GetReturnCode() == -1 ? wxID_CANCEL : dlg.GetReturnCode();
    });
}
