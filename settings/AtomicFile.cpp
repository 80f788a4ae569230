#include "AtomicFile.h"

namespace tonvale {

std::string fileErrorText(const std::string& path, const std::error_code& error, FileAccess access)
{
    const char* what = access == FileAccess::Read ? " を読み込むことができませんでした。\n"
                                                  : " に書き込むことができませんでした。\n";
    return "ファイル " + path + what + error.message();
}

} // namespace tonvale
