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
