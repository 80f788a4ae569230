#include "StorePlatform.h"
#include "standards/SqliteStore.h"

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace standards {

std::string standardsPathFor(const char* xdgDataHome, const char* home)
{
    // A relative XDG_DATA_HOME is invalid and to be ignored.
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/')
        return std::string(xdgDataHome) + "/tonvale/standards.sqlite";
    return std::string(home != nullptr ? home : "") + "/.local/share/tonvale/standards.sqlite";
}

std::string standardsPath()
{
    return standardsPathFor(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

namespace platform {
namespace {

bool writable(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0)
        return false;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0 && ::access(path.c_str(), W_OK) == 0;
}

} // namespace

bool mayWrite(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    return writable(path) && writable(folder);
}

} // namespace platform
} // namespace standards
