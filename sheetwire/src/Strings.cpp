#include "Strings.h"

#include "uikit/MessageBox.h"

#include <wx/app.h>

namespace sheetwire {

const uikit::StringTable& strings()
{
    static const uikit::StringTable table{
        {1000, "Excel ファイルを開く"},
        {1001, "Excel を起動できません。"},
        {1002, "Excel が起動しているか確認してください。"},
        {1003, "指定したワークシートは開いていません。"},
        {1004, "指定したワークブックは開いていません。"},
        // Errors the spreadsheet application raises, as the operator sees them.
        {1005, "Excel との接続が切れました。\nExcel が起動しているか確認してください。"},
        {1006, "ワークブックはすでに閉じられています。"},
        {1007, "指定したワークブックまたはワークシートが見つかりません。"},
        {1008, "ワークブック「%1」は一度も保存されていないため、変更を保存して閉じることができません。\n"
               "Excel で名前を付けて保存してから閉じてください。"},
        {1009, "「%1」を開くことができませんでした。"},
        {1010, "Excel がこの操作を受け付けませんでした。"},
        {1011, "Excel でセルが編集中のため、書き込むことができませんでした。\n"
               "セルの編集を終えて（Enter キー）から、もう一度測定してください。"},
    };
    return table;
}

namespace {

std::string caption()
{
    return wxTheApp != nullptr ? wxTheApp->GetAppDisplayName().utf8_string() : std::string();
}

} // namespace

void showMessage(int id)
{
    uikit::messageBox(strings().get(id), caption());
}

void showError(const std::string& text)
{
    uikit::messageBox(text, caption());
}

} // namespace sheetwire
