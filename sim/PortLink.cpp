#include "PortLink.h"

#include "termin/PortLink.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>

#include <sys/stat.h>
#include <unistd.h>

namespace sxsim {
namespace {

std::string linkTarget(const std::string& path)
{
    std::error_code ec;
    const auto target = std::filesystem::read_symlink(path, ec);
    return ec ? std::string() : target.string();
}

} // namespace

PortLink::PortLink(const std::string& portName, const std::string& target)
    : linkPath(termin::portLinkPath(portName)), target(target)
{
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::create_directories(fs::path(linkPath).parent_path(), ec);
    if (ec)
        throw std::runtime_error("cannot create " +
                                 fs::path(linkPath).parent_path().string() + ": " +
                                 ec.message());
    struct stat info {};
    if (lstat(linkPath.c_str(), &info) == 0 && !S_ISLNK(info.st_mode))
        throw std::runtime_error(linkPath + " exists and is not a symbolic link");

    // A new link under a private name renamed over the old one: Termin never
    // sees the port name missing.
    const std::string fresh = linkPath + ".sxsim-" + std::to_string(getpid());
    unlink(fresh.c_str());
    if (symlink(target.c_str(), fresh.c_str()) != 0 ||
        rename(fresh.c_str(), linkPath.c_str()) != 0) {
        const std::string reason = std::strerror(errno);
        unlink(fresh.c_str());
        throw std::runtime_error("cannot link " + linkPath + ": " + reason);
    }
}

PortLink::~PortLink()
{
    if (linkTarget(linkPath) == target)
        unlink(linkPath.c_str());
}

} // namespace sxsim
