#include "AtomicFile.h"

#include "AtomicFilePlatform.h"
#include "PlatformFiles.h"

#include <cerrno>
#include <filesystem>

namespace tonvale {
namespace {

// As many links as the system itself follows before it gives up.
constexpr int maxLinks = 40;

// The file that path names once every symbolic link on the way is followed;
// a link's relative target counts from the link's directory. The file need
// not exist.
std::error_code followLinks(const std::string& path, std::filesystem::path& target)
{
    namespace fs = std::filesystem;
    target = pathOf(path);
    for (int links = 0;; ++links) {
        std::error_code error;
        if (!fs::is_symlink(fs::symlink_status(target, error)))
            return {};
        if (links == maxLinks)
            return {ELOOP, std::system_category()};
        const fs::path next = fs::read_symlink(target, error);
        if (error)
            return error;
        target = next.is_absolute() ? next : target.parent_path() / next;
    }
}

} // namespace

SaveMethod chooseSaveMethod(const SaveTarget& target)
{
    if (!target.exists)
        return SaveMethod::Replace;
    if (!target.writable)
        return SaveMethod::Refuse;
    if (target.directoryWritable && target.ownerKept)
        return SaveMethod::Replace;
    return SaveMethod::InPlace;
}

std::error_code writeFileAtomically(const std::string& path, std::string_view contents)
{
    std::filesystem::path target;
    if (const std::error_code error = followLinks(path, target))
        return error;
    const std::string file = utf8Of(target);
    switch (chooseSaveMethod(platform::inspectSaveTarget(file))) {
    case SaveMethod::Replace:
        return platform::replaceFile(file, contents);
    case SaveMethod::InPlace:
        return platform::overwriteFile(file, contents);
    case SaveMethod::Refuse:
        break;
    }
    return platform::accessDenied();
}

std::string fileErrorText(const std::string& path, const std::error_code& error, FileAccess access)
{
    const char* what = access == FileAccess::Read ? " を読み込むことができませんでした。\n"
                                                  : " に書き込むことができませんでした。\n";
    return "ファイル " + path + what + error.message();
}

} // namespace tonvale
